#include "RFileNaming.h"

#include "RImageSaver.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

QString RFileNaming::timeStamp(const QDateTime &t)
{
    // C locale: the stamp is part of file names and must not take the user's digits.
    return QLocale::c().toString(t, QStringLiteral("yyyyMMdd_HHmmss"));
}

QString RFileNaming::baseName(NameMode nameType, const QString &prefix, int number, int numLength, const QDateTime &t)
{
    // The prefix is typed by the user; a separator in it would leave the folder.
    QString safe = prefix;
    for (QChar &c : safe) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c == QLatin1Char(':') || c == QLatin1Char('*')
            || c == QLatin1Char('?') || c == QLatin1Char('"') || c == QLatin1Char('<') || c == QLatin1Char('>')
            || c == QLatin1Char('|') || c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    if (nameType != NameMode::Number)
        return safe + timeStamp(t);
    QString num = QString::number(qAbs(qint64(number)));
    if (num.size() < numLength)
        num.prepend(QString(numLength - num.size(), QLatin1Char('0')));
    if (number < 0)
        num.prepend(QLatin1Char('-'));
    return safe + num;
}

QString RFileNaming::uniqueFileName(const QString &dir, const QString &base, const QString &ext)
{
    const QDir folder(dir);
    const QString dotExt = ext.isEmpty() ? QString() : QLatin1Char('.') + ext;
    auto taken = [](const QString &path) { return QFileInfo::exists(path) || RImageSaver::isPending(path); };
    QString path = folder.filePath(base + dotExt);
    for (int n = 1; taken(path); ++n)
        path = folder.filePath(base + QLatin1Char('_') + QString::number(n) + dotExt);
    return path;
}
