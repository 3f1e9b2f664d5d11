#include "VirtualCameraPlugin.h"

#include "VirtualCameraConfig.h"
#include "VirtualCameraService.h"

#include <QDebug>

QMediaService *VirtualCameraPlugin::create(const QString &key)
{
    if (key != QLatin1String(Q_MEDIASERVICE_CAMERA)) {
        qDebug() << "VirtualCameraPlugin::create: unsupported service" << key;
        return nullptr;
    }
    return new VirtualCameraService;
}

void VirtualCameraPlugin::release(QMediaService *service)
{
    delete service;
}

QList<QByteArray> VirtualCameraPlugin::devices(const QByteArray &service) const
{
    QList<QByteArray> names;
    if (service != Q_MEDIASERVICE_CAMERA)
        return names;
    const QList<VirtualCameraDevice> cameras = VirtualCameraConfig::presentDevices();
    for (const VirtualCameraDevice &camera : cameras)
        names.append(camera.deviceName.toLatin1());
    return names;
}

QString VirtualCameraPlugin::deviceDescription(const QByteArray &service, const QByteArray &device)
{
    if (service != Q_MEDIASERVICE_CAMERA)
        return QString();
    return VirtualCameraConfig::findPresent(QString::fromLatin1(device)).description;
}

QByteArray VirtualCameraPlugin::defaultDevice(const QByteArray &service) const
{
    const QList<QByteArray> names = devices(service);
    return names.isEmpty() ? QByteArray() : names.first();
}

QCamera::Position VirtualCameraPlugin::cameraPosition(const QByteArray &device) const
{
    Q_UNUSED(device);
    // A document camera looks down at the desk; it is neither front nor back.
    return QCamera::UnspecifiedPosition;
}

int VirtualCameraPlugin::cameraOrientation(const QByteArray &device) const
{
    Q_UNUSED(device);
    return 0;
}
