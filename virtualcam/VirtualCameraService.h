#pragma once
// The camera service behind one QCamera: a session and the controls that expose it.

#include <QMediaService>

class VirtualCameraAvailability;
class VirtualCameraCaptureDestination;
class VirtualCameraControl;
class VirtualCameraDeviceSelector;
class VirtualCameraFocus;
class VirtualCameraImageCapture;
class VirtualCameraImageProcessing;
class VirtualCameraInfoControl;
class VirtualCameraRenderer;
class VirtualCameraSession;
class VirtualCameraVideoProbe;
class VirtualCameraViewfinderSettings;

class VirtualCameraService : public QMediaService
{
    Q_OBJECT

public:
    explicit VirtualCameraService(QObject *parent = nullptr);
    ~VirtualCameraService() override;

    QMediaControl *requestControl(const char *name) override;
    void releaseControl(QMediaControl *control) override;

private:
    VirtualCameraSession *m_session;
    VirtualCameraControl *m_camera;
    VirtualCameraDeviceSelector *m_selector;
    VirtualCameraViewfinderSettings *m_viewfinderSettings;
    VirtualCameraRenderer *m_renderer;
    VirtualCameraCaptureDestination *m_destination;
    VirtualCameraImageCapture *m_capture;
    VirtualCameraImageProcessing *m_processing;
    VirtualCameraFocus *m_focus;
    VirtualCameraAvailability *m_availability;
    VirtualCameraInfoControl *m_info;
    VirtualCameraVideoProbe *m_probe;
};
