#pragma once

// The recorder's GUI-free rules: command line, names and folders of the files,
// the join's argument list, the sound input of a device.

#include "UiLanguage.h"

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QStringList>

class RRecorderRules
{
public:
    struct Launch {
        bool launchWordOk = false;
        QString camera;
        QStringList resolutions;
        int selected = 0; // the last "800x600", else 0
    };

    static QString launchWord() { return QStringLiteral("KT7306219"); }

    // arguments[0] is the program itself, as in argv.
    static Launch parseArguments(const QStringList &arguments);

    // "1280x720" -> 1280 x 720; a text without two parts -> 800 x 600.
    static QSize parseResolution(const QString &text);

    // The join's argument list; the sound input first when there is sound.
    static QStringList joinArguments(const QString &audioPath, const QString &videoPath,
                                     const QString &outputPath, bool withSound);

    // folder/yyyyMMddHHmmss.ext, with "-2", "-3", ... when that file exists,
    // so a second recording in the same second never replaces the first.
    static QString outputPath(const QString &folder, const QDateTime &time, const QString &extension);

    // path itself, or with "-2", "-3", ... before the extension when that file exists.
    static QString uniquePath(const QString &path);

    // Where recordings go: the folder the teacher chose (stored), else
    // Documents/Visora, made if need be.
    static QString saveFolder();

    // The program folder when files can be created there, else a per-user cache folder.
    static QString tempFolder(const QString &programFolder);

    // A name of its own per recording: start time and process id.
    static QString tempBaseName(const QDateTime &time, qint64 processId);

    // "/dev/video2" -> 2; -1 when the name carries no number.
    static int deviceIndexFromName(const QString &deviceName);

    // FFmpeg's input format and URL for an audio device of Qt's list.
    static QString audioInputFormat(const QString &realm);
    static QString audioInputUrl(const QString &realm, const QString &deviceName);

    // The ffmpeg program in the program folder, else on the PATH; empty when there is none.
    static QString findFfmpeg(const QString &programFolder);

    // Chinese (0) or English (1) text.
    static QString text(UiLanguage langue, const char *chinese, const char *english)
    {
        return langue == UiLanguage::English ? QString::fromUtf8(english) : QString::fromUtf8(chinese);
    }
};
