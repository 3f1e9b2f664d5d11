#pragma once
// Hands frames to the viewfinder's video surface as RGB32 video frames.
// The surface is (re)started whenever the frame size changes, because a
// painter surface refuses frames that do not match its format.

#include <QImage>
#include <QPointer>
#include <QVideoRendererControl>

class VirtualCameraSession;

class VirtualCameraRenderer : public QVideoRendererControl
{
    Q_OBJECT

public:
    explicit VirtualCameraRenderer(VirtualCameraSession *session, QObject *parent = nullptr);
    ~VirtualCameraRenderer() override;

    QAbstractVideoSurface *surface() const override;
    void setSurface(QAbstractVideoSurface *surface) override;

private:
    void present(const QImage &frame);
    void stopSurface();

    QPointer<QAbstractVideoSurface> m_surface;
};
