#include "ROCRRules.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString ROCRRules::text(Text which, UiLanguage langue)
{
    const bool cn = langue == UiLanguage::Chinese;
    switch (which) {
    case Title: return cn ? QStringLiteral("文字识别") : QStringLiteral("OCR");
    case Open: return cn ? QStringLiteral("打开") : QStringLiteral("Open");
    case Begin: return cn ? QStringLiteral("识别") : QStringLiteral("Begin");
    case Progress: return cn ? QStringLiteral("正在识别中……") : QStringLiteral("Working …");
    case Failure: return cn ? QStringLiteral("文字识别失败.") : QStringLiteral("Fail.");
    case Cancel: return cn ? QStringLiteral("取消") : QStringLiteral("Cancel");
    case Cancelled: return cn ? QStringLiteral("识别已取消。") : QStringLiteral("Recognition cancelled.");
    case PictureFilter: return cn ? QStringLiteral("图片 (*.png *.bmp *.jpg *.tif)") : QStringLiteral("Images (*.png *.bmp *.jpg *.tif)");
    }
    return QString();
}

QStringList ROCRRules::arguments(const QString &picturePath)
{
    return {QStringLiteral("zx7391046"), QStringLiteral("Hw4kR9tPz2LmQx7VbN3cJd8F"), picturePath};
}

QString ROCRRules::locateProgram(const QString &programDir, const QString &workDir)
{
    for (const QString &dir : {programDir, workDir}) {
        if (dir.isEmpty())
            continue;
        const QFileInfo candidate(QDir(dir).filePath(programName()));
        if (candidate.isFile() && candidate.isExecutable())
            return candidate.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(programName());
}

bool ROCRRules::isFailure(QProcess::ExitStatus status, int exitCode, const QString &output)
{
    if (status == QProcess::CrashExit || exitCode != 0)
        return true;
    return output.contains(serviceHost()) || output.contains(errorMarker());
}

QString ROCRRules::failureMessage(UiLanguage langue, int count)
{
    if (langue == UiLanguage::English)
        return QStringLiteral("Recognition failed (attempt %1).").arg(count);
    return text(Failure, langue) + QString::number(count) + QStringLiteral("次");
}
