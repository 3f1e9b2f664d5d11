#pragma once
// Camera state and capture mode, handed through to the session.

#include <QCameraControl>

class VirtualCameraSession;

class VirtualCameraControl : public QCameraControl
{
    Q_OBJECT

public:
    explicit VirtualCameraControl(VirtualCameraSession *session, QObject *parent = nullptr);

    QCamera::State state() const override;
    void setState(QCamera::State state) override;
    QCamera::Status status() const override;

    QCamera::CaptureModes captureMode() const override;
    void setCaptureMode(QCamera::CaptureModes mode) override;
    bool isCaptureModeSupported(QCamera::CaptureModes mode) const override;

    bool canChangeProperty(PropertyChangeType changeType, QCamera::Status status) const override;

private:
    VirtualCameraSession *m_session;
    QCamera::CaptureModes m_captureMode = QCamera::CaptureStillImage;
};
