#include "RViewfinderCamera.h"

#include "RCameraGuard.h"

#include <QCamera>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QDebug>
#include <QMutexLocker>

RViewfinderCamera::RViewfinderCamera(QObject *parent)
    : QObject(parent)
{
}

RViewfinderCamera::~RViewfinderCamera()
{
    stop();
}

QString RViewfinderCamera::start(const QString &description, QCameraViewfinder *viewfinder)
{
    stop();
    QCameraInfo chosen;
    {
        // The lookup of the default enumerates too.
        QMutexLocker lock(&RCameraGuard::mutex());
        const QList<QCameraInfo> cameras = RCameraGuard::availableCameras();
        for (const QCameraInfo &info : cameras) {
            if (info.description() == description) {
                chosen = info;
                break;
            }
        }
        if (chosen.isNull())
            chosen = QCameraInfo::defaultCamera();
    }
    qInfo().noquote() << "RViewfinderCamera::start: asked for" << description << "starting" << chosen.description();
    m_camera = RCameraGuard::createCamera(chosen);
    connect(m_camera, &QCamera::errorOccurred, this,
            [](QCamera::Error e) { qInfo().noquote() << "RViewfinderCamera: error" << RCameraGuard::errorName(e); });
    m_camera->setCaptureMode(QCamera::CaptureViewfinder);
    if (viewfinder)
        m_camera->setViewfinder(viewfinder);
    RCameraGuard::start(m_camera);
    return chosen.description();
}

void RViewfinderCamera::stop()
{
    if (!m_camera)
        return;
    QCamera *camera = m_camera;
    m_camera = nullptr;
    RCameraGuard::stop(camera);
    RCameraGuard::destroy(camera);
    qInfo() << "RViewfinderCamera::stop: closed";
}
