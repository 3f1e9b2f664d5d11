#include "RVideoRect.h"

#include <QDebug>
#include <QPainter>
#include <QPen>

RVideoRect::RVideoRect(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    qDebug() << "RVideoRect::RVideoRect:" << isHidden();
}

void RVideoRect::setPoints(const QList<QPoint> &points)
{
    if (points.size() < 4)
        return;
    m_pt1 = points.at(0);
    m_pt2 = points.at(1);
    m_pt3 = points.at(2);
    m_pt4 = points.at(3);
    m_bHasPoints = true;
    update();
}

QList<QPoint> RVideoRect::points() const
{
    if (!m_bHasPoints)
        return {};
    return {m_pt1, m_pt2, m_pt3, m_pt4};
}

void RVideoRect::clearPoints()
{
    m_bHasPoints = false;
    m_pt1 = m_pt2 = m_pt3 = m_pt4 = QPoint();
    update();
}

int RVideoRect::lineWidth() const
{
    return width() / 300;
}

void RVideoRect::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    if (!m_bHasPoints)
        return;
    QPainter painter(this);
    // The high-quality hint is obsolete in Qt 5.15; plain antialiasing gives the same.
    painter.setRenderHint(QPainter::Antialiasing, true);
    // Width from the whole widget, not the repainted part, so a partial repaint
    // draws the same line as a full one.
    painter.setPen(QPen(QColor(255, 255, 0, 200), lineWidth()));
    const QPoint polygon[4] = {m_pt1, m_pt2, m_pt3, m_pt4};
    painter.drawPolygon(polygon, 4, Qt::OddEvenFill);
}
