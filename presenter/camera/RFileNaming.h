#pragma once

#include "CaptureModes.h"

#include <QDateTime>
#include <QString>

// The naming rule shared by captures and scene snapshots.
class RFileNaming
{
public:
    // "yyyyMMdd_HHmmss"
    static QString timeStamp(const QDateTime &t);
    // prefix + stamp, or (numbered) prefix + number padded with '0' to
    // numLength digits; a longer number is written in full. Characters that
    // cannot be part of a file name become '_' in the prefix.
    static QString baseName(NameMode nameType, const QString &prefix, int number, int numLength, const QDateTime &t);
    // A path in dir for base.ext that neither exists nor waits in the save
    // queue; when taken, "_1", "_2", ... go before the extension.
    static QString uniqueFileName(const QString &dir, const QString &base, const QString &ext);
};
