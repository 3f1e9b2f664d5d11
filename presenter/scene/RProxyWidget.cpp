#include "RProxyWidget.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QWidget>

RProxyWidget::RProxyWidget(QGraphicsItem *parent, Qt::WindowFlags wFlags)
    : QGraphicsProxyWidget(parent, wFlags)
{
}

void RProxyWidget::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    QGraphicsProxyWidget::mousePressEvent(event);
    // pos(), not scenePos(): mirrored, the item's origin lies at its far side.
    m_ptGrab = mapToScene(event->pos()) - pos();
    if (event->isAccepted() || m_bLock || event->button() != Qt::LeftButton)
        return;
    // The picture widget itself may not take the press; take it here so the
    // moves arrive, except under a rubber band, which needs the press itself.
    const QWidget *viewport = event->widget();
    const auto *view = viewport ? qobject_cast<const QGraphicsView *>(viewport->parentWidget()) : nullptr;
    if (!view || view->dragMode() != QGraphicsView::RubberBandDrag)
        event->accept();
}

void RProxyWidget::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_bLock) {
        event->ignore();
        return;
    }
    QGraphicsProxyWidget::mouseMoveEvent(event);
    const QPointF scenePt = mapToScene(event->pos());
    const QWidget *embedded = widget();
    const qreal w = embedded ? embedded->width() : size().width();
    const qreal h = embedded ? embedded->height() : size().height();
    setGeometry(QRectF(scenePt.x() - m_ptGrab.x(), scenePt.y() - m_ptGrab.y(), w, h));
}

void RProxyWidget::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    QGraphicsProxyWidget::mouseReleaseEvent(event);
    m_ptGrab = QPointF(0, 0);
}
