#include "RPartFile.h"

#include "RPlatform.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const QRegularExpression &partName()
{
    static const QRegularExpression re(QStringLiteral("^\\..+\\.[0-9a-f]{8}\\.part$"));
    return re;
}

} // namespace

RPartFile::RPartFile(const QString &target)
    : m_strTarget(QFileInfo(target).absoluteFilePath())
{
}

RPartFile::~RPartFile()
{
    if (!m_bCommitted)
        cancel();
}

bool RPartFile::failed(const QString &why)
{
    m_strError = why;
    return false;
}

bool RPartFile::open()
{
    const QFileInfo target(m_strTarget);
    if (target.exists() && target.isDir())
        return failed(QString::fromLocal8Bit(std::strerror(EISDIR)));
    if (target.exists() && !target.isFile())
        return failed(QString::fromLocal8Bit(std::strerror(EINVAL)));
    const QDir folder = target.absoluteDir();
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = QStringLiteral(".%1.%2.part")
                                 .arg(target.fileName())
                                 .arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        m_file.setFileName(folder.filePath(name));
        if (m_file.open(QIODevice::ReadWrite | QIODevice::NewOnly)) {
            m_bCreated = true;
            return true;
        }
        if (m_file.error() != QFileDevice::OpenError || !QFileInfo::exists(m_file.fileName()))
            break;
    }
    return failed(m_file.errorString());
}

bool RPartFile::commit()
{
    if (!m_file.isOpen())
        return failed(m_strError.isEmpty() ? m_file.errorString() : m_strError);
    // A flush cut short by a full disk carries no reason; the rest of it does.
    if (!m_file.flush())
        m_file.flush();
    if (m_file.error() != QFileDevice::NoError || !RPlatform::syncFile(m_file)) {
        const QString why = m_file.error() != QFileDevice::NoError ? m_file.errorString()
                                                                   : QString::fromLocal8Bit(std::strerror(errno));
        cancel();
        return failed(why);
    }
    // A replaced file keeps its permissions; a new one gets the usual ones.
    const QFileInfo old(m_strTarget);
    m_file.setPermissions(old.exists() ? old.permissions()
                                       : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                              | QFileDevice::ReadOther);
    m_file.close();
    // rename(2) replaces the target in one step: it is never missing.
    if (std::rename(QFile::encodeName(m_file.fileName()).constData(), QFile::encodeName(m_strTarget).constData())
        != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        cancel();
        return failed(why);
    }
    m_bCommitted = true;
    m_bCreated = false;
    RPlatform::syncFolder(old.absolutePath());
    return true;
}

void RPartFile::cancel()
{
    if (!m_bCreated)
        return;
    m_file.close();
    QFile::remove(m_file.fileName());
    m_bCreated = false;
}

bool RPartFile::isPart(const QString &fileName)
{
    return partName().match(fileName).hasMatch();
}

int RPartFile::removeStale(const QString &folder, int minAgeSecs)
{
    if (folder.isEmpty())
        return 0;
    const QDateTime before = QDateTime::currentDateTime().addSecs(-minAgeSecs);
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList({QStringLiteral(".*.part")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &entry : entries) {
        if (isPart(entry.fileName()) && entry.lastModified() < before && QFile::remove(entry.absoluteFilePath()))
            ++removed;
    }
    if (removed)
        qInfo().noquote() << "RPartFile::removeStale:" << folder << "removed" << removed;
    return removed;
}
