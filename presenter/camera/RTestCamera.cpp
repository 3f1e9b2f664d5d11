#include "RTestCamera.h"

#include "RCameraGuard.h"

#include <QDeadlineTimer>
#include <QDebug>
#include <QMutexLocker>

RTestCamera::RTestCamera(QObject *parent)
    : QObject(parent)
{
}

void RTestCamera::setRun(bool b)
{
    qDebug().noquote() << "RTestCamera::setRun():" << b;
    QMutexLocker lock(&m_mutex);
    m_bRunning = b;
    m_wake.wakeAll();
}

void RTestCamera::setDevName(const QString &name)
{
    QMutexLocker lock(&m_mutex);
    m_strDevName = name;
}

QString RTestCamera::devName() const
{
    QMutexLocker lock(&m_mutex);
    return m_strDevName;
}

bool RTestCamera::claimStart()
{
    QMutexLocker lock(&m_mutex);
    if (m_bLooping)
        return false;
    m_bLooping = true;
    return true;
}

bool RTestCamera::isLooping() const
{
    QMutexLocker lock(&m_mutex);
    return m_bLooping;
}

void RTestCamera::TestDevice()
{
    {
        QMutexLocker lock(&m_mutex);
        m_bLooping = true;
    }
    qDebug().noquote() << "RTestCamera::TestDevice():" << devName();
    for (;;) {
        const QString name = devName();
        bool found = false;
        const QList<QCameraInfo> cameras = RCameraGuard::availableCameras();
        for (const QCameraInfo &info : cameras) {
            if (info.description() == name) {
                found = true;
                emit response(name, 1);
            }
        }
        if (!found)
            emit response(name, 0);

        QMutexLocker lock(&m_mutex);
        if (!m_bRunning) {
            m_bLooping = false;
            qDebug().noquote() << "RTestCamera::TestDevice():" << "bRunning:" << false;
            return;
        }
        QDeadlineTimer second(1000);
        while (m_bRunning && !second.hasExpired())
            m_wake.wait(&m_mutex, second);
        if (!m_bRunning) {
            m_bLooping = false;
            qDebug().noquote() << "RTestCamera::TestDevice():" << "bRunning:" << false;
            return;
        }
    }
}
