#include "GraphicsView.h"

#include "RItemView.h"

#include <QWheelEvent>

GraphicsView::GraphicsView(RItemView *pane, QWidget *parent)
    : QGraphicsView(parent)
    , m_pane(pane)
{
}

void GraphicsView::wheelEvent(QWheelEvent *event)
{
    if (event->modifiers() & Qt::ControlModifier) {
        if (event->angleDelta().y() > 0)
            m_pane->zoomIn(6);
        else
            m_pane->zoomOut(6);
        event->accept();
        return;
    }
    QGraphicsView::wheelEvent(event);
}
