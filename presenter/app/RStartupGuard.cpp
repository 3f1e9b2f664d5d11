#include "RStartupGuard.h"

#include <QDebug>
#include <QThread>

RStartupGuard::RStartupGuard(const QString &semaphoreKey, const QString &markerKey)
    : m_semaphore(semaphoreKey, 1, QSystemSemaphore::Open)
    , m_marker(markerKey)
{
}

bool RStartupGuard::pass(int delaySeconds)
{
    m_semaphore.acquire();
#ifndef Q_OS_WIN
    // A segment left behind by a crashed instance has no process attached;
    // attaching and detaching removes it, so a crash does not slow every
    // later start. A live instance keeps it attached and is not affected.
    {
        QSharedMemory stale(m_marker.key());
        if (stale.attach())
            stale.detach();
    }
#endif
    m_bHoldsMarker = m_marker.create(1, QSharedMemory::ReadWrite);
    bool delayed = false;
    if (!m_bHoldsMarker) {
        qInfo() << "RStartupGuard::pass: another instance is running:" << m_marker.errorString();
        if (delaySeconds > 0)
            QThread::sleep(static_cast<unsigned long>(delaySeconds));
        delayed = true;
    }
    m_semaphore.release(1);
    return delayed;
}
