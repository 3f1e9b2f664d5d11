#pragma once

#include <QString>
#include <QStringList>

// The call contract of the recognition program: access word, access key and
// the picture's path, in that order. Every failure is reported on standard
// output behind a fixed marker that the presenter looks for.
class RScanRequest
{
public:
    static QString accessWord() { return QStringLiteral("zx7391046"); }
    static QString accessKey() { return QStringLiteral("Hw4kR9tPz2LmQx7VbN3cJd8F"); }
    static QString errorMarker() { return QStringLiteral("解析出错，出错原因"); }
    // Optional fourth argument: print the words with their boxes as
    // Tesseract's tab-separated table instead of the plain text.
    static QString wordsOption() { return QStringLiteral("--words"); }

    // Arguments without the program name. Returns false with a reason when
    // the call does not follow the contract.
    static bool parse(const QStringList &arguments, QString *picturePath, QString *reason, bool *words = nullptr);

    // What the program prints for a failure.
    static QString errorText(const QString &reason);
};
