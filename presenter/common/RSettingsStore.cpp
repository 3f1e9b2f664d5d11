#include "RSettingsStore.h"
#include "CaptureModes.h"
#include "RUserFolder.h"

#include <QAudioDeviceInfo>
#include <QDebug>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QImageWriter>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTextCodec>

#include <limits>

namespace {

QVariantList imageTypes()
{
    QVariantList types;
    const auto formats = QImageWriter::supportedImageFormats();
    for (const QByteArray &format : formats)
        types << QString::fromLatin1(format);
    return types;
}

const QHash<QString, RSettingRule> &rules()
{
    using R = RSettingRule;
    namespace K = RSettingsKeys;
    // A hand-edited value must never become a busy timer, a name no file
    // system takes, a padding of gigabytes or a skewed picture.
    static const QHash<QString, RSettingRule> table = {
        {K::FileDir, R::folder()},
        // A type this system cannot write would lose every snapshot.
        {K::FileExt, R::oneOf(imageTypes(), QStringLiteral("jpg"))},
        {K::FileSaveColorType, R::oneOf({0, 1, 2}, 0)},
        {K::FileASnapInterval, R::boundedInt(1, 9, 3)},
        {K::FileNameType, R::oneOf({0, 1}, 0)},
        {K::FileNamePrefix, R::text(QStringLiteral("Img"), 64)},
        {K::FileNameNumLength, R::boundedInt(0, 9, 3)},
        // One below the largest int: the number is advanced after each save.
        {K::FileNameCurNum, R::boundedInt(0, std::numeric_limits<int>::max() - 1, 1)},
        {K::FileCardMix, R::flag()},
        {K::FileAutoCut, R::flag()},
        {K::FileAutoRotate, R::flag()},
        {K::FilePdfAppend, R::flag()},
        {K::FileAutoPerspective, R::flag()},
        {K::VideoType, R::oneOf({0, 1}, 0)},
        {K::VideoRotate, R::oneOf({0, 90, 180, 270}, 0)},
        {K::VideoMirror, R::flag()},
        {K::VideoFlip, R::flag()},
        {K::VideoCamera, R::text(QString(), 1024)},
        // Four characters cut from the device name, not always hexadecimal.
        {K::VideoP, R::text(QString(), 16)},
        {K::VideoV, R::text(QString(), 16)},
        {K::VideoResolutionIndex, R::boundedInt(-1, 1023, -1)},
        {K::VideoRecRess, R::text(QString(), 4096, QStringLiteral("([0-9]+x[0-9]+;)*"))},
        {K::PenWidth, R::boundedInt(1, 50, 6)},
        {K::PenColor, R::colour(QColor(255, 16, 0, 255))},
        {K::SystemLangue, R::oneOf({0, 1}, 0)},
        {K::ShareAddress, R::text(QString(), 255)},
        {K::PublishAddress, R::text(QString(), 1024)},
        // 0: the system picks a free port.
        {K::SharePort, R::boundedInt(0, 65535, 8117)},
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

QStringList RSettingsStore::keys()
{
    return rules().keys();
}

const RSettingRule *RSettingsStore::rule(const QString &key)
{
    const auto it = rules().find(key);
    return it == rules().end() ? nullptr : &it.value();
}

QVariant RSettingsStore::defaultValue(const QString &key)
{
    const RSettingRule *r = rule(key);
    return r ? r->fallback() : QVariant();
}

QVariant RSettingsStore::value(const QString &key)
{
    QSettings settings(organisation(), application());
    const QVariant stored = settings.value(key);
    const RSettingRule *r = rule(key);
    return r ? r->mend(stored) : stored;
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
    return value(key).toBool();
}

UiLanguage RSettingsStore::readLanguage()
{
    return readEnum<UiLanguage>(RSettingsKeys::SystemLangue);
}

QColor RSettingsStore::readColor(const QString &key)
{
    return value(key).value<QColor>();
}

RCaptureSettings RSettingsStore::readCapture()
{
    namespace K = RSettingsKeys;
    RCaptureSettings c;
    c.m_iSaveColorType = readEnum<ColourMode>(K::FileSaveColorType);
    c.m_iASnapInterval = readInt(K::FileASnapInterval);
    c.m_iNameType = readEnum<NameMode>(K::FileNameType);
    c.m_strNamePrefix = readString(K::FileNamePrefix);
    c.m_iNameNumLength = readInt(K::FileNameNumLength);
    c.m_iNameCurNum = readInt(K::FileNameCurNum);
    c.m_bCardMix = readFlag(K::FileCardMix);
    c.m_bPdfAppend = readFlag(K::FilePdfAppend);
    c.m_bAutoPerspective = readFlag(K::FileAutoPerspective);
    c.m_strFileExt = readString(K::FileExt);
    c.m_strCurImageDir = pictureFolder();
    return c;
}

void RSettingsStore::writeCapture(const RCaptureSettings &c)
{
    namespace K = RSettingsKeys;
    // The File group keeps its switches as 1/0, as stored files hold them.
    write(K::FileDir, c.m_strCurImageDir);
    write(K::FileExt, c.m_strFileExt);
    write(K::FileSaveColorType, enumToStored(c.m_iSaveColorType));
    write(K::FileASnapInterval, c.m_iASnapInterval);
    write(K::FileNameType, enumToStored(c.m_iNameType));
    write(K::FileNamePrefix, c.m_strNamePrefix);
    write(K::FileNameNumLength, c.m_iNameNumLength);
    write(K::FileNameCurNum, c.m_iNameCurNum);
    write(K::FileCardMix, int(c.m_bCardMix));
    write(K::FileAutoCut, int(c.m_bAutoCut));
    write(K::FileAutoRotate, int(c.m_bAutoRotate));
    write(K::FilePdfAppend, int(c.m_bPdfAppend));
    write(K::FileAutoPerspective, int(c.m_bAutoPerspective));
    write(K::VideoType, enumToStored(c.m_iVideoType));
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
