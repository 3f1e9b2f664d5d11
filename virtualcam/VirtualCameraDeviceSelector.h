#pragma once
// Device choice; without it QCamera(QCameraInfo) cannot name the device it wants.

#include <QVideoDeviceSelectorControl>

class VirtualCameraSession;

class VirtualCameraDeviceSelector : public QVideoDeviceSelectorControl
{
    Q_OBJECT

public:
    explicit VirtualCameraDeviceSelector(VirtualCameraSession *session, QObject *parent = nullptr);

    int deviceCount() const override;
    QString deviceName(int index) const override;
    QString deviceDescription(int index) const override;
    int defaultDevice() const override;
    int selectedDevice() const override;
    void setSelectedDevice(int index) override;

private:
    VirtualCameraSession *m_session;
};
