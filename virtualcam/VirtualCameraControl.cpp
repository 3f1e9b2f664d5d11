#include "VirtualCameraControl.h"

#include "VirtualCameraSession.h"

VirtualCameraControl::VirtualCameraControl(VirtualCameraSession *session, QObject *parent)
    : QCameraControl(parent)
    , m_session(session)
{
    connect(session, &VirtualCameraSession::stateChanged, this, &VirtualCameraControl::stateChanged);
    connect(session, &VirtualCameraSession::statusChanged, this, &VirtualCameraControl::statusChanged);
    connect(session, &VirtualCameraSession::error, this, &VirtualCameraControl::error);
}

QCamera::State VirtualCameraControl::state() const
{
    return m_session->state();
}

void VirtualCameraControl::setState(QCamera::State state)
{
    m_session->setState(state);
}

QCamera::Status VirtualCameraControl::status() const
{
    return m_session->status();
}

QCamera::CaptureModes VirtualCameraControl::captureMode() const
{
    return m_captureMode;
}

void VirtualCameraControl::setCaptureMode(QCamera::CaptureModes mode)
{
    if (mode == m_captureMode || !isCaptureModeSupported(mode))
        return;
    m_captureMode = mode;
    emit captureModeChanged(mode);
}

bool VirtualCameraControl::isCaptureModeSupported(QCamera::CaptureModes mode) const
{
    // Video is recorded by the recorder through its own capture path, never through this backend.
    return !(mode & QCamera::CaptureVideo);
}

bool VirtualCameraControl::canChangeProperty(PropertyChangeType changeType, QCamera::Status status) const
{
    Q_UNUSED(changeType);
    Q_UNUSED(status);
    // Everything applies to the running stream; no restart needed.
    return true;
}
