#include "RScanRequest.h"

bool RScanRequest::parse(const QStringList &arguments, QString *picturePath, QString *reason, bool *words)
{
    auto fail = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const bool wordTable = arguments.size() == 4 && arguments.at(3) == wordsOption();
    if (arguments.size() != 3 && !wordTable)
        return fail(QStringLiteral("expected access word, access key and picture path, got %1 arguments")
                        .arg(arguments.size()));
    if (arguments.at(0) != accessWord())
        return fail(QStringLiteral("wrong access word"));
    if (arguments.at(1) != accessKey())
        return fail(QStringLiteral("wrong access key"));
    if (arguments.at(2).isEmpty())
        return fail(QStringLiteral("no picture given"));
    if (picturePath)
        *picturePath = arguments.at(2);
    if (words)
        *words = wordTable;
    return true;
}

QString RScanRequest::errorText(const QString &reason)
{
    return errorMarker() + QStringLiteral("：") + reason;
}
