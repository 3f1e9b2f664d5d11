#pragma once
// State of one opened virtual camera, shared by the controls of its service:
// which device is selected, its camera state, the viewfinder settings and the
// picture adjustments. Frames are made on a worker thread and arrive here,
// on the thread of the camera object, one at a time.

#include "VirtualCameraDevice.h"

#include <QCamera>
#include <QCameraViewfinderSettings>
#include <QImage>
#include <QList>
#include <QMultimedia>
#include <QObject>
#include <QThread>
#include <QTimer>

class VirtualCameraFrameGenerator;

class VirtualCameraSession : public QObject
{
    Q_OBJECT

public:
    enum Adjustment { Brightness, Contrast, Saturation };

    explicit VirtualCameraSession(QObject *parent = nullptr);
    ~VirtualCameraSession() override;

    // Devices listed when the camera object was created.
    const QList<VirtualCameraDevice> &devices() const { return m_devices; }
    int selectedDevice() const { return m_selected; }
    void selectDevice(int index);

    QCamera::State state() const { return m_state; }
    QCamera::Status status() const { return m_status; }
    void setState(QCamera::State state);

    QList<QCameraViewfinderSettings> supportedViewfinderSettings() const;
    QCameraViewfinderSettings viewfinderSettings() const { return m_settings; }
    void setViewfinderSettings(const QCameraViewfinderSettings &settings);

    qreal adjustment(Adjustment kind) const;
    void setAdjustment(Adjustment kind, qreal value);

    QMultimedia::AvailabilityStatus availability() const;

    bool isStreaming() const { return m_streaming; }
    bool isReadyForCapture() const { return m_streaming && m_status == QCamera::ActiveStatus; }
    // The newest frame shown, at the applied resolution; null before the first one.
    QImage lastFrame() const { return m_lastFrame; }

signals:
    void stateChanged(QCamera::State state);
    void statusChanged(QCamera::Status status);
    void error(int error, const QString &errorString);
    void availabilityChanged(QMultimedia::AvailabilityStatus availability);
    void readyForCaptureChanged(bool ready);
    void frameArrived(const QImage &frame);
    // The stream is gone for good (unloaded or unplugged): the screen should let go of it.
    void streamEnded();

private:
    bool open();
    void close(QCamera::Status status);
    void startStream();
    void stopStream();
    void frameReady(const QImage &frame);
    void watchDevice();
    void deviceLost();
    void setStateValue(QCamera::State state);
    void setStatus(QCamera::Status status);
    void updateAvailability();
    void pushParameters();
    QCameraViewfinderSettings defaultSettings() const;

    QList<VirtualCameraDevice> m_devices;
    int m_selected = -1;
    VirtualCameraDevice m_device;

    QCamera::State m_state = QCamera::UnloadedState;
    QCamera::Status m_status = QCamera::UnloadedStatus;
    QCameraViewfinderSettings m_settings;
    qreal m_brightness = 0.0;
    qreal m_contrast = 0.0;
    qreal m_saturation = 0.0;

    bool m_streaming = false;
    bool m_ready = false;
    QImage m_lastFrame;
    QMultimedia::AvailabilityStatus m_availability = QMultimedia::Available;

    QTimer m_watch;
    QThread *m_thread = nullptr;
    VirtualCameraFrameGenerator *m_generator = nullptr;
};
