#pragma once

#include <QCamera>
#include <QCameraInfo>
#include <QList>
#include <QMap>
#include <QRecursiveMutex>

// Qt's GStreamer camera backend enumerates devices without a lock of its own,
// so two threads listing cameras (or one listing while another constructs a
// camera) crash it. Every enumeration and every camera construction, start
// and destruction in the program goes through this one lock.
class RCameraGuard
{
public:
    static QRecursiveMutex &mutex();

    static QList<QCameraInfo> availableCameras();
    // A new camera for `info`, without parent.
    static QCamera *createCamera(const QCameraInfo &info);
    static void start(QCamera *camera);
    static void stop(QCamera *camera);
    // Deletes at once; null is allowed.
    static void destroy(QCamera *camera);

    // Every camera plugin Qt finds (file name) and whether its camera service
    // can be created. Qt's GStreamer one needs GStreamer's camerabin element
    // and fails without it even though it still lists the devices.
    static QMap<QString, bool> cameraServices();
    // True when some camera plugin cannot create its service.
    static bool serviceMissing();

    // "QCamera::<enumerator>" for the log.
    static QString errorName(QCamera::Error error);
};
