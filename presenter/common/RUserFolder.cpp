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
    // program folder, or the recorder's folder inside it, fill the prefix.
    const QString installed = QFileInfo(installedDir).canonicalFilePath();
    const QString program = dir.canonicalFilePath();
    if (!installed.isEmpty() && (program == installed || program.startsWith(installed + "/")))
        return false;
    return true;
}

QString RUserFolder::installedProgramDir()
{
    return QStringLiteral(VISORA_INSTALLED_PROGRAM_DIR);
}

bool RUserFolder::programFolderUsable()
{
    return programFolderUsable(QCoreApplication::applicationDirPath(), installedProgramDir());
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
