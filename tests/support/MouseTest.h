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

// A left drag on a widget through `points`, released at the last unless `release` is false.
inline void widgetDrag(QWidget *widget, const QVector<QPointF> &points, bool release = true)
{
    auto send = [widget](QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, button, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, points.first(), Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i < points.size(); ++i)
        send(QEvent::MouseMove, points.at(i), Qt::NoButton, Qt::LeftButton);
    if (release)
        send(QEvent::MouseButtonRelease, points.last(), Qt::LeftButton, Qt::NoButton);
}

} // namespace VisoraTest
