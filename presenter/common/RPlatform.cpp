#include "RPlatform.h"

#include <QFile>
#include <QThread>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN
#include <io.h>
#endif

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <sys/syscall.h>
#endif

QString RPlatform::executableName(const QString &base)
{
#ifdef Q_OS_WIN
    return base + QStringLiteral(".exe");
#else
    return base;
#endif
}

QString RPlatform::soundInputFormat(const QString &realm)
{
#ifdef Q_OS_WIN
    Q_UNUSED(realm)
    return QStringLiteral("dshow");
#else
    return realm == QLatin1String("alsa") ? QStringLiteral("alsa") : QStringLiteral("pulse");
#endif
}

bool RPlatform::syncFile(QFile &file)
{
#ifdef Q_OS_WIN
    return file.flush() && _commit(file.handle()) == 0;
#else
    return file.flush() && ::fsync(file.handle()) == 0;
#endif
}

void RPlatform::syncFolder(const QString &folder)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    // Windows keeps folder entries with the file's own flush.
    Q_UNUSED(folder)
#endif
}

void RPlatform::lowerThreadPriority()
{
    thread_local bool lowered = false;
    if (lowered)
        return;
    lowered = true;
    QThread::currentThread()->setPriority(QThread::LowPriority);
#ifdef Q_OS_LINUX
    // Qt's thread priority does nothing under Linux's default policy; a
    // per-thread nice value does.
    setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), 10);
#endif
}

QList<QByteArray> RPlatform::undecodableNames(const QString &dir)
{
    QList<QByteArray> names;
#ifdef Q_OS_UNIX
    DIR *d = opendir(QFile::encodeName(dir).constData());
    if (!d)
        return names;
    while (const dirent *entry = readdir(d)) {
        const QByteArray raw(entry->d_name);
        if (QFile::encodeName(QFile::decodeName(raw)) != raw)
            names.append(raw);
    }
    closedir(d);
#else
    Q_UNUSED(dir)
#endif
    return names;
}
