// A share seen from outside: raw requests, a full house of light viewers, and
// the end of a share. Everything on 127.0.0.1.
#include "PublishFeed.h"
#include "VShareServer.h"
#include "VisoraTest.h"

#include <QTcpSocket>
#include <QWebSocket>

namespace {
constexpr int kFps = 30;
constexpr int kMaxViewers = 40;

struct Listener {
    int binaries = 0;
    bool closed = false;
    QString closeReason;
};
} // namespace

class TestShareServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(m_feed.start(QSize(640, 360), kFps, false));
        VShareServer::Settings settings;
        settings.address = QHostAddress::LocalHost;
        settings.port = 0;
        settings.maxViewers = kMaxViewers;
        settings.requestTimeoutMs = 1000;
        QString error;
        QVERIFY2(m_share.start(&m_feed.hub, settings, &error), qPrintable(error));
        m_oldKey = m_share.key();
        QVERIFY2(m_share.start(&m_feed.hub, settings, &error), qPrintable(error)); // a new share, a new key
    }

    // What no viewer may get; a browser plays the share in tst_sharepresenter.
    // Request templates: KEY is the share's key, OLD the previous share's.
    void requests_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<QByteArray>("status");
        const QByteArray upgrade = "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                                   "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n";
        QTest::newRow("a wrong key") << QByteArray("GET /k/2345678923456 HTTP/1.1\r\n\r\n") << QByteArray("403");
        QTest::newRow("the previous share's key") << QByteArray("GET /k/OLD HTTP/1.1\r\n\r\n") << QByteArray("403");
        QTest::newRow("no key") << QByteArray("GET /share.html HTTP/1.1\r\n\r\n") << QByteArray("403");
        QTest::newRow("another method") << QByteArray("POST /k/KEY HTTP/1.1\r\nContent-Length: 0\r\n\r\n") << QByteArray("405");
        QTest::newRow("a header over the limit")
            << QByteArray("GET /k/KEY HTTP/1.1\r\nX: " + QByteArray(5000, 'a') + "\r\n\r\n") << QByteArray("431");
        QTest::newRow("a head that never ends") << QByteArray("GET /k/KEY HTTP/1.1\r\nX: " + QByteArray(5000, 'a'))
                                                << QByteArray("431");
        QTest::newRow("dot segments") << QByteArray("GET /k/KEY/../../etc/passwd HTTP/1.1\r\n\r\n") << QByteArray("400");
        QTest::newRow("escaped dot segments") << QByteArray("GET /k/KEY/%2e%2e/%2e%2e/etc/passwd HTTP/1.1\r\n\r\n")
                                              << QByteArray("400");
        QTest::newRow("a path the share does not have") << QByteArray("GET /k/KEY/etc/passwd HTTP/1.1\r\n\r\n")
                                                        << QByteArray("404");
        QTest::newRow("not HTTP") << QByteArray("hello\r\n\r\n") << QByteArray("400");
        QTest::newRow("an upgrade with a wrong key")
            << QByteArray("GET /k/2345678923456/ws HTTP/1.1\r\nHost: x\r\n" + upgrade) << QByteArray("403");
        QTest::newRow("the stream without an upgrade") << QByteArray("GET /k/KEY/ws HTTP/1.1\r\n\r\n") << QByteArray("404");
        QTest::newRow("a silent connection is closed") << QByteArray() << QByteArray();
    }

    void requests()
    {
        QFETCH(QByteArray, request);
        QFETCH(QByteArray, status);
        request.replace("/k/KEY", "/k/" + m_share.key().toLatin1());
        request.replace("/k/OLD", "/k/" + m_oldKey.toLatin1());
        const QByteArray reply = exchange(request);
        QCOMPARE(reply.left(12), status.isEmpty() ? QByteArray() : "HTTP/1.1 " + status);
        QVERIFY(!reply.contains(m_share.key().toLatin1()) && !reply.contains("<video"));
    }

    // Every viewer within the cap gets the pictures.
    void viewersUpToTheCap()
    {
        QString stream = m_share.address(QStringLiteral("127.0.0.1")) + QStringLiteral("/ws");
        stream.replace(QStringLiteral("http://"), QStringLiteral("ws://"));
        m_heard.resize(kMaxViewers + 1);
        for (Listener &heard : m_heard) {
            m_clients.push_back(std::make_unique<QWebSocket>());
            QWebSocket *client = m_clients.back().get();
            connect(client, &QWebSocket::binaryMessageReceived, this, [&heard] { ++heard.binaries; });
            connect(client, &QWebSocket::disconnected, this, [&heard, client] {
                heard.closed = true;
                heard.closeReason = client->closeReason();
            });
            client->open(QUrl(stream));
        }
        QTest::qWait(4000);
        QCOMPARE(m_share.viewers(), kMaxViewers);
        QCOMPARE(int(std::count_if(m_heard.begin(), m_heard.end(), [](const Listener &l) { return l.closed; })), 1);
        for (const Listener &heard : m_heard) {
            // The init segment and about four seconds of pictures, less a slow start.
            QVERIFY2(heard.closed || heard.binaries > 2 * kFps, qPrintable(QString::number(heard.binaries)));
        }
    }

    void stoppingEndsEveryViewer()
    {
        const quint16 port = m_share.port();
        m_share.stop();
        QTRY_COMPARE_WITH_TIMEOUT(int(std::count_if(m_heard.begin(), m_heard.end(),
                                                    [](const Listener &l) { return l.closeReason == QLatin1String("ended"); })),
                                  kMaxViewers, 5000);
        QTcpSocket probe; // nothing listens any more
        probe.connectToHost(QHostAddress::LocalHost, port);
        QVERIFY(!probe.waitForConnected(1000));
    }

private:
    QByteArray exchange(const QByteArray &request)
    {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, m_share.port());
        if (!socket.waitForConnected(3000))
            return "no connection";
        socket.write(request);
        // Every answer ends the connection: one left open fails the row.
        return socket.waitForDisconnected(4000) ? socket.readAll() : "left open";
    }

    PublishFeed m_feed;
    VShareServer m_share;
    QString m_oldKey;
    std::vector<Listener> m_heard;
    std::vector<std::unique_ptr<QWebSocket>> m_clients;
};

VISORA_TEST_MAIN(TestShareServer)
#include "tst_shareserver.moc"
