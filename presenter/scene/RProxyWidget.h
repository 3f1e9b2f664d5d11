#pragma once
// Proxy item that carries the camera picture and lets the teacher drag it.

#include <QGraphicsProxyWidget>
#include <QPointF>

class RProxyWidget : public QGraphicsProxyWidget
{
    Q_OBJECT
public:
    explicit RProxyWidget(QGraphicsItem *parent = nullptr, Qt::WindowFlags wFlags = Qt::WindowFlags());

    // While locked (whiteboard) moves are ignored and the picture stays put.
    void setLock(bool bLock) { m_bLock = bLock; }
    bool isLocked() const { return m_bLock; }

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent *event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent *event) override;

private:
    bool m_bLock = false;
    QPointF m_ptGrab;
};
