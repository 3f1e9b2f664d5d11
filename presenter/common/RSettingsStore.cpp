#include "RSettingsStore.h"
#include "CaptureModes.h"
#include "RUserFolder.h"

#include <QAudioDeviceInfo>
#include <QDebug>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTextCodec>

namespace {

const QHash<QString, QVariant> &defaults()
{
    static const QHash<QString, QVariant> table = {
        {RSettingsKeys::FileDir, QString()},
        {RSettingsKeys::FileExt, QStringLiteral("jpg")},
        {RSettingsKeys::FileSaveColorType, enumToStored(ColourMode::Colour)},
        {RSettingsKeys::FileASnapInterval, 3},
        {RSettingsKeys::FileNameType, enumToStored(NameMode::Time)},
        {RSettingsKeys::FileNamePrefix, QStringLiteral("Img")},
        {RSettingsKeys::FileNameNumLength, 3},
        {RSettingsKeys::FileNameCurNum, 1},
        {RSettingsKeys::FileCardMix, 0},
        {RSettingsKeys::FilePdfAppend, 0},
        {RSettingsKeys::FileAutoPerspective, 0},
        {RSettingsKeys::VideoRotate, 0},
        {RSettingsKeys::VideoMirror, false},
        {RSettingsKeys::VideoFlip, false},
        {RSettingsKeys::VideoP, QString()},
        {RSettingsKeys::VideoV, QString()},
        {RSettingsKeys::PenWidth, 6},
        {RSettingsKeys::PenColor, QColor(255, 16, 0, 255)},
        {RSettingsKeys::SystemLangue, enumToStored(UiLanguage::Chinese)},
                {RSettingsKeys::ShareAddress, QString()},
        {RSettingsKeys::SharePort, 8117},
    };
    return table;
}

// Always UTF-8: a write without the codec reads the file back as Latin-1 and
// turns microphone names into escapes.
QSettings::Status writeIni(const std::function<void(QSettings &)> &fill)
{
    QSettings ini(RSettingsStore::configIniPath(), QSettings::IniFormat);
    ini.setIniCodec(QTextCodec::codecForName("UTF-8"));
    fill(ini);
    ini.sync();
    return ini.status();
}

} // namespace

int RSettingsStore::removeLeftovers(int minAgeSecs)
{
    // A settings write goes through "<file>.XXXXXX" renamed over the file; a
    // crash in between leaves that copy behind. A live one is milliseconds old.
    const QString files[] = {QSettings(organisation(), application()).fileName(), configIniPath()};
    const QDateTime before = QDateTime::currentDateTime().addSecs(-minAgeSecs);
    int removed = 0;
    for (const QString &file : files) {
        const QFileInfo target(file);
        const QRegularExpression temp(QStringLiteral("^") + QRegularExpression::escape(target.fileName())
                                      + QStringLiteral("\\.[A-Za-z0-9]{6}$"));
        const QFileInfoList entries = target.absoluteDir().entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo &entry : entries) {
            // Random letters nearly always hold a capital or a digit; a plain word
            // is more likely someone's own copy.
            const QString tail = entry.fileName().right(6);
            if (temp.match(entry.fileName()).hasMatch() && tail.contains(QRegularExpression(QStringLiteral("[A-Z0-9]"))) && entry.lastModified() < before
                && QFile::remove(entry.absoluteFilePath()))
                ++removed;
        }
    }
    if (removed)
        qInfo() << "RSettingsStore::removeLeftovers: removed" << removed;
    return removed;
}

QVariant RSettingsStore::defaultValue(const QString &key)
{
    return defaults().value(key);
}

QVariant RSettingsStore::value(const QString &key)
{
    QSettings settings(organisation(), application());
    return settings.value(key, defaultValue(key));
}

bool RSettingsStore::contains(const QString &key)
{
    QSettings settings(organisation(), application());
    return settings.contains(key);
}

int RSettingsStore::readInt(const QString &key)
{
    return value(key).toInt();
}

QString RSettingsStore::readString(const QString &key)
{
    return value(key).toString();
}

bool RSettingsStore::readFlag(const QString &key)
{
    // Switches were stored as 1/0 by some versions and as true/false by others.
    const QString text = value(key).toString().trimmed().toLower();
    return text == QLatin1String("1") || text == QLatin1String("true");
}

UiLanguage RSettingsStore::readLanguage()
{
    return readEnum<UiLanguage>(RSettingsKeys::SystemLangue);
}

QColor RSettingsStore::readColor(const QString &key)
{
    const QVariant v = value(key);
    if (v.canConvert<QColor>())
        return v.value<QColor>();
    return QColor();
}

bool RSettingsStore::write(const QString &key, const QVariant &value)
{
    QSettings settings(organisation(), application());
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qInfo() << "RSettingsStore::write: failed" << key << settings.status();
        return false;
    }
    return true;
}

QString RSettingsStore::defaultPictureFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString candidate = folder + "/Visora";
    if (QDir(candidate).exists() || QDir().mkpath(candidate))
        folder = candidate;
    else
        qInfo() << "RSettingsStore::defaultPictureFolder: cannot create" << candidate;
    return folder;
}

QString RSettingsStore::pictureFolder()
{
    const QString dir = readString(RSettingsKeys::FileDir);
    return dir.isEmpty() ? defaultPictureFolder() : dir;
}

QString RSettingsStore::configIniPath()
{
    // Beside the working directory in a build tree; never below an install prefix.
    const QString base = RUserFolder::programFolderUsable() ? QDir::currentPath() : RUserFolder::perUserFolder();
    return base + "/Tolvani/Config.ini";
}

QString RSettingsStore::joinAudioNames(const QStringList &names)
{
    QString list;
    for (const QString &name : names) {
        if (!name.isEmpty())
            list += name + ";";
    }
    return list;
}

QStringList RSettingsStore::audioInputNames()
{
    QStringList names;
    const auto devices = QAudioDeviceInfo::availableDevices(QAudio::AudioInput);
    for (const QAudioDeviceInfo &info : devices)
        names << info.deviceName();
    return names;
}

bool RSettingsStore::writeConfigIni(const QString &folder, const QString &audioList)
{
    const auto status = writeIni([&](QSettings &ini) {
        ini.setValue(RSettingsKeys::ClientFilePath, folder);
        ini.setValue(RSettingsKeys::ClientAudiolist, audioList);
    });
    if (status != QSettings::NoError)
        qInfo() << "RSettingsStore::writeConfigIni: failed" << configIniPath() << status;
    return status == QSettings::NoError;
}

QString RSettingsStore::readConfigIni(const QString &key)
{
    QSettings ini(configIniPath(), QSettings::IniFormat);
    ini.setIniCodec(QTextCodec::codecForName("UTF-8"));
    return ini.value(key).toString();
}

bool RSettingsStore::writeConfigIniFolder(const QString &folder)
{
    const auto status = writeIni([&](QSettings &ini) {
        ini.setValue(RSettingsKeys::ClientFilePath, folder);
    });
    if (status != QSettings::NoError)
        qInfo() << "RSettingsStore::writeConfigIniFolder: failed" << configIniPath() << status;
    return status == QSettings::NoError;
}
