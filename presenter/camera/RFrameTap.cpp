#include "RFrameTap.h"

#include <QVideoSurfaceFormat>

RFrameTap::RFrameTap(QObject *parent)
    : QAbstractVideoSurface(parent)
{
}

void RFrameTap::setTarget(QAbstractVideoSurface *target)
{
    m_target = target;
}

QList<QVideoFrame::PixelFormat> RFrameTap::supportedPixelFormats(QAbstractVideoBuffer::HandleType type) const
{
    if (m_target)
        return m_target->supportedPixelFormats(type);
    if (type != QAbstractVideoBuffer::NoHandle)
        return {};
    return {QVideoFrame::Format_RGB32, QVideoFrame::Format_ARGB32};
}

bool RFrameTap::isFormatSupported(const QVideoSurfaceFormat &format) const
{
    return m_target ? m_target->isFormatSupported(format) : QAbstractVideoSurface::isFormatSupported(format);
}

bool RFrameTap::start(const QVideoSurfaceFormat &format)
{
    if (m_target) {
        if (m_target->isActive())
            m_target->stop();
        if (!m_target->start(format)) {
            setError(m_target->error());
            return false;
        }
    }
    return QAbstractVideoSurface::start(format);
}

void RFrameTap::stop()
{
    m_last = QVideoFrame();
    if (m_target && m_target->isActive())
        m_target->stop();
    QAbstractVideoSurface::stop();
}

bool RFrameTap::present(const QVideoFrame &frame)
{
    m_last = frame;
    return m_target ? m_target->present(frame) : true;
}

QImage RFrameTap::frameImage(const QVideoFrame &frame)
{
    if (!frame.isValid())
        return QImage();
    const QImage::Format format = QVideoFrame::imageFormatFromPixelFormat(frame.pixelFormat());
    if (format != QImage::Format_Invalid && frame.handleType() == QAbstractVideoBuffer::NoHandle) {
        auto *held = new QVideoFrame(frame);
        if (held->map(QAbstractVideoBuffer::ReadOnly)) {
            // Read-only data: a painter on the picture copies instead of writing into the frame.
            return QImage(
                static_cast<const uchar *>(held->bits()), held->width(), held->height(), held->bytesPerLine(), format,
                [](void *info) {
                    auto *f = static_cast<QVideoFrame *>(info);
                    f->unmap();
                    delete f;
                },
                held);
        }
        delete held;
    }
    return frame.image();
}
