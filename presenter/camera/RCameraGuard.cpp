#include "RCameraGuard.h"

#include <QCamera>
#include <QMetaEnum>
#include <QMutexLocker>

QRecursiveMutex &RCameraGuard::mutex()
{
    static QRecursiveMutex m;
    return m;
}

QList<QCameraInfo> RCameraGuard::availableCameras()
{
    QMutexLocker lock(&mutex());
    return QCameraInfo::availableCameras();
}

QCamera *RCameraGuard::createCamera(const QCameraInfo &info)
{
    QMutexLocker lock(&mutex());
    return new QCamera(info);
}

void RCameraGuard::start(QCamera *camera)
{
    if (!camera)
        return;
    QMutexLocker lock(&mutex());
    camera->start();
}

void RCameraGuard::stop(QCamera *camera)
{
    if (!camera)
        return;
    QMutexLocker lock(&mutex());
    camera->stop();
}

void RCameraGuard::destroy(QCamera *camera)
{
    if (!camera)
        return;
    QMutexLocker lock(&mutex());
    delete camera;
}

QString RCameraGuard::errorName(QCamera::Error error)
{
    const QMetaObject &mo = QCamera::staticMetaObject;
    const QMetaEnum e = mo.enumerator(mo.indexOfEnumerator("Error"));
    const char *key = e.isValid() ? e.valueToKey(error) : nullptr;
    return QStringLiteral("QCamera::") + (key ? QLatin1String(key) : QString::number(error));
}
