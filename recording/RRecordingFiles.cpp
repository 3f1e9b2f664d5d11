#include "RRecordingFiles.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {
const char kNoteSuffix[] = ".rec";
QString lockPath(const QString &note)
{
    return note.left(note.size() - int(sizeof(kNoteSuffix) - 1)) + QStringLiteral(".lock");
}
} // namespace

bool RRecordingFiles::create(const QString &folder, const QString &baseName, const QString &output, bool withSound)
{
    release();
    const QString base = folder + QLatin1Char('/') + baseName;
    m_note = base + QLatin1String(kNoteSuffix);
    m_video = base + QStringLiteral(".mkv");
    m_audio.clear();
    m_lock = std::make_unique<QLockFile>(lockPath(m_note));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        qInfo() << "RRecordingFiles::create: cannot lock" << base;
        m_lock.reset();
        return false;
    }
    QSettings note(m_note, QSettings::IniFormat);
    note.setValue(QStringLiteral("output"), output);
    note.setValue(QStringLiteral("video"), QFileInfo(m_video).fileName());
    note.setValue(QStringLiteral("audio"), QString());
    note.setValue(QStringLiteral("sound"), withSound);
    note.sync();
    return note.status() == QSettings::NoError;
}

void RRecordingFiles::release()
{
    if (!m_note.isEmpty())
        QFile::remove(m_note);
    m_note.clear();
    m_lock.reset();
}

void RRecordingFiles::detach()
{
    m_note.clear();
    m_lock.reset();
}

QList<RRecordingFiles::Leftover> RRecordingFiles::findLeftovers(const QString &folder)
{
    QList<Leftover> result;
    const QDir dir(folder);
    const QStringList notes = dir.entryList({QStringLiteral("*") + QLatin1String(kNoteSuffix)}, QDir::Files, QDir::Name);
    for (const QString &name : notes) {
        const QString notePath = dir.filePath(name);
        QLockFile lock(lockPath(notePath));
        // Stale only when its process is gone, never by age: recordings run for hours.
        lock.setStaleLockTime(0);
        // A lock whose process died is stale and taken over; a live one is refused.
        if (!lock.tryLock(0))
            continue;
        lock.unlock();
        QSettings note(notePath, QSettings::IniFormat);
        Leftover l;
        l.note = notePath;
        l.output = note.value(QStringLiteral("output")).toString();
        l.video = dir.filePath(note.value(QStringLiteral("video")).toString());
        const QString audio = note.value(QStringLiteral("audio")).toString();
        l.audio = audio.isEmpty() ? QString() : dir.filePath(audio);
        if (l.output.isEmpty() || !QFileInfo(l.video).isFile() || QFileInfo(l.video).size() == 0)
            continue;
        if (!l.audio.isEmpty() && !QFileInfo::exists(l.audio))
            l.audio.clear();
        result << l;
    }
    return result;
}

void RRecordingFiles::discard(const Leftover &leftover)
{
    QFile::remove(leftover.video);
    if (!leftover.audio.isEmpty())
        QFile::remove(leftover.audio);
    forget(leftover);
}

void RRecordingFiles::forget(const Leftover &leftover)
{
    QFile::remove(leftover.note);
}
