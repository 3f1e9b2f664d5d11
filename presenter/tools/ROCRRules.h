#pragma once

#include "UiLanguage.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// What the text-recognition dialog decides without widgets: its texts, how
// it calls the recognition program and how it reads the program's answer.
class ROCRRules
{
public:
    enum Text { Title, Open, Begin, Progress, Failure, Cancel, Cancelled, PictureFilter };

    static QString text(Text which, UiLanguage langue);

    static QString programName() { return QStringLiteral("scanner"); }
    // Host of the recognition service; an answer naming it is a failure report.
    static QString serviceHost() { return QStringLiteral("ocr.quendra.invalid"); }
    static QString errorMarker() { return QStringLiteral("解析出错，出错原因"); }

    static QStringList arguments(const QString &picturePath);

    // The program in the presenter's folder, else the working folder, else
    // on the search path; empty when it is nowhere.
    static QString locateProgram(const QString &programDir, const QString &workDir);

    // A finished run that crashed, exited non-zero or reported a failure in
    // its output has failed.
    static bool isFailure(QProcess::ExitStatus status, int exitCode, const QString &output);

    // "文字识别失败." or "Fail." followed by the count and "次".
    static QString failureMessage(UiLanguage langue, int count);
};
