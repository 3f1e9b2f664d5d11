#pragma once
// Resolution and pixel format of the stream, reported in the configuration file's order.

#include <QCameraViewfinderSettingsControl2>

class VirtualCameraSession;

class VirtualCameraViewfinderSettings : public QCameraViewfinderSettingsControl2
{
    Q_OBJECT

public:
    explicit VirtualCameraViewfinderSettings(VirtualCameraSession *session, QObject *parent = nullptr);

    QList<QCameraViewfinderSettings> supportedViewfinderSettings() const override;
    QCameraViewfinderSettings viewfinderSettings() const override;
    void setViewfinderSettings(const QCameraViewfinderSettings &settings) override;

private:
    VirtualCameraSession *m_session;
};
