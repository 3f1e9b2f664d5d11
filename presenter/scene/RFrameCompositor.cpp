#include "RFrameCompositor.h"

#include "RPictureOrientation.h"

#include <QMetaObject>
#include <QMutexLocker>
#include <QPainter>
#include <QTransform>

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
    QImage result;
    QPainter painter;
    if (source == whole && view.turn % 360 == 0 && out == shown) {
        // The common case (a snapshot): one copy of the frame, turned over
        // if need be, then the layer over it.
        const QImage base = view.mirror || view.flip ? frame.mirrored(view.mirror, view.flip) : frame;
        result = base.convertToFormat(format);
        painter.begin(&result);
    } else {
        result = QImage(out, format);
        result.fill(Qt::black);
        painter.begin(&result);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const QTransform toOut = QTransform::fromTranslate(-source.left(), -source.top()) * turn
                                 * QTransform::fromTranslate(-turned.left(), -turned.top())
                                 * QTransform::fromScale(out.width() / turned.width(), out.height() / turned.height());
        painter.setTransform(RPictureOrientation::flipTransform(shown, view.mirror, view.flip) * toOut);
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
