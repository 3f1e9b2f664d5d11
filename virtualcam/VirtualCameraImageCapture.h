#pragma once
// Still capture: the next frame of the running stream (or the frozen picture
// of a stopped camera) at the applied resolution. A file is written only
// when the caller names one; nothing is ever dropped into the user's folders.

#include <QCameraImageCaptureControl>
#include <QList>

class VirtualCameraCaptureDestination;
class VirtualCameraSession;

class VirtualCameraImageCapture : public QCameraImageCaptureControl
{
    Q_OBJECT

public:
    VirtualCameraImageCapture(VirtualCameraSession *session, VirtualCameraCaptureDestination *destination,
                              QObject *parent = nullptr);

    bool isReadyForCapture() const override;
    QCameraImageCapture::DriveMode driveMode() const override;
    void setDriveMode(QCameraImageCapture::DriveMode mode) override;
    int capture(const QString &fileName) override;
    void cancelCapture() override;

private:
    struct Request
    {
        int id;
        QString fileName;
    };

    void frameArrived(const QImage &frame);
    void deliver(const Request &request, const QImage &frame);
    void fail(int id, QCameraImageCapture::Error error, const QString &message);

    VirtualCameraSession *m_session;
    VirtualCameraCaptureDestination *m_destination;
    QList<Request> m_pending;
    int m_lastId = 0;
};
