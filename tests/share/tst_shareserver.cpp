// A share seen from outside: raw requests, forty light viewers at once while
// the camera feed holds its rate, and the end of a share. Everything on 127.0.0.1.
#include "VClock.h"
#include "VPacketHub.h"
#include "VShareServer.h"
#include "VVideoPipe.h"
#include "VisoraTest.h"

#include <QTcpSocket>
#include <QWebSocket>

namespace {
constexpr int kFps = 30;

struct Listener {
    int texts = 0;
    int binaries = 0;
    bool closed = false;
    QString closeReason;
};
} // namespace

class TestShareServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void requests_data();
    void requests();
    void fortyViewersWhileTheFeedHoldsItsRate();
    void stoppingEndsEveryViewer();

private:
    QString url(const QString &rest = {}) const { return m_share.address(QStringLiteral("127.0.0.1")) + rest; }
    QByteArray exchange(const QByteArray &request);
    void feed();

    QImage m_frame{640, 360, QImage::Format_RGB32};
    VPacketHub m_hub;
    VVideoPipe m_pipe;
    QTimer m_feed;
    qint64 m_fed = 0;
    VShareServer m_share;
    QString m_oldKey;
    std::vector<std::unique_ptr<QWebSocket>> m_clients;
    std::vector<Listener> m_heard;
};

void TestShareServer::feed()
{
    m_frame.fill(QColor::fromHsv(int(m_fed % 360), 200, 200));
    m_pipe.offer(m_frame.constBits(), m_frame.bytesPerLine(), m_frame.size(), VVideoEncoder::Pixels::Bgra32,
                 VClock::nowUs());
    ++m_fed;
}

void TestShareServer::initTestCase()
{
    QString error;
    VVideoEncoder::Settings video;
    video.size = m_frame.size();
    video.fps = kFps;
    QVERIFY(m_pipe.start(video, &m_hub, VClock::nowUs()));
    connect(&m_feed, &QTimer::timeout, this, &TestShareServer::feed);
    m_feed.setTimerType(Qt::PreciseTimer);
    m_feed.start(1000 / kFps);

    VShareServer::Settings settings;
    settings.address = QHostAddress::LocalHost;
    settings.port = 0;
    settings.maxViewers = 40;
    settings.requestTimeoutMs = 1000;
    QVERIFY2(m_share.start(&m_hub, settings, &error), qPrintable(error));
    m_oldKey = m_share.key();
    QVERIFY2(m_share.start(&m_hub, settings, &error), qPrintable(error)); // a new share, a new key
    QVERIFY(m_share.key() != m_oldKey);
    QVERIFY(m_share.port() > 0);
}

void TestShareServer::cleanupTestCase()
{
    m_share.stop();
    m_feed.stop();
    m_pipe.stop();
}

QByteArray TestShareServer::exchange(const QByteArray &request)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, m_share.port());
    if (!socket.waitForConnected(3000))
        return "no connection";
    socket.write(request);
    QByteArray reply;
    QElapsedTimer waited;
    waited.start();
    while (socket.state() == QAbstractSocket::ConnectedState && waited.elapsed() < 4000) {
        socket.waitForReadyRead(100);
        reply += socket.readAll();
    }
    reply += socket.readAll();
    return socket.state() == QAbstractSocket::ConnectedState ? "left open" : reply;
}

// Request templates: KEY is the share's key, OLD the previous share's.
void TestShareServer::requests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("status");
    const QByteArray upgrade = "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n\r\n";
    QTest::newRow("the page with the key") << QByteArray("GET /k/KEY HTTP/1.1\r\nHost: x\r\n\r\n") << QByteArray("200");
    QTest::newRow("the key typed in small letters") << QByteArray("GET /k/key HTTP/1.1\r\n\r\n") << QByteArray("200");
    QTest::newRow("the player script") << QByteArray("GET /k/KEY/player.js HTTP/1.1\r\n\r\n") << QByteArray("200");
    QTest::newRow("a wrong key") << QByteArray("GET /k/2345678923456 HTTP/1.1\r\n\r\n") << QByteArray("403");
    QTest::newRow("the previous share's key") << QByteArray("GET /k/OLD HTTP/1.1\r\n\r\n") << QByteArray("403");
    QTest::newRow("no key") << QByteArray("GET / HTTP/1.1\r\n\r\n") << QByteArray("403");
    QTest::newRow("a file name instead of a key") << QByteArray("GET /share.html HTTP/1.1\r\n\r\n") << QByteArray("403");
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
    QTest::newRow("an upgrade without a key") << QByteArray("GET /ws HTTP/1.1\r\nHost: x\r\n" + upgrade)
                                              << QByteArray("403");
    QTest::newRow("an upgrade with a wrong key")
        << QByteArray("GET /k/2345678923456/ws HTTP/1.1\r\nHost: x\r\n" + upgrade) << QByteArray("403");
    QTest::newRow("the stream without an upgrade") << QByteArray("GET /k/KEY/ws HTTP/1.1\r\n\r\n") << QByteArray("404");
    QTest::newRow("a silent connection is closed") << QByteArray() << QByteArray();
}

void TestShareServer::requests()
{
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, status);
    request.replace("/k/KEY", "/k/" + m_share.key().toLatin1());
    request.replace("/k/key", "/k/" + m_share.key().toLower().toLatin1());
    request.replace("/k/OLD", "/k/" + m_oldKey.toLatin1());
    const QByteArray reply = exchange(request);
    QCOMPARE(reply.left(12), status.isEmpty() ? QByteArray() : "HTTP/1.1 " + status);
    if (status != "200")
        QVERIFY(!reply.contains(m_share.key().toLatin1()) && !reply.contains("<video"));
    else if (!request.contains("player.js"))
        QVERIFY(reply.contains("<video"));
}

void TestShareServer::fortyViewersWhileTheFeedHoldsItsRate()
{
    const QString stream = QString(url(QStringLiteral("/ws"))).replace(QStringLiteral("http://"), QStringLiteral("ws://"));
    m_heard.resize(41);
    for (int i = 0; i < 41; ++i) {
        m_clients.push_back(std::make_unique<QWebSocket>());
        QWebSocket *client = m_clients.back().get();
        Listener *heard = &m_heard[size_t(i)];
        connect(client, &QWebSocket::textMessageReceived, this, [heard] { ++heard->texts; });
        connect(client, &QWebSocket::binaryMessageReceived, this, [heard] { ++heard->binaries; });
        connect(client, &QWebSocket::disconnected, this, [heard, client] {
            heard->closed = true;
            heard->closeReason = client->closeReason();
        });
        client->open(QUrl(stream));
    }
    const qint64 fedBefore = m_fed;
    QElapsedTimer window;
    window.start();
    QTest::qWait(4000);
    const double feedFps = (m_fed - fedBefore) * 1000.0 / window.elapsed();
    QCOMPARE(m_share.viewers(), 40); // one more was turned away
    int turnedAway = 0;
    for (int i = 0; i < 41; ++i) {
        if (m_heard[size_t(i)].closed) {
            ++turnedAway;
            continue;
        }
        QCOMPARE(m_heard[size_t(i)].texts, 1);
        // The init segment and about four seconds of pictures, less a slow start.
        QVERIFY2(m_heard[size_t(i)].binaries > 2 * kFps, qPrintable(QString::number(m_heard[size_t(i)].binaries)));
    }
    QCOMPARE(turnedAway, 1);
    QVERIFY2(feedFps > 0.8 * kFps, qPrintable(QString::number(feedFps)));
}

void TestShareServer::stoppingEndsEveryViewer()
{
    const quint16 port = m_share.port();
    m_share.stop();
    QCOMPARE(m_share.viewers(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(m_heard.begin(), m_heard.end(), [](const Listener &l) { return l.closed; }), 5000);
    int ended = 0;
    for (const Listener &heard : m_heard)
        ended += heard.closeReason == QLatin1String("ended");
    QCOMPARE(ended, 40);
    // Nothing listens any more.
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!probe.waitForConnected(1000));
}

VISORA_TEST_MAIN(TestShareServer)
#include "tst_shareserver.moc"
