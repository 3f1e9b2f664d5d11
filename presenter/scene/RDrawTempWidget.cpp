#include "RDrawTempWidget.h"
#include "RWidgetItem.h"

#include <QDebug>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPathStroker>
#include <QResizeEvent>

namespace {
constexpr int kMouseKey = 1;

QPoint roundedPos(const QMouseEvent *event)
{
    return QPoint(qRound(event->localPos().x()), qRound(event->localPos().y()));
}
} // namespace

RDrawTempWidget::RDrawTempWidget(QWidget *parent)
    : QWidget(parent)
{
    qRegisterMetaType<CurStatus>("CurStatus");
    setAttribute(Qt::WA_TranslucentBackground);
}

RDrawTempWidget::~RDrawTempWidget()
{
    qDebug() << "RDrawTempWidget::~RDrawTempWidget";
    releaseCanvas();
    qDeleteAll(m_mapStrokes);
    m_mapStrokes.clear();
}

void RDrawTempWidget::setType(CurStatus kind)
{
    m_iType = kind;
    update();
}

void RDrawTempWidget::setPen(int wid, QColor color)
{
    qDebug() << "RDrawTempWidget::setPen:" << wid;
    setPenWidth(wid);
    setPenColor(color);
}

void RDrawTempWidget::setPenWidth(int wid)
{
    m_iPenWidth = wid;
    if (m_painterCanvas)
        m_painterCanvas->setPen(canvasPen());
}

void RDrawTempWidget::setPenColor(QColor color)
{
    m_colorPen = color;
    if (m_painterCanvas)
        m_painterCanvas->setPen(canvasPen());
}

QPen RDrawTempWidget::canvasPen() const
{
    return QPen(m_colorPen, m_iPenWidth, Qt::SolidLine, Qt::RoundCap);
}

void RDrawTempWidget::ensureCanvas()
{
    if (m_imageCanvas)
        return;
    const qreal dpr = devicePixelRatioF();
    const QSize px(qMax(1, qRound(width() * dpr)), qMax(1, qRound(height() * dpr)));
    m_imageCanvas = new QImage(px, QImage::Format_ARGB32_Premultiplied);
    m_imageCanvas->setDevicePixelRatio(dpr);
    m_imageCanvas->fill(Qt::transparent);
    m_painterCanvas = new QPainter(m_imageCanvas);
    m_painterCanvas->setRenderHint(QPainter::Antialiasing, true);
    m_painterCanvas->setCompositionMode(QPainter::CompositionMode_Source);
    m_painterCanvas->setPen(canvasPen());
}

void RDrawTempWidget::releaseCanvas()
{
    if (m_painterCanvas) {
        m_painterCanvas->end();
        delete m_painterCanvas;
        m_painterCanvas = nullptr;
    }
    delete m_imageCanvas;
    m_imageCanvas = nullptr;
}

void RDrawTempWidget::paintPendingSegment(StrokeRecord *record)
{
    if (!m_painterCanvas)
        return;
    QRectF region = record->rect;
    if (!record->path.isEmpty()) {
        QPainterPathStroker stroker;
        stroker.setWidth(m_iPenWidth);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        const QPainterPath outline = stroker.createStroke(record->path);
        m_painterCanvas->setRenderHint(QPainter::Antialiasing, true);
        m_painterCanvas->setCompositionMode(QPainter::CompositionMode_Source);
        m_painterCanvas->fillPath(outline, m_colorPen);
        // A fast move or a very wide pen can reach past the fixed enlargement.
        const QRect inked = outline.boundingRect().toAlignedRect().adjusted(-2, -2, 2, 2);
        m_rectStrokeDirty |= inked;
        region |= QRectF(inked);
    }
    if (!region.isEmpty())
        update(region.toAlignedRect());
    record->path = QPainterPath(record->path.currentPosition());
}

void RDrawTempWidget::mousePressEvent(QMouseEvent *event)
{
    const QPoint pt = roundedPos(event);
    m_bDrawing = true;
    m_listPoints.clear();
    if (m_iType == CurPen) {
        m_listPoints.append(pt);
        m_ptStart = pt;
        ensureCanvas();
        delete m_mapStrokes.take(kMouseKey);
        auto *record = new StrokeRecord;
        record->path = QPainterPath(QPointF(pt));
        m_mapStrokes.insert(kMouseKey, record);
        m_rectStrokeDirty = QRect();
        paintPendingSegment(record);
    } else {
        m_ptStart = pt;
        m_ptEnd = pt;
        update();
    }
}

void RDrawTempWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_bDrawing) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint pt = roundedPos(event);
    if (m_iType != CurPen) {
        m_ptEnd = pt;
        update();
        return;
    }
    m_listPoints.append(pt);
    // The canvas is shown from the third point on, so show what came before too.
    if (m_listPoints.size() == 3)
        update(m_rectStrokeDirty);
    StrokeRecord *record = m_mapStrokes.value(kMouseKey, nullptr);
    if (!record)
        return;
    const QPointF last = m_ptStart;
    const QPointF cur(pt);
    if (cur.x() != last.x() || cur.y() != last.y()) {
        record->path.quadTo(last, (last + cur) / 2.0);
        record->rect = QRectF(last, QSizeF(cur.x() - last.x(), cur.y() - last.y()))
                           .normalized()
                           .adjusted(-200, -200, 400, 400);
    } else {
        record->rect = QRectF();
    }
    m_ptStart = cur;
    paintPendingSegment(record);
}

void RDrawTempWidget::mouseReleaseEvent(QMouseEvent *event)
{
    if (!m_bDrawing) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    if (m_iType == CurPen) {
        delete m_mapStrokes.take(kMouseKey);
        if (m_painterCanvas) {
            m_painterCanvas->setCompositionMode(QPainter::CompositionMode_Source);
            m_painterCanvas->fillRect(QRect(QPoint(0, 0), size()), Qt::transparent);
        }
        update(m_rectStrokeDirty);
        m_rectStrokeDirty = QRect();
    } else {
        update();
    }
    m_bDrawing = false;
    const QVector<QPoint> points = m_listPoints;
    m_listPoints.clear();
    emit sTempPathPoints(points, m_ptStart, m_ptEnd, CurPen);
}

void RDrawTempWidget::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_iType == CurPen) {
        if (m_listPoints.size() > 2 && m_bDrawing && m_imageCanvas) {
            const qreal dpr = m_imageCanvas->devicePixelRatio();
            for (const QRect &r : event->region()) {
                const QRectF source(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr);
                painter.drawImage(QRectF(r), *m_imageCanvas, source);
            }
        }
        return;
    }
    RWidgetItem::drawShape(&painter, m_iType, m_ptStart, m_ptEnd, m_iPenWidth, m_colorPen);
}

void RDrawTempWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_imageCanvas)
        return;
    // The canvas follows the widget; ink of a stroke in progress is carried over.
    const QImage old = m_imageCanvas->copy();
    releaseCanvas();
    ensureCanvas();
    m_painterCanvas->drawImage(QPointF(0, 0), old);
}
