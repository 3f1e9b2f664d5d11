#include "VirtualCameraCaptureDestination.h"

VirtualCameraCaptureDestination::VirtualCameraCaptureDestination(QObject *parent)
    : QCameraCaptureDestinationControl(parent)
{
}

bool VirtualCameraCaptureDestination::isCaptureDestinationSupported(
    QCameraImageCapture::CaptureDestinations destination) const
{
    return destination != 0
           && !(destination & ~(QCameraImageCapture::CaptureToFile | QCameraImageCapture::CaptureToBuffer));
}

QCameraImageCapture::CaptureDestinations VirtualCameraCaptureDestination::captureDestination() const
{
    return m_destination;
}

void VirtualCameraCaptureDestination::setCaptureDestination(QCameraImageCapture::CaptureDestinations destination)
{
    if (destination == m_destination || !isCaptureDestinationSupported(destination))
        return;
    m_destination = destination;
    emit captureDestinationChanged(destination);
}
