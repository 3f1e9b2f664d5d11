#include "VirtualCameraInfoControl.h"

VirtualCameraInfoControl::VirtualCameraInfoControl(QObject *parent)
    : QCameraInfoControl(parent)
{
}

QCamera::Position VirtualCameraInfoControl::cameraPosition(const QString &deviceName) const
{
    Q_UNUSED(deviceName);
    return QCamera::UnspecifiedPosition;
}

int VirtualCameraInfoControl::cameraOrientation(const QString &deviceName) const
{
    Q_UNUSED(deviceName);
    return 0;
}
