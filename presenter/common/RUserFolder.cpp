#include "RUserFolder.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#ifndef VISORA_INSTALLED_PROGRAM_DIR
#define VISORA_INSTALLED_PROGRAM_DIR ""
#endif

bool RUserFolder::programFolderUsable(const QString &programDir, const QString &installedDir)
{
    const QFileInfo dir(programDir);
    if (!dir.isDir() || !dir.isWritable())
        return false;
    // Root may write anywhere, so writability alone would let an installed
    // program fill its own prefix.
    if (!installedDir.isEmpty() && dir.canonicalFilePath() == QFileInfo(installedDir).canonicalFilePath())
        return false;
    return true;
}

bool RUserFolder::programFolderUsable()
{
    return programFolderUsable(QCoreApplication::applicationDirPath(), QStringLiteral(VISORA_INSTALLED_PROGRAM_DIR));
}

QString RUserFolder::perUserFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/visora";
    if (!QDir().mkpath(folder))
        qInfo() << "RUserFolder::perUserFolder: cannot create" << folder;
    return folder;
}

QString RUserFolder::dataFolder()
{
    return programFolderUsable() ? QCoreApplication::applicationDirPath() : perUserFolder();
}
