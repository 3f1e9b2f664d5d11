#pragma once

#include <QObject>
#include <QString>

class QCamera;
class QCameraViewfinder;

// A camera shown in a viewfinder widget (the compare view's camera pane).
// Enumeration, construction, start, stop and destruction all run under
// RCameraGuard, like every other camera access of the program.
class RViewfinderCamera : public QObject
{
    Q_OBJECT
public:
    explicit RViewfinderCamera(QObject *parent = nullptr);
    ~RViewfinderCamera() override;

    // Starts the camera described `description` (else the default one) in
    // `viewfinder`; a running camera is closed first. Returns the description
    // of the camera started, empty when there is none.
    QString start(const QString &description, QCameraViewfinder *viewfinder);
    // Stops and destroys the camera; nothing happens without one.
    void stop();
    QCamera *camera() const { return m_camera; }

private:
    QCamera *m_camera = nullptr;
};
