#include "VirtualCameraSession.h"

#include "VirtualCameraConfig.h"
#include "VirtualCameraFrameGenerator.h"

#include <QDebug>

namespace {

// How often an open device is checked for being unplugged.
constexpr int kWatchIntervalMs = 400;

} // namespace

VirtualCameraSession::VirtualCameraSession(QObject *parent)
    : QObject(parent)
    , m_devices(VirtualCameraConfig::presentDevices())
{
    m_watch.setInterval(kWatchIntervalMs);
    connect(&m_watch, &QTimer::timeout, this, &VirtualCameraSession::watchDevice);
    if (!m_devices.isEmpty())
        selectDevice(0);
}

VirtualCameraSession::~VirtualCameraSession()
{
    if (m_thread) {
        // The generator and its timer are deleted on their own thread as it finishes.
        m_thread->quit();
        m_thread->wait();
        delete m_thread;
    }
}

void VirtualCameraSession::selectDevice(int index)
{
    if (index == m_selected || index < 0 || index >= m_devices.size())
        return;
    if (m_state != QCamera::UnloadedState)
        close(QCamera::UnloadedStatus);
    m_selected = index;
    m_device = m_devices.at(index);
    m_settings = defaultSettings();
    qDebug() << "VirtualCameraSession::selectDevice:" << m_device.deviceName << m_device.description;
    updateAvailability();
}

QCameraViewfinderSettings VirtualCameraSession::defaultSettings() const
{
    QCameraViewfinderSettings settings;
    if (!m_device.isValid())
        return settings;
    settings.setResolution(m_device.resolutions.value(0));
    settings.setPixelFormat(m_device.pixelFormats.value(0, QVideoFrame::Format_Jpeg));
    settings.setMinimumFrameRate(m_device.fps);
    settings.setMaximumFrameRate(m_device.fps);
    settings.setPixelAspectRatio(1, 1);
    return settings;
}

QList<QCameraViewfinderSettings> VirtualCameraSession::supportedViewfinderSettings() const
{
    // Resolution-major, so both resolutions and pixel formats come out in file order.
    QList<QCameraViewfinderSettings> list;
    for (const QSize &resolution : m_device.resolutions) {
        for (QVideoFrame::PixelFormat format : m_device.pixelFormats) {
            QCameraViewfinderSettings settings;
            settings.setResolution(resolution);
            settings.setPixelFormat(format);
            settings.setMinimumFrameRate(m_device.fps);
            settings.setMaximumFrameRate(m_device.fps);
            settings.setPixelAspectRatio(1, 1);
            list.append(settings);
        }
    }
    return list;
}

void VirtualCameraSession::setViewfinderSettings(const QCameraViewfinderSettings &settings)
{
    // Parts left empty keep their current value, so a resolution change keeps the pixel format.
    QCameraViewfinderSettings next = m_settings;
    if (!settings.resolution().isEmpty()) {
        if (m_device.resolutions.contains(settings.resolution()))
            next.setResolution(settings.resolution());
        else
            qInfo() << "VirtualCameraSession::setViewfinderSettings: unsupported resolution ignored:"
                    << settings.resolution();
    }
    if (settings.pixelFormat() != QVideoFrame::Format_Invalid) {
        if (m_device.pixelFormats.contains(settings.pixelFormat()))
            next.setPixelFormat(settings.pixelFormat());
        else
            qInfo() << "VirtualCameraSession::setViewfinderSettings: unsupported pixel format ignored:"
                    << settings.pixelFormat();
    }
    if (next == m_settings)
        return;
    m_settings = next;
    qDebug() << "VirtualCameraSession::setViewfinderSettings:" << m_settings.resolution() << m_settings.pixelFormat();
    pushParameters();
}

qreal VirtualCameraSession::adjustment(Adjustment kind) const
{
    switch (kind) {
    case Brightness:
        return m_brightness;
    case Contrast:
        return m_contrast;
    case Saturation:
        return m_saturation;
    }
    return 0.0;
}

void VirtualCameraSession::setAdjustment(Adjustment kind, qreal value)
{
    value = qBound(-1.0, value, 1.0);
    switch (kind) {
    case Brightness:
        m_brightness = value;
        break;
    case Contrast:
        m_contrast = value;
        break;
    case Saturation:
        m_saturation = value;
        break;
    }
    qDebug() << "VirtualCameraSession::setAdjustment:" << int(kind) << value;
    pushParameters();
}

QMultimedia::AvailabilityStatus VirtualCameraSession::availability() const
{
    if (m_selected < 0)
        return QMultimedia::ResourceError;
    // While we hold the device nobody else can take it.
    if (m_state != QCamera::UnloadedState)
        return QMultimedia::Available;
    const VirtualCameraDevice device = VirtualCameraConfig::findPresent(m_device.deviceName);
    if (!device.isValid())
        return QMultimedia::ResourceError;
    return device.busy ? QMultimedia::Busy : QMultimedia::Available;
}

void VirtualCameraSession::updateAvailability()
{
    const QMultimedia::AvailabilityStatus now = availability();
    if (now == m_availability)
        return;
    m_availability = now;
    emit availabilityChanged(now);
}

void VirtualCameraSession::setState(QCamera::State state)
{
    qDebug() << "VirtualCameraSession::setState:" << m_device.deviceName << "from" << m_state << "to" << state;
    if (state == QCamera::UnloadedState) {
        if (m_state != QCamera::UnloadedState)
            close(QCamera::UnloadedStatus);
        return;
    }
    if (m_state == QCamera::UnloadedState && !open())
        return;
    if (state == QCamera::ActiveState) {
        startStream();
    } else if (m_state == QCamera::ActiveState) {
        // Stopped but still open: the screen keeps the last picture, as with a real driver.
        stopStream();
        setStateValue(QCamera::LoadedState);
        setStatus(QCamera::LoadedStatus);
    }
}

bool VirtualCameraSession::open()
{
    if (m_selected < 0) {
        qInfo() << "VirtualCameraSession::open: no device selected";
        setStatus(QCamera::UnavailableStatus);
        emit error(QCamera::CameraError, tr("No camera device is selected"));
        return false;
    }
    const VirtualCameraDevice current = VirtualCameraConfig::findPresent(m_device.deviceName);
    if (!current.isValid()) {
        qInfo() << "VirtualCameraSession::open: device not connected:" << m_device.deviceName;
        setStatus(QCamera::UnavailableStatus);
        updateAvailability();
        emit error(QCamera::CameraError, tr("The camera is not connected"));
        return false;
    }
    if (current.busy) {
        // Like a driver whose device another program holds: it simply stays unloaded.
        qInfo() << "VirtualCameraSession::open: device in use by another program:" << m_device.deviceName;
        setStatus(QCamera::UnavailableStatus);
        updateAvailability();
        return false;
    }

    // The file may have changed since the listing; the device as it is now counts.
    m_device = current;
    QCameraViewfinderSettings settings = m_settings;
    if (!m_device.resolutions.contains(settings.resolution()))
        settings.setResolution(m_device.resolutions.value(0));
    if (!m_device.pixelFormats.contains(settings.pixelFormat()))
        settings.setPixelFormat(m_device.pixelFormats.value(0));
    settings.setMinimumFrameRate(m_device.fps);
    settings.setMaximumFrameRate(m_device.fps);
    m_settings = settings;

    qInfo() << "VirtualCameraSession::open:" << m_device.description << m_settings.resolution();
    setStatus(QCamera::LoadingStatus);
    setStateValue(QCamera::LoadedState);
    setStatus(QCamera::LoadedStatus);
    m_watch.start();
    updateAvailability();
    return true;
}

void VirtualCameraSession::close(QCamera::Status status)
{
    stopStream();
    m_watch.stop();
    m_lastFrame = QImage();
    setStateValue(QCamera::UnloadedState);
    setStatus(status);
    emit streamEnded();
    updateAvailability();
}

void VirtualCameraSession::startStream()
{
    if (m_streaming)
        return;
    if (!m_thread) {
        m_thread = new QThread;
        m_thread->setObjectName(QStringLiteral("VirtualCameraFrames"));
        m_generator = new VirtualCameraFrameGenerator;
        m_generator->moveToThread(m_thread);
        connect(m_thread, &QThread::finished, m_generator, &QObject::deleteLater);
        connect(m_generator, &VirtualCameraFrameGenerator::frameReady, this, &VirtualCameraSession::frameReady,
                Qt::QueuedConnection);
        m_thread->start();
    }
    pushParameters();
    VirtualCameraFrameGenerator *generator = m_generator;
    QMetaObject::invokeMethod(generator, [generator] { generator->start(); }, Qt::QueuedConnection);
    m_streaming = true;
    setStateValue(QCamera::ActiveState);
    setStatus(QCamera::StartingStatus);
}

void VirtualCameraSession::stopStream()
{
    if (!m_streaming)
        return;
    VirtualCameraFrameGenerator *generator = m_generator;
    QMetaObject::invokeMethod(generator, [generator] { generator->stop(); }, Qt::QueuedConnection);
    m_streaming = false;
    if (m_ready) {
        m_ready = false;
        emit readyForCaptureChanged(false);
    }
}

void VirtualCameraSession::pushParameters()
{
    if (!m_generator)
        return;
    VirtualCameraFrameSource::Parameters parameters;
    parameters.size = m_settings.resolution();
    parameters.source = m_device.source;
    parameters.pageCorners = m_device.pageCorners;
    parameters.syncMarks = m_device.syncMarks;
    parameters.brightness = m_brightness;
    parameters.contrast = m_contrast;
    parameters.saturation = m_saturation;
    m_generator->setParameters(parameters);
    m_generator->setFrameRate(m_device.fps);
}

void VirtualCameraSession::frameReady(const QImage &frame)
{
    m_generator->frameConsumed();
    // Frames made before a stop or a resolution change are stale.
    if (!m_streaming || frame.size() != m_settings.resolution())
        return;
    m_lastFrame = frame;
    if (m_status != QCamera::ActiveStatus)
        setStatus(QCamera::ActiveStatus);
    if (!m_ready) {
        m_ready = true;
        emit readyForCaptureChanged(true);
    }
    emit frameArrived(frame);
}

void VirtualCameraSession::watchDevice()
{
    if (!VirtualCameraConfig::findPresent(m_device.deviceName).isValid())
        deviceLost();
}

void VirtualCameraSession::deviceLost()
{
    qInfo() << "VirtualCameraSession::deviceLost:" << m_device.deviceName << m_device.description;
    close(QCamera::UnavailableStatus);
    emit error(QCamera::CameraError, tr("The camera has been disconnected"));
}

void VirtualCameraSession::setStateValue(QCamera::State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged(state);
}

void VirtualCameraSession::setStatus(QCamera::Status status)
{
    if (status == m_status)
        return;
    m_status = status;
    emit statusChanged(status);
}
