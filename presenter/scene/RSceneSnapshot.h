#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPainterPath>
#include <QPoint>
#include <QPolygon>
#include <QPolygonF>
#include <QRect>

class RDragScene;

// Scene snapshots: what the teacher sees over the live picture, cut to the
// spotlight or the detected page, turned, named and handed to the saver.
// Results reach the scene's own signals in the order the pictures were taken.
class RSceneSnapshot : public QObject
{
    Q_OBJECT
public:
    explicit RSceneSnapshot(RDragScene *scene);

    void snap(int iAngle, const QString &ext);
    void whiteboardSnap(int iAngle, const QString &ext);
    // A snapshot is still being written.
    bool pending() const { return !m_pending.isEmpty(); }

    // Everything outside the polygon made transparent, the bounding rectangle
    // copied, turned by `angle` and trimmed of fully transparent borders.
    static QImage cutPolygonImage(const QImage &input, const QPainterPath &path, qreal angle, const QRect &rccut);
    // Angle (degrees, within (-45, 45]) that turns the quadrilateral upright.
    static qreal deskewAngle(const QList<QPoint> &corners);

    // What the snapshot rule asks of a picture: a spotlight rectangle or a
    // document polygon to cut, or a page quadrilateral to flatten (its
    // polygon is the cut when it cannot be), then a turn. Picture pixels.
    struct Cut
    {
        enum Kind { Whole, Rect, Polygon, Quad } kind = Whole;
        QRect rect;
        QPolygon polygon;
        QPolygonF quad;
    };
    // The cut and the turn, free of the scene, so they run on the saver's worker.
    // With `mirror` or `flip` the picture is the camera's own and the cut is in
    // shown pixels: the cut is made on the camera picture and the turn then
    // mirrors, flips and rotates it in one go.
    static QImage cutAndTurn(const QImage &picture, const Cut &cut, int iAngle, bool mirror = false,
                             bool flip = false);

private:
    QImage renderCameraArea();
    void refuse(const QString &reason);
    // Where the picture handed to save() comes from: the rendered scene, the
    // camera's own frame, that frame with the overlay layer to lay over it,
    // or the overlay layer to lay on the board's colour.
    enum class Source { Rendered, Frame, FrameAndLayer, Board };
    void save(const QImage &picture, const Cut &cut, int iAngle, const QString &ext, Source source,
              const QImage &layer = QImage(), const QRect &layerArea = QRect(), const QColor &board = QColor());
    void onImageSaved(int id, const QString &path, bool ok, const QString &error);

    RDragScene *m_scene;
    // Snapshots being written: job id -> file name.
    QHash<int, QString> m_pending;
};
