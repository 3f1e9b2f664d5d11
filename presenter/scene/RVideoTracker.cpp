#include "RVideoTracker.h"

#include "RFrameCompositor.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

RVideoTracker::RVideoTracker(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

QRect RVideoTracker::spotlightRect() const
{
    const int left = std::min(m_ptPress.x(), m_ptCurrent.x());
    const int right = std::max(m_ptPress.x(), m_ptCurrent.x());
    const int top = std::min(m_ptPress.y(), m_ptCurrent.y());
    const int bottom = std::max(m_ptPress.y(), m_ptCurrent.y());
    return QRect(left, top, right - left, bottom - top);
}

QPoint RVideoTracker::clampedPosition(const QMouseEvent *event) const
{
    // A drag past the picture's edge stops at the edge, so a snapshot cut
    // never reaches outside the picture.
    const int x = qRound(event->localPos().x());
    const int y = qRound(event->localPos().y());
    return QPoint(std::clamp(x, 0, std::max(0, width())), std::clamp(y, 0, std::max(0, height())));
}

void RVideoTracker::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const QPoint p = clampedPosition(event);
    m_bDragging = true;
    m_ptPress = p;
    m_ptCurrent = p;
    m_rect = QRect(p, p - QPoint(1, 1));
    update();
}

void RVideoTracker::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_bDragging)
        return;
    const QPoint p = clampedPosition(event);
    m_ptCurrent = p;
    m_rect.setRight(p.x() - 1);
    m_rect.setBottom(p.y() - 1);
    update();
}

void RVideoTracker::mouseReleaseEvent(QMouseEvent *event)
{
    Q_UNUSED(event)
    m_bDragging = false;
    qInfo() << "RVideoTracker::mouseReleaseEvent:"
            << "Rect:x" << m_rect.x() << " right:" << m_rect.right() << " bottom:" << m_rect.bottom()
            << " width:" << m_rect.width();
}

void RVideoTracker::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    // The same veil the compositor lays over recorded and composed pictures.
    RFrameCompositor::paintVeil(painter, size(), spotlightRect());
}
