#include "NginxRtmp.h"
#include "PublishFeed.h"
#include "VStreamPublisher.h"
#include "VisoraTest.h"

#include <QJsonObject>
#include <QTcpServer>

using State = VStreamPublisher::State;
Q_DECLARE_METATYPE(State)

namespace {

const QSize kSize(640, 360);

VStreamPublisher::Settings quickRetries()
{
    VStreamPublisher::Settings s;
    s.firstRetryMs = 300;
    s.maxRetryMs = 1500;
    s.ioTimeoutMs = 2000;
    return s;
}

bool waitState(const VStreamPublisher &publisher, State state, int ms)
{
    return QTest::qWaitFor([&] { return publisher.status().state == state; }, ms);
}

QString describe(const VStreamPublisher &publisher)
{
    const auto s = publisher.status();
    return QStringLiteral("%1 after %2 failures: %3").arg(VStreamPublisher::stateName(s.state)).arg(s.failures).arg(s.reason);
}

// "h264 640x360" for each stream ffprobe found, sorted.
QStringList streamsOf(const QJsonArray &streams)
{
    QStringList out;
    for (const auto &v : streams) {
        const QJsonObject s = v.toObject();
        out << (s.contains("width") ? QStringLiteral("%1 %2x%3").arg(s["codec_name"].toString()).arg(s["width"].toInt()).arg(s["height"].toInt())
                                    : s["codec_name"].toString());
    }
    out.sort();
    return out;
}

// Milliseconds stop() takes.
qint64 timedStop(VStreamPublisher &publisher)
{
    QElapsedTimer clock;
    clock.start();
    publisher.stop();
    return clock.elapsed();
}

} // namespace

// The publisher against real servers on the loopback: nginx's RTMP module and
// ffprobe as an SRT listener. A missing nginx fails the test.
class TestStreamPublisher : public QObject
{
    Q_OBJECT
private slots:
    void address_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("rtmp") << "rtmp://media.school.cn/live/room3" << true;
        QTest::newRow("rtmps with port") << "rtmps://media.school.cn:443/live/room3" << true;
        QTest::newRow("srt with port and options") << "srt://10.1.2.3:9000?streamid=room3" << true;
        QTest::newRow("scheme in capitals") << "RTMP://media.school.cn/live/x" << true;
        QTest::newRow("http") << "http://media.school.cn/live/x" << false;
        QTest::newRow("file") << "file:///tmp/x.flv" << false;
        QTest::newRow("srt without port") << "srt://10.1.2.3" << false;
        QTest::newRow("rtmp without stream") << "rtmp://media.school.cn" << false;
        QTest::newRow("no host") << "rtmp:///live/x" << false;
        QTest::newRow("port out of range") << "rtmp://media.school.cn:99999/live/x" << false;
        QTest::newRow("spaces") << "rtmp://media.school.cn/live/x y" << false;
        QTest::newRow("leading space") << " rtmp://media.school.cn/live/x" << false;
        QTest::newRow("empty") << "" << false;
    }
    void address()
    {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QString why;
        QCOMPARE(VStreamPublisher::isPublishAddress(url, &why), accepted);
        QCOMPARE(why.isEmpty(), accepted);
        if (accepted)
            return; // the hosts are not on the loopback
        // start() takes the same decision and starts nothing for a refused address.
        PublishFeed feed;
        QVERIFY(feed.start(QSize(160, 96), 10, false));
        VStreamPublisher publisher;
        QVERIFY(!publisher.start(url, &feed.hub));
        QVERIFY(!publisher.isRunning());
    }

    void publishes_data()
    {
        QTest::addColumn<QString>("scheme");
        QTest::addColumn<bool>("sound");
        QTest::addColumn<QStringList>("streams");
        QTest::newRow("rtmp picture") << "rtmp" << false << QStringList{"h264 640x360"};
        QTest::newRow("rtmp picture and sound") << "rtmp" << true << QStringList{"aac", "h264 640x360"};
        QTest::newRow("srt picture and sound") << "srt" << true << QStringList{"aac", "h264 640x360"};
    }
    void publishes()
    {
        QFETCH(QString, scheme);
        QFETCH(bool, sound);
        NginxRtmp server;
        QProcess listener;
        QString url;
        if (scheme == "rtmp") {
            QVERIFY2(server.start(), qPrintable(server.error()));
            url = server.url();
        } else {
            const int port = NginxRtmp::freePort();
            NginxRtmp::startProbe(listener, QStringLiteral("srt://127.0.0.1:%1?mode=listener").arg(port));
            QVERIFY2(listener.waitForStarted(), "ffprobe is missing");
            QThread::msleep(500);
            url = QStringLiteral("srt://127.0.0.1:%1").arg(port);
        }
        PublishFeed feed;
        QVERIFY(feed.start(kSize, 15, sound));
        VStreamPublisher publisher;
        QVERIFY(publisher.start(url, &feed.hub, quickRetries()));
        QVERIFY2(waitState(publisher, State::Publishing, 8000), qPrintable(describe(publisher)));
        QString error;
        const QJsonArray found = scheme == "rtmp" ? NginxRtmp::probe(url, &error) : NginxRtmp::probeResult(listener, &error);
        QTEST(streamsOf(found), "streams");
        if (scheme == "rtmp") {
            QCOMPARE(publisher.status().state, State::Publishing);
            QCOMPARE(publisher.status().failures, 0);
        }
        QVERIFY(publisher.status().bytesSent > 20000);
        QVERIFY(timedStop(publisher) < 1500);
        QCOMPARE(publisher.status().state, State::Idle);
    }

    // The server goes away mid-lesson: retried and reported, and publishing
    // again once it is back, on its own.
    void serverGoneAndBack()
    {
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        PublishFeed feed;
        QVERIFY(feed.start(kSize, 15, true));
        VStreamPublisher publisher;
        std::atomic<int> notices{0};
        QVERIFY(publisher.start(server.url(), &feed.hub, quickRetries(), [&](const VStreamPublisher::Status &) { ++notices; }));
        QVERIFY2(waitState(publisher, State::Publishing, 8000), qPrintable(describe(publisher)));
        QTest::qWait(1000);
        server.stop();
        QVERIFY2(waitState(publisher, State::Retrying, 8000), qPrintable(describe(publisher)));
        QVERIFY(!publisher.status().reason.isEmpty());
        // Refused connects keep being retried while it is away.
        QVERIFY2(QTest::qWaitFor([&] { return publisher.status().failures >= 3; }, 8000), qPrintable(describe(publisher)));
        QVERIFY2(server.start(server.port()), qPrintable(server.error()));
        QVERIFY2(QTest::qWaitFor([&] { const auto s = publisher.status();
                                       return s.state == State::Publishing && s.connections == 2; }, 10000),
                 qPrintable(describe(publisher)));
        QString error;
        QCOMPARE(streamsOf(NginxRtmp::probe(server.url(), &error)), (QStringList{"aac", "h264 640x360"}));
        QVERIFY(notices >= 6); // connecting, publishing, retrying ... publishing
        QVERIFY(timedStop(publisher) < 1500);
    }

    // A server that stops reading: the encoder goes on at full rate, the
    // backlog is dropped, the write times out into a retry, and stop still
    // returns at once.
    void stalledServer()
    {
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        PublishFeed feed;
        QVERIFY(feed.start(kSize, 15, false, true));
        VStreamPublisher publisher;
        VStreamPublisher::Settings s = quickRetries();
        s.queueBytes = 64 * 1024;
        s.sendBufferBytes = 32 * 1024;
        QVERIFY(publisher.start(server.url(), &feed.hub, s));
        QVERIFY2(waitState(publisher, State::Publishing, 8000), qPrintable(describe(publisher)));
        server.freeze(true);
        const qint64 encodedBefore = feed.stats().encoded;
        QVERIFY2(waitState(publisher, State::Retrying, 15000), qPrintable(describe(publisher)));
        QTest::qWait(1000);
        QVERIFY(feed.stats().encoded - encodedBefore > 15 * 2);
        QVERIFY(publisher.status().skippedPackets > 0);
        QVERIFY(timedStop(publisher) < 1500);
        server.freeze(false);
    }

    // Nobody there: reported as retrying with the reason, and stop does not
    // wait for a connect that hangs.
    void unreachable_data()
    {
        QTest::addColumn<QString>("url");     // %1: the port
        QTest::addColumn<bool>("answers");   // a socket accepts but says nothing
        QTest::addColumn<State>("state");    // within 4 s
        QTest::newRow("rtmp port closed") << "rtmp://127.0.0.1:%1/live/x" << false << State::Retrying;
        QTest::newRow("srt port closed") << "srt://127.0.0.1:%1" << false << State::Retrying;
        QTest::newRow("rtmp server silent") << "rtmp://127.0.0.1:%1/live/x" << true << State::Connecting;
        QTest::newRow("not an rtmp mode") << "srt://127.0.0.1:%1?mode=sideways" << false << State::Failed;
    }
    void unreachable()
    {
        QFETCH(QString, url);
        QFETCH(bool, answers);
        QFETCH(State, state);
        QTcpServer silent;
        int port = NginxRtmp::freePort();
        if (answers) {
            QVERIFY(silent.listen(QHostAddress::LocalHost, 0));
            port = silent.serverPort();
        }
        PublishFeed feed;
        QVERIFY(feed.start(QSize(160, 96), 10, false));
        VStreamPublisher publisher;
        VStreamPublisher::Settings s = quickRetries();
        s.ioTimeoutMs = 1000;
        QVERIFY(publisher.start(url.arg(port), &feed.hub, s));
        QTest::qWait(answers ? 800 : 0);
        QVERIFY2(waitState(publisher, state, 4000), qPrintable(describe(publisher)));
        if (state != State::Connecting)
            QVERIFY(!publisher.status().reason.isEmpty());
        QVERIFY(timedStop(publisher) < 1200);
    }
};

VISORA_TEST_MAIN(TestStreamPublisher)
#include "tst_streampublisher.moc"
