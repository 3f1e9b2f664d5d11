#include "VirtualCameraRenderer.h"

#include "VirtualCameraFrameBuffer.h"
#include "VirtualCameraSession.h"

#include <QAbstractVideoSurface>
#include <QDebug>
#include <QVideoSurfaceFormat>

VirtualCameraRenderer::VirtualCameraRenderer(VirtualCameraSession *session, QObject *parent)
    : QVideoRendererControl(parent)
{
    connect(session, &VirtualCameraSession::frameArrived, this, &VirtualCameraRenderer::present);
    connect(session, &VirtualCameraSession::streamEnded, this, &VirtualCameraRenderer::stopSurface);
}

VirtualCameraRenderer::~VirtualCameraRenderer()
{
    stopSurface();
}

QAbstractVideoSurface *VirtualCameraRenderer::surface() const
{
    return m_surface;
}

void VirtualCameraRenderer::setSurface(QAbstractVideoSurface *surface)
{
    if (surface == m_surface)
        return;
    stopSurface();
    m_surface = surface;
}

void VirtualCameraRenderer::stopSurface()
{
    if (m_surface && m_surface->isActive())
        m_surface->stop();
}

void VirtualCameraRenderer::present(const QImage &frame)
{
    if (!m_surface || frame.isNull())
        return;
    const QVideoSurfaceFormat current = m_surface->surfaceFormat();
    if (!m_surface->isActive() || current.frameSize() != frame.size()
        || current.pixelFormat() != QVideoFrame::Format_RGB32) {
        if (m_surface->isActive())
            m_surface->stop();
        const QVideoSurfaceFormat format(frame.size(), QVideoFrame::Format_RGB32);
        if (!m_surface->start(format)) {
            qInfo() << "VirtualCameraRenderer::present: the surface refused" << frame.size() << "RGB32, error"
                    << m_surface->error();
            return;
        }
        qDebug() << "VirtualCameraRenderer::present: surface started at" << frame.size();
    }
    // A surface that has not painted the previous frame yet drops this one; that is the intended back-pressure.
    m_surface->present(QVideoFrame(new VirtualCameraFrameBuffer(frame), frame.size(), QVideoFrame::Format_RGB32));
}
