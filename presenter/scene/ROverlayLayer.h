#pragma once

#include <QHash>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QTimer>

class QGraphicsItem;
class RDragScene;

// Everything the scene draws over the camera picture (ink, shapes, placed
// pictures, the watermark) kept as one picture in camera picture pixels, so
// a snapshot or a recorded frame only lays it over the camera's own frame.
// It is redrawn where something changed since the last look, never because
// the camera delivered a frame. The spotlight and the document frame are not
// in it: the compositor veils around the spotlight, and the frame is never
// kept.
class ROverlayLayer : public QObject
{
    Q_OBJECT
public:
    explicit ROverlayLayer(RDragScene *scene);

    // Brings the picture up to date; true when anything was redrawn.
    bool refresh();
    // The picture as of the last refresh, shared rather than copied;
    // transparent where nothing is drawn, null when nothing is.
    QImage image() const { return m_image; }
    // False while the scene holds something whose changes the layer cannot
    // follow (a widget other than the spotlight, an item of another kind):
    // such a scene must be rendered whole.
    bool isComplete() const { return m_bComplete; }
    // The part of the picture anything is drawn in (empty when nothing is).
    QRect contentRect() const { return m_content; }
    // Grows with every redraw.
    quint64 revision() const { return m_uRevision; }
    // Looks for changes a few times a second, so the picture is ready when
    // asked for. Paused while a mouse button is down: a drag is redrawn once,
    // when it ends.
    void setKeepWarm(bool on);

private:
    struct ItemState
    {
        QRectF rect; // scene bounding rectangle
        quint64 key = 0;
    };
    static quint64 itemKey(const QGraphicsItem *item, bool *known);
    void redraw(const QRect &area, bool whole);

    RDragScene *m_scene;
    QImage m_image;
    QSize m_size;
    QPointF m_origin;
    QRect m_content;
    QHash<const QGraphicsItem *, ItemState> m_states;
    bool m_bComplete = true;
    quint64 m_uRevision = 0;
    QTimer m_warm;
};
