#pragma once

#include "RStoredEnum.h"
#include "UiLanguage.h"
#include "RCaptureSettings.h"
#include "RSettingRule.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <QVariant>

// Keys of the per-user settings store. Each reader and writer opens its own
// short-lived QSettings, so two programs sharing the store never hold it open.
namespace RSettingsKeys {
inline const QString FileDir = QStringLiteral("File/Dir");
inline const QString FileExt = QStringLiteral("File/Ext");
inline const QString FileSaveColorType = QStringLiteral("File/SaveColorType");
inline const QString FileASnapInterval = QStringLiteral("File/ASnapInterval");
inline const QString FileNameType = QStringLiteral("File/NameType");
inline const QString FileNamePrefix = QStringLiteral("File/NamePrefix");
inline const QString FileNameNumLength = QStringLiteral("File/NameNumLength");
inline const QString FileNameCurNum = QStringLiteral("File/NameCurNum");
inline const QString FileCardMix = QStringLiteral("File/CardMix");
inline const QString FileAutoCut = QStringLiteral("File/AutoCut");
inline const QString FileAutoRotate = QStringLiteral("File/AutoRotate");
inline const QString FilePdfAppend = QStringLiteral("File/PdfAppend");
inline const QString FileAutoPerspective = QStringLiteral("File/AutoPerspective");
inline const QString VideoType = QStringLiteral("Video/Type");
inline const QString VideoRotate = QStringLiteral("Video/Rotate");
inline const QString VideoMirror = QStringLiteral("Video/Mirror");
inline const QString VideoFlip = QStringLiteral("Video/Flip");
inline const QString VideoCamera = QStringLiteral("Video/Camera");
inline const QString VideoP = QStringLiteral("Video/P");
inline const QString VideoV = QStringLiteral("Video/V");
inline const QString VideoResolutionIndex = QStringLiteral("Video/ResolutionIndex");
inline const QString VideoRecRess = QStringLiteral("Video/RecRess");
inline const QString PenWidth = QStringLiteral("Pen/Width");
inline const QString PenColor = QStringLiteral("Pen/Color");
inline const QString SystemLangue = QStringLiteral("System/Langue");
// Where a share with students listens: an address (empty: every interface) and a port.
inline const QString ShareAddress = QStringLiteral("Share/Address");
inline const QString SharePort = QStringLiteral("Share/Port");
// The school's media server the class view was last published to.
inline const QString PublishAddress = QStringLiteral("Publish/Address");
// Keys of the recorder's Config.ini.
inline const QString ClientFilePath = QStringLiteral("Client/file_path");
inline const QString ClientAudiolist = QStringLiteral("Client/Audiolist");
} // namespace RSettingsKeys

class RSettingsStore
{
public:
    static const char *organisation() { return "Quendra"; }
    static const char *application() { return "KT7306219"; }

    // Removes the temporary copies a crash during a settings write left
    // beside the store and Config.ini, when older than `minAgeSecs`; returns
    // how many. Called once at start.
    static int removeLeftovers(int minAgeSecs = 600);

    // Every key of the store's table and the rule its value obeys; null
    // for a key outside the table.
    static QStringList keys();
    static const RSettingRule *rule(const QString &key);
    // What a key reads as when absent.
    static QVariant defaultValue(const QString &key);

    // The stored value mended by the key's rule: every reader gets a valid one.
    static QVariant value(const QString &key);
    static bool contains(const QString &key);

    static int readInt(const QString &key);
    static QString readString(const QString &key);
    static bool readFlag(const QString &key);
    // A mode kept as an integer: the stored value when it names one of E's
    // values, else the table default, else E's first value.
    template <typename E>
    static E readEnum(const QString &key)
    {
        if (const auto stored = enumFromStored<E>(value(key)))
            return *stored;
        return enumFromStored<E>(defaultValue(key)).value_or(static_cast<E>(RStoredRange<E>::first));
    }
    // "System/Langue": 1 is English; any other value reads as Chinese.
    static UiLanguage readLanguage();
    // An unconvertible stored value gives an invalid colour.
    static QColor readColor(const QString &key);

    // The capture parameters as the window starts with them: the folder is
    // pictureFolder(); snap type, video type and the automatic crop start
    // off whatever is stored; how the crop cuts (the perspective flag) is
    // kept, since alone it starts nothing.
    static RCaptureSettings readCapture();
    // Every one of them but the snap type, which is never stored.
    static void writeCapture(const RCaptureSettings &capture);

    // Returns false when the store could not be written; callers go on
    // with their values in memory.
    static bool write(const QString &key, const QVariant &value);

    // Pictures location + "/Visora", created when possible, else the bare
    // Pictures location. Never written back to "File/Dir".
    static QString defaultPictureFolder();

    // "File/Dir", or the default picture folder when it is empty or no folder.
    static QString pictureFolder();

    // QDir::currentPath() + "/Tolvani/Config.ini".
    static QString configIniPath();

    // Each non-empty audio input name followed by ";".
    static QString joinAudioNames(const QStringList &names);
    static QStringList audioInputNames();

    // The start-up write of Config.ini: folder and microphones, UTF-8.
    static bool writeConfigIni(const QString &folder, const QString &audioList);
    // The capture-settings write: only the folder, in UTF-8 like the rest.
    static bool writeConfigIniFolder(const QString &folder);
    // A value of Config.ini, read as UTF-8.
    static QString readConfigIni(const QString &key);
};
