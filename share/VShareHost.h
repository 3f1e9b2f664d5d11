#pragma once
// The network side of a share, living on a thread of its own: one port for
// the page, its script and the stream's WebSocket. Each connection gets one
// short GET (or the stream's upgrade) checked against the share's key; the
// stream's fragments go to every viewer through its gate.

#include "VViewerGate.h"

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QVector>

class QTcpServer;
class QTcpSocket;
class QWebSocket;
class QWebSocketServer;

class VShareHost : public QObject
{
    Q_OBJECT
public:
    struct Settings {
        QHostAddress address = QHostAddress::Any;
        quint16 port = 8117;
        int maxViewers = 60;
        QString language = QStringLiteral("zh"); // the page's when the browser's is neither zh nor en
        qint64 viewerMaxPendingBytes = 1 << 20;   // about a second of a busy picture
        int viewerMaxBehindMs = 8000;
        int requestTimeoutMs = 5000;
    };

    explicit VShareHost(QObject *parent = nullptr);
    ~VShareHost() override;

    // On the host's thread.
    bool listen(const Settings &settings, const QString &key, QString *error);
    void setStream(const QByteArray &init, const QString &codec);
    void pushFragment(const QByteArray &bytes, bool key);
    void shutDown();
    quint16 port() const;
    int viewers() const { return m_viewers.size(); }

signals:
    void sViewersChanged(int count);

private:
    struct Viewer {
        VViewerGate gate;
        bool started = false; // has the init segment
    };
    void accept();
    void readHead(QTcpSocket *socket);
    void respond(QTcpSocket *socket, const QByteArray &status, const QByteArray &type, const QByteArray &body);
    QByteArray resource(const QString &name) const;
    void viewerJoined();
    void viewerLeft(QWebSocket *socket);
    void startViewer(QWebSocket *socket, Viewer &viewer);
    void deliver(QWebSocket *socket, Viewer &viewer, const QByteArray &bytes, bool key, qint64 nowMs);

    Settings m_settings;
    QString m_key;
    QTcpServer *m_tcp = nullptr;
    QWebSocketServer *m_ws = nullptr;
    int m_heads = 0;     // connections still sending their request
    int m_upgrading = 0; // handed to the WebSocket handshake
    QHash<QWebSocket *, Viewer> m_viewers;
    QByteArray m_init;
    QString m_codec;
    // Since the last key frame: a new viewer starts at once instead of waiting for the next.
    QVector<QByteArray> m_sinceKey;
    qint64 m_sinceKeyBytes = 0;
};
