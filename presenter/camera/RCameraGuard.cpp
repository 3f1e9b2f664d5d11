#include "RCameraGuard.h"

#include <QCamera>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QMediaService>
#include <QMediaServiceProviderPlugin>
#include <QMetaEnum>
#include <QMutexLocker>
#include <QPluginLoader>

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

QMap<QString, bool> RCameraGuard::cameraServices()
{
    QMutexLocker lock(&mutex());
    QMap<QString, bool> services;
    const QString camera = QStringLiteral(Q_MEDIASERVICE_CAMERA);
    const QStringList paths = QCoreApplication::libraryPaths();
    for (const QString &path : paths) {
        const QFileInfoList files = QDir(path + QStringLiteral("/mediaservice")).entryInfoList(QDir::Files);
        for (const QFileInfo &file : files) {
            if (services.contains(file.fileName()))
                continue; // the first folder wins, as in Qt's own loader
            QPluginLoader loader(file.absoluteFilePath());
            const QJsonObject meta = loader.metaData().value(QStringLiteral("MetaData")).toObject();
            if (!meta.value(QStringLiteral("Services")).toArray().contains(camera))
                continue;
            auto *plugin = qobject_cast<QMediaServiceProviderPlugin *>(loader.instance());
            QMediaService *service = plugin ? plugin->create(camera) : nullptr;
            if (service)
                plugin->release(service);
            else
                qWarning() << "RCameraGuard::cameraServices: no camera service from" << file.absoluteFilePath()
                           << loader.errorString();
            services.insert(file.fileName(), service != nullptr);
        }
    }
    return services;
}

bool RCameraGuard::serviceMissing()
{
    const QMap<QString, bool> services = cameraServices();
    return services.isEmpty() || services.values().contains(false);
}

QString RCameraGuard::errorName(QCamera::Error error)
{
    const QMetaObject &mo = QCamera::staticMetaObject;
    const QMetaEnum e = mo.enumerator(mo.indexOfEnumerator("Error"));
    const char *key = e.isValid() ? e.valueToKey(error) : nullptr;
    return QStringLiteral("QCamera::") + (key ? QLatin1String(key) : QString::number(error));
}
