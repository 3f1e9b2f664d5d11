#pragma once

#include <QAbstractVideoSurface>
#include <QImage>
#include <QPointer>
#include <QVideoFrame>

// Sits between the camera and the viewfinder's own surface: every frame goes
// on to the viewfinder unchanged, and the last one is kept (shared, not
// copied) so a snapshot can take the picture itself instead of repainting it.
class RFrameTap : public QAbstractVideoSurface
{
    Q_OBJECT
public:
    explicit RFrameTap(QObject *parent = nullptr);

    void setTarget(QAbstractVideoSurface *target);
    QAbstractVideoSurface *target() const { return m_target; }

    QList<QVideoFrame::PixelFormat> supportedPixelFormats(
        QAbstractVideoBuffer::HandleType type = QAbstractVideoBuffer::NoHandle) const override;
    bool isFormatSupported(const QVideoSurfaceFormat &format) const override;
    bool start(const QVideoSurfaceFormat &format) override;
    void stop() override;
    bool present(const QVideoFrame &frame) override;

    // The last frame shown; invalid after the stream ended.
    QVideoFrame lastFrame() const { return m_last; }
    // A picture of the frame that shares its memory where the pixel format
    // allows (the frame stays mapped while the picture lives); a converted
    // copy otherwise. Null for an invalid frame.
    static QImage frameImage(const QVideoFrame &frame);

private:
    QPointer<QAbstractVideoSurface> m_target;
    QVideoFrame m_last;
};
