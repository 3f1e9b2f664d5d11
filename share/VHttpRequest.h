#pragma once
// The one request a share connection may send: a GET with a short head.
// Everything else is refused before the server looks at the path.

#include <QByteArray>
#include <QString>

class VHttpRequest
{
public:
    enum class Status {
        Incomplete, // the head has not ended yet
        Ok,
        Malformed,  // 400
        TooLarge,   // 431: head longer than the limit
        BadMethod,  // 405: only GET
    };
    static constexpr int kMaxHead = 4096;
    static constexpr int kMaxHeaders = 40;

    // Looks at the bytes received so far (the socket keeps them, so a
    // WebSocket upgrade can be handed on unread).
    static VHttpRequest parse(const QByteArray &received);

    Status status = Status::Incomplete;
    int headBytes = 0;    // bytes up to and including the empty line
    QByteArray path;      // without the query
    bool upgrade = false; // asks for a WebSocket
    QByteArray acceptLanguage;

    // "/k/KEY/rest": the key and the rest ("" for the page); false without a key.
    bool splitKey(QString *key, QByteArray *rest) const;
};
