#pragma once
// Mouse input sent straight to a scene or a widget, with the positions the
// window system would drop (repeated, fractional) kept.

#include <QCoreApplication>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QMouseEvent>
#include <QWidget>

namespace VisoraTest {

inline void sceneMouse(QGraphicsScene *scene, QEvent::Type type, QPointF at, Qt::MouseButton button = Qt::LeftButton)
{
    QGraphicsSceneMouseEvent event(type);
    event.setScenePos(at);
    event.setButtonDownScenePos(button, at);
    event.setButton(type == QEvent::GraphicsSceneMouseMove ? Qt::NoButton : button);
    event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::MouseButtons(button));
    event.setAccepted(false);
    QCoreApplication::sendEvent(scene, &event);
}

// Pressed at the first point, moved through the others, released at the last.
inline void sceneDrag(QGraphicsScene *scene, const QVector<QPointF> &points, Qt::MouseButton button = Qt::LeftButton)
{
    sceneMouse(scene, QEvent::GraphicsSceneMousePress, points.first(), button);
    for (int i = 1; i < points.size(); ++i)
        sceneMouse(scene, QEvent::GraphicsSceneMouseMove, points.at(i), button);
    sceneMouse(scene, QEvent::GraphicsSceneMouseRelease, points.last(), button);
}

// A left drag on a widget from `from` to `to`, released there unless `release` is false.
inline void widgetDrag(QWidget *widget, QPointF from, QPointF to, bool release = true)
{
    QMouseEvent press(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &press);
    QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &move);
    if (!release)
        return;
    QMouseEvent up(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &up);
}

} // namespace VisoraTest
