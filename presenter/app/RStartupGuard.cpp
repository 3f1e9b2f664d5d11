#include "RStartupGuard.h"

#include <QDebug>
#include <QDir>
#include <QStandardPaths>
#include <QThread>

QString RStartupGuard::lockPath(const QString &name, const QString &folder)
{
    QString dir = folder;
    if (dir.isEmpty())
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath(); // no usable runtime folder: still a guard, if a shared one
    return dir + QLatin1Char('/') + name + QStringLiteral(".lock");
}

RStartupGuard::RStartupGuard(const QString &name, const QString &folder)
    : m_lock(lockPath(name, folder))
{
    // Only a lock whose process is gone is stale: a lesson runs for hours.
    m_lock.setStaleLockTime(0);
}

bool RStartupGuard::pass(int delaySeconds)
{
    // tryLock removes a stale lock itself and creates the file atomically, so
    // of two instances starting together exactly one takes it.
    m_bHoldsLock = m_lock.tryLock(0);
    if (m_bHoldsLock)
        return false;
    if (m_lock.error() != QLockFile::LockFailedError) {
        // An unwritable folder says nothing about another instance.
        qWarning() << "RStartupGuard::pass: no lock file, error" << m_lock.error();
        return false;
    }
    qInfo() << "RStartupGuard::pass: another instance of this user is running";
    // Before any window exists, so nothing freezes: the running instance gets a
    // head start at the camera and the settings.
    if (delaySeconds > 0)
        QThread::sleep(static_cast<unsigned long>(delaySeconds));
    return true;
}
