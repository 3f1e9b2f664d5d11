#include "RWidgetItem.h"

#include <QDebug>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QPen>
#include <QStyleOptionGraphicsItem>
#include <QTransform>

#include <algorithm>

RWidgetItem::RWidgetItem(CurStatus kind, QGraphicsItem *parent)
    : QGraphicsWidget(parent)
    , m_iType(kind)
{
}

RWidgetItem::~RWidgetItem() = default;

void RWidgetItem::setDrawing(bool bDrawing)
{
    m_bDrawing = bDrawing;
    qDebug() << "RWidgetItem::setDrawing m_bDrawing:" << m_bDrawing;
}

void RWidgetItem::setType(CurStatus kind)
{
    prepareGeometryChange();
    m_iType = kind;
    if (kind == CurPen) {
        m_listPoints.clear();
        m_rectPoints = QRectF();
    } else {
        m_ptStart = QPointF(0, 0);
        m_ptEnd = QPointF(0, 0);
    }
    update();
}

void RWidgetItem::setPen(int wid, QColor color)
{
    setPenWidth(wid);
    setPenColor(color);
}

void RWidgetItem::setPenWidth(int wid)
{
    // The margin of the bounding rectangle follows the pen width.
    prepareGeometryChange();
    m_iPenWidth = wid;
    update();
}

void RWidgetItem::setPenColor(QColor color)
{
    m_colorPen = color;
    update();
}

void RWidgetItem::setPoints(const QVector<QPointF> &points)
{
    prepareGeometryChange();
    m_listPoints = points;
    m_rectPoints = QRectF();
    if (!points.isEmpty()) {
        qreal minX = points.first().x(), maxX = minX;
        qreal minY = points.first().y(), maxY = minY;
        for (const QPointF &pt : points) {
            minX = std::min(minX, pt.x());
            maxX = std::max(maxX, pt.x());
            minY = std::min(minY, pt.y());
            maxY = std::max(maxY, pt.y());
        }
        m_rectPoints = QRectF(QPointF(minX, minY), QPointF(maxX, maxY));
    }
    update();
}

void RWidgetItem::setStartPoint(QPointF pt)
{
    setCorners(pt, m_ptEnd);
}

void RWidgetItem::setEndPoint(QPointF pt)
{
    setCorners(m_ptStart, pt);
}

void RWidgetItem::setCorners(QPointF start, QPointF end)
{
    prepareGeometryChange();
    m_ptStart = start;
    m_ptEnd = end;
    update();
}

namespace {
// Union that keeps zero-sized rectangles (QRectF::united drops them).
QRectF uniteRects(const QRectF &a, const QRectF &b)
{
    return QRectF(QPointF(std::min(a.left(), b.left()), std::min(a.top(), b.top())),
                  QPointF(std::max(a.right(), b.right()), std::max(a.bottom(), b.bottom())));
}
} // namespace

QRectF RWidgetItem::inkRect() const
{
    QRectF r = QRectF(QPointF(0, 0), size()).normalized();
    if (m_iType == CurPen) {
        if (!m_listPoints.isEmpty())
            r = uniteRects(r, m_rectPoints);
    } else {
        // The corners, and for a star its circle, may lie outside the item's size.
        r = uniteRects(r, QRectF(m_ptStart, m_ptEnd).normalized());
        const QPainterPath path = shapePath(m_iType, m_ptStart, m_ptEnd);
        if (!path.isEmpty())
            r = uniteRects(r, path.boundingRect());
    }
    return r;
}

QRectF RWidgetItem::boundingRect() const
{
    const qreal margin = m_iPenWidth / 2.0 + 1.0;
    return inkRect().adjusted(-margin, -margin, margin, margin);
}

QPainterPath RWidgetItem::shape() const
{
    QPainterPath path;
    path.addRect(boundingRect());
    return path;
}

void RWidgetItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget *widget)
{
    Q_UNUSED(option)
    Q_UNUSED(widget)
    if (m_bWaitEarse && isSelected()) {
        hide();
        emit hadEarse();
        return;
    }

    if (m_iType == CurPen) {
        if (m_listPoints.size() < 3)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(QPen(m_colorPen, m_iPenWidth, Qt::SolidLine, Qt::RoundCap));
        painter->setBrush(Qt::NoBrush);
        painter->drawPath(penPath(m_listPoints));
        painter->restore();
        return;
    }

    drawShape(painter, m_iType, m_ptStart, m_ptEnd, m_iPenWidth, m_colorPen);
}

void RWidgetItem::drawShape(QPainter *painter, CurStatus kind, QPointF start, QPointF end, int penWidth, QColor penColor)
{
    const QPainterPath path = shapePath(kind, start, end);
    if (path.isEmpty())
        return;
    painter->save();
    if (kind == CurStar) {
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setRenderHint(QPainter::TextAntialiasing, true);
    }
    painter->setPen(QPen(penColor, penWidth, Qt::SolidLine, Qt::RoundCap));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(path);
    painter->restore();
}

QPainterPath RWidgetItem::shapePath(CurStatus kind, QPointF start, QPointF end)
{
    QPainterPath path;
    if (kind == CurPen || start == end)
        return path;

    const QPointF &s = start;
    const QPointF &e = end;
    switch (kind) {
    case CurRect:
        path.moveTo(s);
        path.lineTo(e.x(), s.y());
        path.lineTo(e);
        path.lineTo(s.x(), e.y());
        path.lineTo(s);
        path.closeSubpath();
        break;
    case CurTriangle: {
        const QPointF apex(s.x() + (e.x() - s.x()) * 0.5, s.y());
        path.moveTo(apex);
        path.lineTo(s.x(), e.y());
        path.lineTo(e);
        path.lineTo(apex);
        path.closeSubpath();
        break;
    }
    case CurEllipse:
        path.addEllipse(QRectF(s.x(), s.y(), e.x() - s.x(), e.y() - s.y()));
        break;
    case CurStar: {
        const qreal w = e.x() - s.x();
        const qreal h = e.y() - s.y();
        // Signed: an upward drag gives a negative radius and an upside-down star.
        const float r = float(0.5 * (w > h ? h : w));
        static const float cosK[5] = {1.0f, 0.309017f, -0.809017f, -0.809017f, 0.309017f};
        static const float sinK[5] = {0.0f, 0.9510565f, 0.5877853f, -0.5877853f, -0.9510565f};
        QPointF p[5];
        for (int k = 0; k < 5; ++k)
            p[k] = QPointF(r * cosK[k], -r * sinK[k]);
        QPainterPath star;
        star.moveTo(p[0]);
        star.lineTo(p[2]);
        star.lineTo(p[4]);
        star.lineTo(p[1]);
        star.lineTo(p[3]);
        star.closeSubpath();
        QTransform t;
        t.translate(s.x() + w * 0.5, s.y() + h * 0.5);
        t.rotate(-90);
        path = t.map(star);
        break;
    }
    default:
        break;
    }
    return path;
}

QPainterPath RWidgetItem::penPath(const QVector<QPointF> &points)
{
    QPainterPath path;
    const int n = points.size();
    if (n < 3)
        return path;
    path.moveTo(points.at(0));
    for (int i = 1; i <= n - 2; ++i) {
        const QPointF &cur = points.at(i);
        const QPointF &next = points.at(i + 1);
        if (next.x() != cur.x() || next.y() != cur.y())
            path.quadTo(cur, (cur + next) / 2.0);
    }
    path.lineTo(points.at(n - 1));
    return path;
}

RWidgetItem::StrokeGeometry RWidgetItem::strokeGeometry(const QVector<QPointF> &scenePoints)
{
    StrokeGeometry g;
    if (scenePoints.size() <= 1)
        return g;
    // Seeded with the first point, so strokes far from the origin work too.
    qreal minX = scenePoints.first().x(), maxX = minX;
    qreal minY = scenePoints.first().y(), maxY = minY;
    for (const QPointF &pt : scenePoints) {
        minX = std::min(minX, pt.x());
        maxX = std::max(maxX, pt.x());
        minY = std::min(minY, pt.y());
        maxY = std::max(maxY, pt.y());
    }
    g.topLeft = QPointF(minX, minY);
    g.size = QSizeF(maxX - minX, maxY - minY);
    g.points.reserve(scenePoints.size());
    for (const QPointF &pt : scenePoints)
        g.points.append(pt - g.topLeft);
    return g;
}

bool RWidgetItem::isShapeCanvasActive() const
{
    return m_bDrawing && m_iType != CurPen;
}

void RWidgetItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (!isShapeCanvasActive()) {
        QGraphicsWidget::mousePressEvent(event);
        return;
    }
    setCorners(event->pos(), event->pos());
    event->accept();
}

void RWidgetItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (!isShapeCanvasActive()) {
        QGraphicsWidget::mouseMoveEvent(event);
        return;
    }
    setEndPoint(event->pos());
}

void RWidgetItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    if (!isShapeCanvasActive()) {
        QGraphicsWidget::mouseReleaseEvent(event);
        return;
    }
    m_bDrawing = false;
    emit drawdone();
}
