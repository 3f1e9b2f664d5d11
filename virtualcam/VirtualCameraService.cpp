#include "VirtualCameraService.h"

#include "VirtualCameraAvailability.h"
#include "VirtualCameraCaptureDestination.h"
#include "VirtualCameraControl.h"
#include "VirtualCameraDeviceSelector.h"
#include "VirtualCameraFocus.h"
#include "VirtualCameraImageCapture.h"
#include "VirtualCameraImageProcessing.h"
#include "VirtualCameraInfoControl.h"
#include "VirtualCameraRenderer.h"
#include "VirtualCameraSession.h"
#include "VirtualCameraVideoProbe.h"
#include "VirtualCameraViewfinderSettings.h"

#include <QDebug>
#include <cstring>

VirtualCameraService::VirtualCameraService(QObject *parent)
    : QMediaService(parent)
    , m_session(new VirtualCameraSession(this))
    , m_camera(new VirtualCameraControl(m_session, this))
    , m_selector(new VirtualCameraDeviceSelector(m_session, this))
    , m_viewfinderSettings(new VirtualCameraViewfinderSettings(m_session, this))
    , m_renderer(new VirtualCameraRenderer(m_session, this))
    , m_destination(new VirtualCameraCaptureDestination(this))
    , m_capture(new VirtualCameraImageCapture(m_session, m_destination, this))
    , m_processing(new VirtualCameraImageProcessing(m_session, this))
    , m_focus(new VirtualCameraFocus(this))
    , m_availability(new VirtualCameraAvailability(m_session, this))
    , m_info(new VirtualCameraInfoControl(this))
    , m_probe(new VirtualCameraVideoProbe(m_session, this))
{
    qDebug() << "VirtualCameraService::VirtualCameraService: devices" << m_session->devices().size();
}

VirtualCameraService::~VirtualCameraService()
{
    // The renderer lets go of the surface before the session stops its thread.
    delete m_renderer;
    m_renderer = nullptr;
    delete m_session;
    m_session = nullptr;
}

QMediaControl *VirtualCameraService::requestControl(const char *name)
{
    const auto is = [name](const char *iid) { return std::strcmp(name, iid) == 0; };
    if (is(QCameraControl_iid))
        return m_camera;
    if (is(QVideoDeviceSelectorControl_iid))
        return m_selector;
    if (is(QCameraViewfinderSettingsControl2_iid))
        return m_viewfinderSettings;
    if (is(QVideoRendererControl_iid))
        return m_renderer;
    if (is(QCameraImageCaptureControl_iid))
        return m_capture;
    if (is(QCameraCaptureDestinationControl_iid))
        return m_destination;
    if (is(QCameraImageProcessingControl_iid))
        return m_processing;
    if (is(QCameraFocusControl_iid))
        return m_focus;
    if (is(QMediaAvailabilityControl_iid))
        return m_availability;
    if (is(QCameraInfoControl_iid))
        return m_info;
    if (is(QMediaVideoProbeControl_iid))
        return m_probe;
    // No widget or window control: QVideoWidget would prefer those over the renderer.
    return nullptr;
}

void VirtualCameraService::releaseControl(QMediaControl *control)
{
    Q_UNUSED(control);
}
