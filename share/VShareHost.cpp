#include "VShareHost.h"

#include "VHttpRequest.h"
#include "VShareKey.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>

namespace {
// A stream whose key frames are further apart than this is not kept for joiners.
constexpr qint64 kMaxSinceKeyBytes = 8 << 20;

qint64 monotonicMs()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return clock.elapsed();
}

// What a wrong or old key gets: a fixed text, the same for every request.
const QByteArray kRefused = QByteArrayLiteral(
    "<!doctype html><meta charset=utf-8><meta name=viewport content=\"width=device-width\">"
    "<p>\xe5\x85\xb1\xe4\xba\xab\xe5\xb7\xb2\xe7\xbb\x93\xe6\x9d\x9f\xe6\x88\x96\xe5\x9c\xb0\xe5\x9d\x80"
    "\xe4\xb8\x8d\xe6\xad\xa3\xe7\xa1\xae\xe3\x80\x82<p>This share has ended or the address is wrong.\n");
} // namespace

// The page's resources live in this static library.
static void loadPage()
{
    Q_INIT_RESOURCE(share);
}

VShareHost::VShareHost(QObject *parent) : QObject(parent)
{
    loadPage();
}

VShareHost::~VShareHost()
{
    shutDown();
}

bool VShareHost::listen(const Settings &settings, const QString &key, QString *error)
{
    shutDown();
    m_settings = settings;
    m_key = key;
    m_tcp = new QTcpServer(this);
    m_tcp->setMaxPendingConnections(2 * settings.maxViewers);
    if (!m_tcp->listen(settings.address, settings.port)) {
        *error = m_tcp->errorString();
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    m_ws = new QWebSocketServer(QStringLiteral("Visora"), QWebSocketServer::NonSecureMode, this);
    m_ws->setHandshakeTimeout(settings.requestTimeoutMs);
    m_ws->setMaxPendingConnections(settings.maxViewers);
    connect(m_tcp, &QTcpServer::newConnection, this, &VShareHost::accept);
    connect(m_ws, &QWebSocketServer::newConnection, this, &VShareHost::viewerJoined);
    return true;
}

quint16 VShareHost::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

void VShareHost::shutDown()
{
    const auto sockets = m_viewers.keys();
    m_viewers.clear();
    for (QWebSocket *socket : sockets) {
        socket->disconnect(this);
        // The page tells its student the share has ended.
        socket->close(QWebSocketProtocol::CloseCodeGoingAway, QStringLiteral("ended"));
        socket->deleteLater();
    }
    if (m_tcp) {
        m_tcp->close();
        // Requests still being read end with the server.
        for (QTcpSocket *socket : m_tcp->findChildren<QTcpSocket *>())
            socket->abort();
        m_tcp->deleteLater();
        m_tcp = nullptr;
    }
    if (m_ws) {
        m_ws->close();
        m_ws->deleteLater();
        m_ws = nullptr;
    }
    m_heads = m_upgrading = 0;
    m_sinceKey.clear();
    m_sinceKeyBytes = 0;
    m_init.clear();
    if (!sockets.isEmpty())
        emit sViewersChanged(0);
}

void VShareHost::accept()
{
    while (m_tcp && m_tcp->hasPendingConnections()) {
        QTcpSocket *socket = m_tcp->nextPendingConnection();
        if (m_heads >= 2 * m_settings.maxViewers) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_heads;
        auto *deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, &QTcpSocket::abort);
        deadline->start(m_settings.requestTimeoutMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readHead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            if (socket->property("head").isNull()) {
                socket->setProperty("head", true);
                --m_heads;
            }
            socket->deleteLater();
        });
    }
}

void VShareHost::readHead(QTcpSocket *socket)
{
    // Peeked, not read: an upgrade goes to the WebSocket server with its bytes.
    const VHttpRequest request = VHttpRequest::parse(socket->peek(VHttpRequest::kMaxHead + 1));
    switch (request.status) {
    case VHttpRequest::Status::Incomplete:
        return;
    case VHttpRequest::Status::TooLarge:
        return respond(socket, "431 Request Header Fields Too Large", "text/plain", {});
    case VHttpRequest::Status::Malformed:
        return respond(socket, "400 Bad Request", "text/plain", {});
    case VHttpRequest::Status::BadMethod:
        return respond(socket, "405 Method Not Allowed", "text/plain", {});
    case VHttpRequest::Status::Ok:
        break;
    }
    QString key;
    QByteArray rest;
    if (!request.splitKey(&key, &rest) || !VShareKey::matches(key, m_key))
        return respond(socket, "403 Forbidden", "text/html; charset=utf-8", kRefused);
    if (rest.isEmpty())
        return respond(socket, "200 OK", "text/html; charset=utf-8", resource(QStringLiteral("share.html")));
    if (rest == "player.js")
        return respond(socket, "200 OK", "text/javascript; charset=utf-8", resource(QStringLiteral("player.js")));
    if (rest != "ws" || !request.upgrade)
        return respond(socket, "404 Not Found", "text/plain", {});
    if (m_viewers.size() + m_upgrading >= m_settings.maxViewers)
        return respond(socket, "503 Service Unavailable", "text/plain", {});
    socket->disconnect(this);
    delete socket->findChild<QTimer *>();
    socket->setProperty("head", true);
    --m_heads;
    ++m_upgrading;
    m_ws->handleConnection(socket);
}

void VShareHost::respond(QTcpSocket *socket, const QByteArray &status, const QByteArray &type, const QByteArray &body)
{
    QObject::disconnect(socket, &QTcpSocket::readyRead, this, nullptr);
    socket->readAll();
    QByteArray head = "HTTP/1.1 " + status + "\r\nContent-Type: " + type
                      + "\r\nContent-Length: " + QByteArray::number(body.size())
                      + "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff"
                        "\r\nReferrer-Policy: no-referrer"
                        "\r\nContent-Security-Policy: default-src 'none'; script-src 'self'; connect-src 'self' ws:;"
                        " media-src blob:; style-src 'unsafe-inline'\r\nConnection: close\r\n\r\n";
    socket->write(head + body);
    socket->disconnectFromHost();
}

QByteArray VShareHost::resource(const QString &name) const
{
    QFile file(QStringLiteral(":/share/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    bytes.replace("@KEY@", m_key.toLatin1());
    bytes.replace("@LANG@", m_settings.language.toLatin1());
    return bytes;
}

void VShareHost::viewerJoined()
{
    while (m_ws && m_ws->hasPendingConnections()) {
        QWebSocket *socket = m_ws->nextPendingConnection();
        m_upgrading = qMax(0, m_upgrading - 1);
        if (m_viewers.size() >= m_settings.maxViewers) {
            socket->close(QWebSocketProtocol::CloseCodeTooMuchData, QStringLiteral("full"));
            socket->deleteLater();
            continue;
        }
        connect(socket, &QWebSocket::disconnected, this, [this, socket] { viewerLeft(socket); });
        Viewer &viewer = m_viewers.insert(socket, Viewer{VViewerGate(m_settings.viewerMaxPendingBytes,
                                                                     m_settings.viewerMaxBehindMs)})
                                 .value();
        startViewer(socket, viewer);
        emit sViewersChanged(m_viewers.size());
    }
    // Handshakes that failed never come out of the server.
    if (m_ws && m_viewers.isEmpty() && !m_ws->hasPendingConnections())
        m_upgrading = 0;
}

void VShareHost::viewerLeft(QWebSocket *socket)
{
    if (m_viewers.remove(socket) > 0)
        emit sViewersChanged(m_viewers.size());
    socket->deleteLater();
}

void VShareHost::startViewer(QWebSocket *socket, Viewer &viewer)
{
    if (viewer.started || m_init.isEmpty())
        return;
    viewer.started = true;
    socket->sendTextMessage(QStringLiteral("{\"codec\":\"%1\"}").arg(m_codec));
    socket->sendBinaryMessage(m_init);
    const qint64 now = monotonicMs();
    for (int i = 0; i < m_sinceKey.size() && m_viewers.contains(socket); ++i)
        deliver(socket, viewer, m_sinceKey.at(i), i == 0, now);
}

void VShareHost::setStream(const QByteArray &init, const QString &codec)
{
    m_init = init;
    m_codec = codec;
    m_sinceKey.clear();
    m_sinceKeyBytes = 0;
    for (auto it = m_viewers.begin(); it != m_viewers.end(); ++it)
        startViewer(it.key(), it.value());
}

void VShareHost::pushFragment(const QByteArray &bytes, bool key)
{
    if (key) {
        m_sinceKey.clear();
        m_sinceKeyBytes = 0;
    }
    if (key || !m_sinceKey.isEmpty()) {
        m_sinceKey.append(bytes);
        m_sinceKeyBytes += bytes.size();
        if (m_sinceKeyBytes > kMaxSinceKeyBytes) {
            m_sinceKey.clear();
            m_sinceKeyBytes = 0;
        }
    }
    const qint64 now = monotonicMs();
    // Copied: a viewer let go below leaves the table.
    const auto sockets = m_viewers.keys();
    for (QWebSocket *socket : sockets) {
        auto it = m_viewers.find(socket);
        if (it != m_viewers.end() && it->started)
            deliver(socket, it.value(), bytes, key, now);
    }
}

void VShareHost::deliver(QWebSocket *socket, Viewer &viewer, const QByteArray &bytes, bool key, qint64 nowMs)
{
    switch (viewer.gate.decide(key, socket->bytesToWrite(), nowMs)) {
    case VViewerGate::Action::Send:
        socket->sendBinaryMessage(bytes);
        break;
    case VViewerGate::Action::Skip:
        break;
    case VViewerGate::Action::Disconnect:
        // Stalled: the page may connect again and start at a key frame.
        socket->abort();
        break;
    }
}
