#pragma once

#include "CurStatus.h"

#include <QColor>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QVector>

class RDragScene;
class RWidgetItem;

// Ink and shapes on the scene: the pen, the shape canvas that takes the
// shape being drawn, and the finished strokes and shapes it turns into
// items the eraser and the undo log know.
class RSceneInk : public QObject
{
    Q_OBJECT
public:
    explicit RSceneInk(RDragScene *scene);

    // Made on the first shape mode; null before.
    RWidgetItem *canvas() const { return m_canvas; }
    int penWidth() const { return m_iPenWidth; }
    QColor penColor() const { return m_colorPen; }
    void setPen(int width, QColor color);
    void setItemSize(QSize size);

    // The canvas over the whole scene, taking shapes of `kind`.
    void startShapes(CurStatus kind);
    // The canvas out of the way; `stopDrawing` also ends its shape mode.
    void hideCanvas(bool stopDrawing);
    // The shape just drawn on the canvas becomes an item; the canvas takes the next one.
    void shapeDone();
    // A freehand stroke in pixels of the scene's first view becomes an item.
    void addStroke(const QVector<QPoint> &points, QPointF ptStart, QPointF ptEnd);

private:
    RDragScene *m_scene;
    RWidgetItem *m_canvas = nullptr;
    int m_iPenWidth = 3;
    QColor m_colorPen;
};
