#include "ROverlayLayer.h"

#include "RCamera.h"
#include "RCoverItem.h"
#include "RDragScene.h"
#include "RProxyWidget.h"
#include "RVideoTracker.h"
#include "RWidgetItem.h"

#include <QDateTime>
#include <QGraphicsPixmapItem>
#include <QGraphicsProxyWidget>
#include <QGuiApplication>
#include <QPainter>
#include <QRegion>
#include <QTransform>

namespace {

// FNV-1a over the bytes of what an item paints from.
class KeyHasher
{
public:
    void add(const void *data, size_t n)
    {
        const auto *p = static_cast<const unsigned char *>(data);
        for (size_t i = 0; i < n; ++i) {
            m_h ^= p[i];
            m_h *= 1099511628211ULL;
        }
    }
    template <typename T> void add(const T &v) { add(&v, sizeof v); }
    void add(const QString &s) { add(s.constData(), size_t(s.size()) * sizeof(QChar)); }
    void add(const QRectF &r)
    {
        add(r.x());
        add(r.y());
        add(r.width());
        add(r.height());
    }
    void add(const QPointF &p)
    {
        add(p.x());
        add(p.y());
    }
    quint64 value() const { return m_h; }

private:
    quint64 m_h = 1469598103934665603ULL;
};

} // namespace

ROverlayLayer::ROverlayLayer(RDragScene *scene)
    : QObject(scene)
    , m_scene(scene)
{
    m_warm.setInterval(100);
    connect(&m_warm, &QTimer::timeout, this, [this] {
        if (QGuiApplication::mouseButtons() == Qt::NoButton)
            refresh();
    });
}

void ROverlayLayer::setKeepWarm(bool on)
{
    if (on)
        m_warm.start();
    else
        m_warm.stop();
}

quint64 ROverlayLayer::itemKey(const QGraphicsItem *item, bool *known)
{
    KeyHasher h;
    h.add(item->type());
    h.add(item->zValue());
    h.add(item->effectiveOpacity());
    h.add(item->isSelected());
    const QTransform t = item->sceneTransform();
    for (qreal v : {t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33()})
        h.add(v);
    h.add(item->boundingRect());
    *known = true;
    if (const auto *ink = dynamic_cast<const RWidgetItem *>(item)) {
        h.add(int(ink->kind()));
        h.add(ink->penWidth());
        h.add(ink->penColor().rgba());
        h.add(ink->isDrawing());
        h.add(ink->startPoint());
        h.add(ink->endPoint());
        h.add(ink->itemSize());
        const QVector<QPointF> points = ink->points();
        h.add(points.constData(), size_t(points.size()) * sizeof(QPointF));
    } else if (const auto *cover = dynamic_cast<const RCoverItem *>(item)) {
        const CoverParams p = cover->params();
        h.add(p.m_iType);
        h.add(p.m_color.rgba());
        h.add(p.m_iAlpha);
        h.add(p.m_iRotateCover);
        h.add(p.m_strText);
        h.add(p.m_bBorder);
        h.add(p.m_iFontSize);
        h.add(p.m_strFontFamily);
        h.add(p.m_iBorderWidth);
        h.add(p.m_strPicturePath);
        h.add(cover->pictureKey());
        // A time watermark shows the clock: it changes once a second.
        if (p.m_iType == CoverParams::Time)
            h.add(QDateTime::currentDateTime().toString(p.m_strTimeFormat));
    } else if (const auto *picture = dynamic_cast<const QGraphicsPixmapItem *>(item)) {
        h.add(picture->pixmap().cacheKey());
        h.add(picture->offset());
        h.add(int(picture->transformationMode()));
    } else {
        *known = false;
    }
    return h.value();
}

bool ROverlayLayer::refresh()
{
    RCamera *camera = m_scene->camera();
    RProxyWidget *proxy = m_scene->cameraProxy();
    const QSize size = camera ? camera->size() : QSize();
    if (!proxy || size.isEmpty()) {
        const bool had = !m_image.isNull();
        m_image = QImage();
        m_content = QRect();
        m_states.clear();
        m_size = QSize();
        return had;
    }
    // pos(), not scenePos(): a mirrored picture's own origin lies at its far side.
    const QPointF origin = proxy->pos();
    const QRectF picture(origin, QSizeF(size));
    QHash<const QGraphicsItem *, ItemState> now;
    bool complete = true;
    const auto items = m_scene->items(picture, Qt::IntersectsItemBoundingRect);
    for (const QGraphicsItem *item : items) {
        if (item == proxy || item == m_scene->trackerProxy() || item == m_scene->videoRectProxy()
            || !item->isVisible())
            continue;
        bool known = true;
        const quint64 key = itemKey(item, &known);
        complete = complete && known;
        now.insert(item, ItemState{item->sceneBoundingRect(), key});
    }
    m_bComplete = complete;

    const bool relayout = size != m_size || origin != m_origin;
    m_size = size;
    m_origin = origin;
    const QRect whole(QPoint(0, 0), size);
    auto area = [&](const QRectF &sceneRect) {
        // Two pixels more each side for antialiased edges.
        return sceneRect.translated(-origin).toAlignedRect().adjusted(-2, -2, 2, 2);
    };
    QRegion dirty;
    if (!relayout) {
        for (auto it = m_states.cbegin(); it != m_states.cend(); ++it) {
            const auto found = now.constFind(it.key());
            if (found == now.cend() || found->key != it->key || found->rect != it->rect) {
                dirty += area(it->rect);
                if (found != now.cend())
                    dirty += area(found->rect);
            }
        }
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            if (!m_states.contains(it.key()))
                dirty += area(it->rect);
    }
    m_states = now;
    m_content = QRect();
    for (const ItemState &state : now)
        m_content |= area(state.rect);
    m_content &= whole;
    if (now.isEmpty()) {
        const bool had = !m_image.isNull();
        m_image = QImage();
        if (had)
            ++m_uRevision;
        return had;
    }
    dirty &= whole;
    if (!relayout && dirty.isEmpty() && !m_image.isNull())
        return false;

    qint64 dirtyArea = 0;
    for (const QRect &r : dirty)
        dirtyArea += qint64(r.width()) * r.height();
    if (relayout || m_image.isNull() || dirtyArea * 2 > qint64(whole.width()) * whole.height()) {
        // A fresh picture: one still being saved keeps its own.
        m_image = QImage(size, QImage::Format_ARGB32_Premultiplied);
        m_image.fill(Qt::transparent);
        redraw(whole, true);
    } else if (dirty.rectCount() > 8) {
        redraw(dirty.boundingRect(), false);
    } else {
        for (const QRect &r : dirty)
            redraw(r, false);
    }
    ++m_uRevision;
    return true;
}

void ROverlayLayer::redraw(const QRect &area, bool whole)
{
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!whole) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(area, Qt::transparent);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    m_scene->renderOverlay(&painter, QRectF(area), QRectF(area).translated(m_origin));
}
