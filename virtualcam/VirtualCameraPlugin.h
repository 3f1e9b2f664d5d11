#pragma once
// Entry point Qt Multimedia loads from plugins/mediaservice: lists the cameras
// of the configuration file and creates a camera service for one of them.

#include <QMediaServiceProviderPlugin>

class VirtualCameraPlugin : public QMediaServiceProviderPlugin,
                            public QMediaServiceSupportedDevicesInterface,
                            public QMediaServiceDefaultDeviceInterface,
                            public QMediaServiceCameraInfoInterface
{
    Q_OBJECT
    Q_INTERFACES(QMediaServiceSupportedDevicesInterface)
    Q_INTERFACES(QMediaServiceDefaultDeviceInterface)
    Q_INTERFACES(QMediaServiceCameraInfoInterface)
    Q_PLUGIN_METADATA(IID "org.qt-project.qt.mediaserviceproviderfactory/5.0" FILE "VirtualCameraPlugin.json")

public:
    QMediaService *create(const QString &key) override;
    void release(QMediaService *service) override;

    QList<QByteArray> devices(const QByteArray &service) const override;
    QString deviceDescription(const QByteArray &service, const QByteArray &device) override;

    QByteArray defaultDevice(const QByteArray &service) const override;

    QCamera::Position cameraPosition(const QByteArray &device) const override;
    int cameraOrientation(const QByteArray &device) const override;
};
