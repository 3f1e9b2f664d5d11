#pragma once
// Tells the application that a device exists but another program holds it.

#include <QMediaAvailabilityControl>

class VirtualCameraSession;

class VirtualCameraAvailability : public QMediaAvailabilityControl
{
    Q_OBJECT

public:
    explicit VirtualCameraAvailability(VirtualCameraSession *session, QObject *parent = nullptr);

    QMultimedia::AvailabilityStatus availability() const override;

private:
    VirtualCameraSession *m_session;
};
