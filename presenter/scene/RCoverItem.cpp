#include "RCoverItem.h"

#include "RCoverGeometry.h"
#include "RPictureLoader.h"

#include <QDateTime>
#include <QDebug>
#include <QFutureWatcher>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>
#include <QtConcurrent>

RCoverItem::RCoverItem(QGraphicsItem *parent)
    : QGraphicsWidget(parent)
{
    m_font = QFont(m_strFontFamily, m_iFontSize);
    connect(this, &QGraphicsWidget::geometryChanged, this, &RCoverItem::sizeChanged);
    m_clock.setInterval(1000);
    connect(&m_clock, &QTimer::timeout, this, [this] { update(); });
}

void RCoverItem::setParams(const CoverParams &p)
{
    m_iType = p.m_iType;
    m_strTimeFormat = p.m_strTimeFormat;
    m_iRotate = p.m_iRotateCover;
    m_strText = p.m_strText;
    m_bBorder = p.m_bBorder;
    m_iFontSize = p.m_iFontSize;
    m_strFontFamily = p.m_strFontFamily;
    m_iAlpha = qBound(0, p.m_iAlpha, 255);
    m_color = p.m_color;
    m_strPicturePath = p.m_strPicturePath;
    m_iBorderWidth = p.m_iBorderWidth;
    m_bActualSize = p.m_bActualSize;
    m_font = QFont(m_strFontFamily, m_iFontSize);
    updateClock();
}

CoverParams RCoverItem::params() const
{
    CoverParams p;
    p.m_iWidth = m_iWidth;
    p.m_iHeight = m_iHeight;
    p.m_iType = m_iType;
    p.m_color = m_color;
    p.m_iAlpha = m_iAlpha;
    p.m_iRotateCover = m_iRotate;
    p.m_strText = m_strText;
    p.m_bBorder = m_bBorder;
    p.m_iFontSize = m_iFontSize;
    p.m_strFontFamily = m_strFontFamily;
    p.m_strTimeFormat = m_strTimeFormat;
    p.m_strPicturePath = m_strPicturePath;
    p.m_iBorderWidth = m_iBorderWidth;
    p.m_bActualSize = m_bActualSize;
    return p;
}

void RCoverItem::setType(int type)
{
    m_iType = type;
    updateClock();
}

QImage RCoverItem::decodePicture(const QString &path, QString *reason)
{
    return RPictureLoader::loadScaled(path, QSize(kMaxPictureSide, kMaxPictureSide), reason);
}

// A large watermark file must not hold the GUI thread, which may also wait
// there for a large decode of the strip to finish.
void RCoverItem::requestPicture(const QString &path)
{
    if (path == m_strRequestedPath && (m_iLoading > 0 || (path == m_strLoadedPath && !m_pixmap.isNull())))
        return;
    m_strRequestedPath = path;
    ++m_iLoading;
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, path] {
        const QImage image = watcher->result();
        watcher->deleteLater();
        --m_iLoading;
        // A later request wins.
        if (path != m_strRequestedPath)
            return;
        const bool ok = image.width() >= 1 && image.height() >= 1;
        if (ok) {
            m_pixmap = QPixmap::fromImage(image);
            m_strLoadedPath = path;
            update();
        } else {
            qInfo().noquote() << "RCoverItem::requestPicture: not loaded:" << path;
        }
        emit sPictureLoaded(ok);
    });
    watcher->setFuture(QtConcurrent::run([path] { return decodePicture(path); }));
}

void RCoverItem::apply(const CoverParams &p, int type, int w, int h, int pictureAngle)
{
    qDebug() << "RCoverItem::apply h:" << h;
    setType(type);
    if (type == CoverParams::None) {
        hide();
        return;
    }
    if (w >= 1 && h >= 1)
        resize(w, h);
    setParams(p);
    m_iType = type;
    if (type == CoverParams::Picture && !p.m_strPicturePath.isEmpty())
        requestPicture(p.m_strPicturePath);
    const int rotate = RCoverGeometry::itemRotation(p.m_iRotateCover, pictureAngle);
    qDebug() << "RCoverItem::apply m_iRotateAngle:" << pictureAngle;
    qDebug() << "RCoverItem::apply m_iRotateCover:" << p.m_iRotateCover;
    qDebug() << "RCoverItem::apply iRotate:" << rotate;
    setRotation(rotate);
    updateClock();
    update();
    show();
}

RCoverItem::CapturePlacement RCoverItem::capturePlacement(const QPointF &pictureTopLeft) const
{
    CapturePlacement out;
    const QTransform toPicture = sceneTransform() * QTransform::fromTranslate(-pictureTopLeft.x(), -pictureTopLeft.y());
    const RCoverGeometry::Placement placed = RCoverGeometry::placeOnPicture(renderToImage(true), toPicture);
    out.image = placed.image;
    out.centre = placed.centre;
    out.offset = scenePos() - pictureTopLeft;
    return out;
}

QImage RCoverItem::renderToImage(bool fullOpacity) const
{
    const QSize s = size().toSize();
    if (s.isEmpty())
        return QImage();
    QImage image(s, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintCover(&painter, fullOpacity ? 255 : m_iAlpha);
    return image;
}

QPixmap RCoverItem::renderToPixmap() const
{
    return QPixmap::fromImage(renderToImage());
}

void RCoverItem::paint(QPainter *painter, const QStyleOptionGraphicsItem *, QWidget *)
{
    paintCover(painter, m_iAlpha);
}

void RCoverItem::paintCover(QPainter *painter, int alpha) const
{
    const int w = int(boundingRect().width());
    const int h = int(boundingRect().height());
    if (m_iType == CoverParams::Picture) {
        if (w > 0 && h > 0 && !m_pixmap.isNull()) {
            painter->save();
            painter->setOpacity(alpha / 255.0);
            painter->drawPixmap(QRect(0, 0, w, h), m_pixmap);
            painter->restore();
        }
        return;
    }
    if (m_iType != CoverParams::Text && m_iType != CoverParams::Time)
        return;
    const QColor c(m_color.red(), m_color.green(), m_color.blue(), alpha);
    painter->save();
    painter->setPen(QPen(c, m_iBorderWidth));
    const int b = m_iBorderWidth;
    const int half = b / 2;
    const QRect textRect(half, half, w - b, h - b);
    if (m_bBorder)
        painter->drawRoundedRect(textRect, 4, 4, Qt::AbsoluteSize);
    QFont font = m_font;
    font.setPointSize(std::max(1, m_iFontSize));
    painter->setFont(font);
    const QString text = m_iType == CoverParams::Text ? m_strText
                                                      : QDateTime::currentDateTime().toString(m_strTimeFormat);
    painter->drawText(textRect, Qt::AlignCenter, text);
    painter->restore();
}

void RCoverItem::sizeChanged()
{
    m_iWidth = int(size().width());
    m_iHeight = int(size().height());
    update();
}

void RCoverItem::mousePressEvent(QGraphicsSceneMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        m_bResizing = true;
        m_iLastX = int(event->pos().x());
        m_iLastY = int(event->pos().y());
    }
    QGraphicsWidget::mousePressEvent(event);
}

void RCoverItem::mouseMoveEvent(QGraphicsSceneMouseEvent *event)
{
    if (m_bResizing) {
        const int x = int(event->pos().x());
        const int y = int(event->pos().y());
        resize(RCoverGeometry::resized(QSize(m_iWidth, m_iHeight), x - m_iLastX, y - m_iLastY));
        m_iLastX = x;
        m_iLastY = y;
    }
    QGraphicsWidget::mouseMoveEvent(event);
}

void RCoverItem::mouseReleaseEvent(QGraphicsSceneMouseEvent *event)
{
    m_bResizing = false;
    QGraphicsWidget::mouseReleaseEvent(event);
}

void RCoverItem::mouseDoubleClickEvent(QGraphicsSceneMouseEvent *)
{
}

QVariant RCoverItem::itemChange(GraphicsItemChange change, const QVariant &value)
{
    if (change == ItemVisibleHasChanged)
        updateClock();
    return QGraphicsWidget::itemChange(change, value);
}

void RCoverItem::updateClock()
{
    // Once a second is enough for a seconds display and costs nothing otherwise.
    if (m_iType == CoverParams::Time && isVisible())
        m_clock.start();
    else
        m_clock.stop();
}
