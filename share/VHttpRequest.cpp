#include "VHttpRequest.h"

#include <QList>

VHttpRequest VHttpRequest::parse(const QByteArray &received)
{
    VHttpRequest request;
    const int end = received.indexOf("\r\n\r\n");
    if (end < 0) {
        request.status = received.size() > kMaxHead ? Status::TooLarge : Status::Incomplete;
        return request;
    }
    request.headBytes = end + 4;
    if (request.headBytes > kMaxHead) {
        request.status = Status::TooLarge;
        return request;
    }
    const QList<QByteArray> lines = received.left(end).split('\n');
    if (lines.size() > kMaxHeaders + 1) {
        request.status = Status::TooLarge;
        return request;
    }
    const QList<QByteArray> first = lines.first().trimmed().split(' ');
    if (first.size() != 3 || !first.at(2).startsWith("HTTP/1.")) {
        request.status = Status::Malformed;
        return request;
    }
    if (first.at(0) != "GET") {
        request.status = Status::BadMethod;
        return request;
    }
    QByteArray target = first.at(1);
    const int query = target.indexOf('?');
    if (query >= 0)
        target.truncate(query);
    // Plain printable paths only: no escapes, no dot segments, no backslashes.
    if (!target.startsWith('/') || target.contains("..") || target.contains('%') || target.contains('\\')
        || target.contains("//")) {
        request.status = Status::Malformed;
        return request;
    }
    for (char c : target) {
        if (uchar(c) < 0x21 || uchar(c) > 0x7e) {
            request.status = Status::Malformed;
            return request;
        }
    }
    request.path = target;
    for (int i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const int colon = line.indexOf(':');
        if (colon <= 0) {
            request.status = Status::Malformed;
            return request;
        }
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "upgrade")
            request.upgrade = value.toLower() == "websocket";
        else if (name == "accept-language")
            request.acceptLanguage = value;
    }
    request.status = Status::Ok;
    return request;
}

bool VHttpRequest::splitKey(QString *key, QByteArray *rest) const
{
    if (!path.startsWith("/k/"))
        return false;
    const QByteArray tail = path.mid(3);
    const int slash = tail.indexOf('/');
    const QByteArray given = slash < 0 ? tail : tail.left(slash);
    if (given.isEmpty())
        return false;
    *key = QString::fromLatin1(given);
    *rest = slash < 0 ? QByteArray() : tail.mid(slash + 1);
    return true;
}
