#pragma once
// Where still pictures go: to a file, to a buffer, or both.

#include <QCameraCaptureDestinationControl>

class VirtualCameraCaptureDestination : public QCameraCaptureDestinationControl
{
    Q_OBJECT

public:
    explicit VirtualCameraCaptureDestination(QObject *parent = nullptr);

    bool isCaptureDestinationSupported(QCameraImageCapture::CaptureDestinations destination) const override;
    QCameraImageCapture::CaptureDestinations captureDestination() const override;
    void setCaptureDestination(QCameraImageCapture::CaptureDestinations destination) override;

private:
    QCameraImageCapture::CaptureDestinations m_destination = QCameraImageCapture::CaptureToFile;
};
