#include "RRecorderRules.h"

#include "RPlatform.h"
#include "RSettingsStore.h"
#include "RUserFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

RRecorderRules::Launch RRecorderRules::parseArguments(const QStringList &arguments)
{
    Launch launch;
    for (int i = 1; i < arguments.size(); ++i) {
        if (i == 1) {
            launch.launchWordOk = arguments.at(i) == launchWord();
        } else if (i == 2) {
            launch.camera = arguments.at(i);
        } else {
            if (arguments.at(i) == QLatin1String("800x600"))
                launch.selected = launch.resolutions.size();
            launch.resolutions << arguments.at(i);
        }
    }
    if (launch.camera.isEmpty())
        launch.launchWordOk = false;
    return launch;
}

QSize RRecorderRules::parseResolution(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char('x'), Qt::SkipEmptyParts);
    if (!text.contains(QLatin1Char('x')) || parts.size() < 2)
        return QSize(800, 600);
    return QSize(parts.at(0).toInt(), parts.at(1).toInt());
}

QStringList RRecorderRules::joinArguments(const QString &audioPath, const QString &videoPath,
                                          const QString &outputPath, bool withSound)
{
    QStringList args;
    if (withSound)
        args << QStringLiteral("-i") << audioPath;
    args << QStringLiteral("-i") << videoPath << QStringLiteral("-c:v") << QStringLiteral("libx264") << outputPath;
    return args;
}

QString RRecorderRules::outputPath(const QString &folder, const QDateTime &time, const QString &extension)
{
    return uniquePath(folder + QLatin1Char('/') + time.toString(QStringLiteral("yyyyMMddHHmmss")) + extension);
}

QString RRecorderRules::uniquePath(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = path.left(path.size() - suffix.size());
    QString candidate = path;
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = stem + QLatin1Char('-') + QString::number(n) + suffix;
    return candidate;
}

QString RRecorderRules::tempFolder(const QString &programFolder)
{
    // An installed recorder never writes below its prefix; it shares the
    // presenter's per-user folder.
    if (RUserFolder::programFolderUsable(programFolder, RUserFolder::installedProgramDir())) {
        // isWritable() does not see every reason a file cannot be created; try one.
        QFile probe(programFolder + QStringLiteral("/.brisklet-write-test"));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.close();
            probe.remove();
            return programFolder;
        }
    }
    return RUserFolder::perUserFolder();
}

QString RRecorderRules::tempBaseName(const QDateTime &time, qint64 processId)
{
    return QStringLiteral("temp-%1-%2").arg(time.toString(QStringLiteral("yyyyMMddHHmmsszzz"))).arg(processId);
}

int RRecorderRules::deviceIndexFromName(const QString &deviceName)
{
    static const QRegularExpression trailing(QStringLiteral("(\\d+)$"));
    const QRegularExpressionMatch m = trailing.match(deviceName);
    return m.hasMatch() && deviceName.startsWith(QLatin1String("/dev/video")) ? m.captured(1).toInt() : -1;
}

QString RRecorderRules::audioInputFormat(const QString &realm)
{
    return RPlatform::soundInputFormat(realm);
}

QString RRecorderRules::audioInputUrl(const QString &realm, const QString &deviceName)
{
    return audioInputFormat(realm) == QLatin1String("dshow") ? QStringLiteral("audio=") + deviceName : deviceName;
}

QString RRecorderRules::findFfmpeg(const QString &programFolder)
{
    const QString name = RPlatform::executableName(QStringLiteral("ffmpeg"));
    const QFileInfo local(programFolder + QLatin1Char('/') + name);
    if (local.isFile() && local.isExecutable())
        return local.absoluteFilePath();
    return QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
}

QString RRecorderRules::saveFolder()
{
    const QString stored = RSettingsStore::readString(RSettingsKeys::FileDir);
    if (!stored.isEmpty())
        return stored;
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString folder = documents + QStringLiteral("/Visora");
    return QDir(folder).exists() || QDir().mkpath(folder) ? folder : documents;
}
