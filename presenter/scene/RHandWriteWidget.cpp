#include "RHandWriteWidget.h"

#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>

RHandWriteWidget::RHandWriteWidget(QGraphicsItem *parent)
    : QGraphicsWidget(parent)
{
}

void RHandWriteWidget::setDrawing(bool bDrawing)
{
    m_bDrawing = bDrawing;
    qDebug() << "RHandWriteWidget::setDrawing m_bDrawing:" << m_bDrawing;
}

void RHandWriteWidget::setPen(int wid, QColor color)
{
    setPenWidth(wid);
    setPenColor(color);
}

void RHandWriteWidget::setPenWidth(int wid)
{
    prepareGeometryChange();
    m_iPenWidth = wid;
    update();
}

void RHandWriteWidget::setPenColor(QColor color)
{
    m_colorPen = color;
    update();
}

QVector<QVector<QPointF>> RHandWriteWidget::strokes() const
{
    QVector<QVector<QPointF>> all = m_listDone;
    if (!m_listPoints.isEmpty())
        all.append(m_listPoints);
    return all;
}

QRectF RHandWriteWidget::boundingRect() const
{
    QRectF r = QRectF(QPointF(0, 0), size()).normalized();
    if (!m_listPoints.isEmpty() || !m_listDone.isEmpty()) {
        r = QRectF(QPointF(std::min(r.left(), m_rectInk.left()), std::min(r.top(), m_rectInk.top())),
                   QPointF(std::max(r.right(), m_rectInk.right()), std::max(r.bottom(), m_rectInk.bottom())));
    }
    const qreal margin = m_iPenWidth / 2.0 + 1.0;
    return r.adjusted(-margin, -margin, margin, margin);
}

void RHandWriteWidget::appendPoint(QPointF pt)
{
    // The pointer may leave the pane while the button is held.
    prepareGeometryChange();
    const bool first = m_listPoints.isEmpty() && m_listDone.isEmpty();
    m_listPoints.append(pt);
    if (first)
        m_rectInk = QRectF(pt, pt);
    else
        m_rectInk = QRectF(QPointF(std::min(m_rectInk.left(), pt.x()), std::min(m_rectInk.top(), pt.y())),
                           QPointF(std::max(m_rectInk.right(), pt.x()), std::max(m_rectInk.bottom(), pt.y())));
    update();
}

void RHandWriteWidget::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    painter->save();
    painter->setPen(QPen(m_colorPen, m_iPenWidth, Qt::SolidLine, Qt::RoundCap));
    painter->setBrush(Qt::NoBrush);
    const QVector<QVector<QPointF>> all = strokes();
    for (const QVector<QPointF> &stroke : all) {
        if (stroke.size() < 2)
            continue;
        painter->drawPolyline(stroke.constData(), stroke.size());
    }
    painter->restore();
}

void RHandWriteWidget::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_bDrawing) {
        QGraphicsWidget::mousePressEvent(event);
        return;
    }
    // A new stroke starts; earlier strokes stay on the pane.
    if (!m_listPoints.isEmpty())
        m_listDone.append(m_listPoints);
    m_listPoints.clear();
    appendPoint(event->pos());
    event->accept();
}

void RHandWriteWidget::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_bDrawing) {
        QGraphicsWidget::mouseMoveEvent(event);
        return;
    }
    appendPoint(event->pos());
}

void RHandWriteWidget::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (!m_bDrawing) {
        QGraphicsWidget::mouseReleaseEvent(event);
        return;
    }
    emit drawdone();
}
