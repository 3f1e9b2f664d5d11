#include "RFrameCompositor.h"

#include "RPictureOrientation.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QPainter>
#include <QTransform>

#include <cstdlib>
#include <utility>
#include <vector>

void RFrameCompositor::paintVeil(QPainter &painter, const QSize &size, const QRect &spot)
{
    const QColor veil(0, 0, 0, 196);
    const QRect &s = spot;
    const int l = s.left();
    const int t = s.top();
    const int r = l + s.width();
    const int b = t + s.height();
    const int w = size.width();
    const int h = size.height();
    painter.fillRect(QRect(QPoint(0, 0), QPoint(w - 1, t - 1)), veil);
    painter.fillRect(QRect(QPoint(0, b), QPoint(w - 1, h - 1)), veil);
    painter.fillRect(QRect(QPoint(0, t), QPoint(l - 1, b - 1)), veil);
    painter.fillRect(QRect(QPoint(r, t), QPoint(w - 1, b - 1)), veil);
}

namespace {

// Pictures as big as a frame are fresh memory every time, and on a busy
// machine faulting in 32 MB costs more than composing into it. Two buffers
// are kept for the next pictures of the same size.
struct BufferPool
{
    QMutex mutex;
    std::vector<std::pair<size_t, uchar *>> spare;
};

BufferPool &bufferPool()
{
    static auto *pool = new BufferPool; // outlives every picture, even at exit
    return *pool;
}

struct Lease
{
    size_t bytes;
    uchar *data;
};

void giveBack(void *info)
{
    auto *lease = static_cast<Lease *>(info);
    BufferPool &pool = bufferPool();
    {
        QMutexLocker lock(&pool.mutex);
        if (pool.spare.size() < 2) {
            pool.spare.emplace_back(lease->bytes, lease->data);
            lease->data = nullptr;
        }
    }
    std::free(lease->data);
    delete lease;
}

QImage pooledImage(const QSize &size, QImage::Format format)
{
    const int bytesPerLine = size.width() * 4;
    const size_t bytes = size_t(bytesPerLine) * size_t(size.height());
    uchar *data = nullptr;
    {
        BufferPool &pool = bufferPool();
        QMutexLocker lock(&pool.mutex);
        for (auto it = pool.spare.begin(); it != pool.spare.end(); ++it)
            if (it->first == bytes) {
                data = it->second;
                pool.spare.erase(it);
                break;
            }
        // Another size (a new resolution): the old buffers are no use any more.
        if (!data) {
            for (auto &b : pool.spare)
                std::free(b.second);
            pool.spare.clear();
        }
    }
    if (!data)
        data = static_cast<uchar *>(std::malloc(bytes));
    if (!data)
        return QImage();
    return QImage(data, size.width(), size.height(), bytesPerLine, format, giveBack, new Lease{bytes, data});
}

} // namespace

QImage RFrameCompositor::compose(const QImage &frame, const QImage &layer, const View &view)
{
    if (frame.isNull())
        return QImage();
    const QSize shown = frame.size();
    const QRectF whole(QPointF(0, 0), QSizeF(shown));
    const QRectF source = view.source.isEmpty() ? whole : view.source;
    const QTransform turn = QTransform().rotate(view.turn);
    const QRectF turned = turn.mapRect(QRectF(QPointF(0, 0), source.size()));
    const QSize out = view.out.isEmpty() ? turned.size().toSize() : view.out;
    if (out.isEmpty())
        return QImage();

    // An opaque frame gives an opaque picture, which the JPEG writer takes as it is.
    const QImage::Format format = frame.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    QImage result = pooledImage(out, format);
    if (result.isNull())
        return result;
    QPainter painter(&result);
    const QTransform flipped = RPictureOrientation::flipTransform(shown, view.mirror, view.flip);
    if (source == whole && view.turn % 360 == 0 && out == shown) {
        // The common case (a snapshot): the frame copied over, turned over if need be.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setTransform(flipped);
        painter.drawImage(0, 0, frame);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.resetTransform();
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.fillRect(result.rect(), view.outside);
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QTransform toOut = QTransform::fromTranslate(-source.left(), -source.top()) * turn
                                 * QTransform::fromTranslate(-turned.left(), -turned.top())
                                 * QTransform::fromScale(out.width() / turned.width(), out.height() / turned.height());
        painter.setTransform(flipped * toOut);
        painter.drawImage(0, 0, frame);
        painter.setTransform(toOut);
    }
    if (!layer.isNull()) {
        if (layer.size() == shown && !view.layerArea.isEmpty())
            painter.drawImage(view.layerArea.topLeft(), layer, view.layerArea);
        else if (layer.size() == shown)
            painter.drawImage(0, 0, layer);
        else
            painter.drawImage(whole, layer);
    }
    if (view.spotlight)
        paintVeil(painter, shown, view.spot);
    painter.end();
    return result;
}

RFrameCompositor::RFrameCompositor(QObject *parent)
    : QObject(parent)
{
    m_worker = new QObject;
    m_worker->moveToThread(&m_thread);
    connect(&m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread.setObjectName(QStringLiteral("compositor"));
    m_thread.start();
}

RFrameCompositor::~RFrameCompositor()
{
    m_thread.quit();
    m_thread.wait();
}

void RFrameCompositor::submit(const QImage &frame, const QImage &layer, const View &view, qint64 stamp)
{
    QMutexLocker lock(&m_mutex);
    if (m_hasPending)
        ++m_iDropped;
    m_pending = Job{frame, layer, view, stamp};
    m_hasPending = true;
    if (m_scheduled)
        return;
    m_scheduled = true;
    QMetaObject::invokeMethod(m_worker, [this] { drain(); }, Qt::QueuedConnection);
}

int RFrameCompositor::dropped() const
{
    QMutexLocker lock(&m_mutex);
    return m_iDropped;
}

void RFrameCompositor::drain()
{
    for (;;) {
        Job job;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_hasPending) {
                m_scheduled = false;
                return;
            }
            job = std::move(m_pending);
            m_pending = Job();
            m_hasPending = false;
        }
        emit sComposed(compose(job.frame, job.layer, job.view), job.stamp);
    }
}
