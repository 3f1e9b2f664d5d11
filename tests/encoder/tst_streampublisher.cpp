#include "NginxRtmp.h"
#include "PublishFeed.h"
#include "VStreamPublisher.h"
#include "VisoraTest.h"

using State = VStreamPublisher::State;
Q_DECLARE_METATYPE(State)

namespace {

VStreamPublisher::Settings quick()
{
    return {VStreamPublisher::Settings().queueBytes, 300, 1500, 1000, 0};
}

#define WAIT_STATE(publisher, wanted, ms)                                                                              \
    QVERIFY2(QTest::qWaitFor([&] { return (publisher).status().state == (wanted); }, ms),                              \
             VStreamPublisher::stateName((publisher).status().state) + (" " + (publisher).status().reason).toUtf8())

qint64 stopMs(VStreamPublisher &publisher)
{
    const qint64 start = VClock::nowUs();
    publisher.stop();
    return (VClock::nowUs() - start) / 1000;
}

} // namespace

// The publisher against real servers on the loopback: nginx's RTMP module and
// ffprobe as an SRT listener. A missing nginx or ffprobe fails the test.
class TestStreamPublisher : public QObject
{
    Q_OBJECT
private slots:
    void address_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("rtmps, capitals") << "RTMPS://media.school.cn:443/live/room3" << true;
        QTest::newRow("http") << "http://media.school.cn/live/x" << false;
        QTest::newRow("srt without port") << "srt://10.1.2.3" << false;
        QTest::newRow("rtmp without stream") << "rtmp://media.school.cn" << false;
        QTest::newRow("spaces") << " rtmp://media.school.cn/live/x y" << false;
    }
    void address()
    {
        QFETCH(QString, url);
        QFETCH(bool, accepted);
        QCOMPARE(VStreamPublisher::isPublishAddress(url), accepted);
        VPacketHub hub; // no picture: refused whatever the address
        QVERIFY(!VStreamPublisher().start("rtmp://127.0.0.1:1/live/x", &hub));
    }

    // SRT to ffprobe as the listener; RTMP to nginx in the tests below.
    void publishesOverSrt()
    {
        const QString url = QString("srt://127.0.0.1:%1").arg(NginxRtmp::freePort());
        QProcess listener;
        NginxRtmp::startProbe(listener, url + "?mode=listener");
        QVERIFY2(listener.waitForStarted(), "ffprobe is missing");
        QThread::msleep(500);
        PublishFeed feed;
        QVERIFY(feed.start(QSize(640, 360), 15, true));
        VStreamPublisher publisher;
        QVERIFY(publisher.start(url, &feed.hub, quick()));
        WAIT_STATE(publisher, State::Publishing, 8000);
        QCOMPARE(NginxRtmp::probeResult(listener), QStringList({"aac", "h264 640x360"}));
        QVERIFY(stopMs(publisher) < 1200);
    }

    // The server goes away mid-lesson, is retried and reported, and gets the
    // stream again once it is back; a server that stops reading never holds
    // the encoder back, and its connection times out into a retry.
    void serverGoneAndBack_data()
    {
        QTest::addColumn<bool>("frozen");
        QTest::newRow("server ended") << false;
        QTest::newRow("server stops reading") << true;
    }
    void serverGoneAndBack()
    {
        QFETCH(bool, frozen);
        NginxRtmp server;
        QVERIFY2(server.start(), qPrintable(server.error()));
        PublishFeed feed;
        QVERIFY(feed.start(QSize(640, 360), 15, true, frozen));
        VStreamPublisher publisher;
        VStreamPublisher::Settings s = quick();
        s.queueBytes = 64 * 1024;
        s.sendBufferBytes = 32 * 1024;
        std::atomic<int> notices{0};
        QVERIFY(publisher.start(server.url(), &feed.hub, s, [&](const VStreamPublisher::Status &) { ++notices; }));
        WAIT_STATE(publisher, State::Publishing, 8000);
        const qint64 encoded = feed.stats().encoded;
        frozen ? server.freeze(true) : server.stop();
        WAIT_STATE(publisher, State::Retrying, 15000);
        QVERIFY(QTest::qWaitFor([&] { return publisher.status().failures >= 3; }, 8000));
        QTest::qWait(1000);
        QVERIFY(feed.stats().encoded - encoded >= 15); // at least a second's pictures, however loaded the machine
        QVERIFY2(server.start(server.port()), qPrintable(server.error()));
        QVERIFY(QTest::qWaitFor([&] { return publisher.status().connections == 2; }, 8000));
        QProcess player;
        NginxRtmp::startProbe(player, server.url());
        QCOMPARE(NginxRtmp::probeResult(player), QStringList({"aac", "h264 640x360"}));
        QVERIFY(notices >= 6); // connecting, publishing, retrying ... publishing
        QVERIFY(stopMs(publisher) < 1200);
    }

    // Nobody there: reported with the reason, and stop does not wait for a
    // connect that hangs. An address the library rejects fails for good.
    void unreachable_data()
    {
        QTest::addColumn<QString>("url"); // %1: a port
        QTest::addColumn<bool>("silent"); // a socket there accepts and says nothing
        QTest::addColumn<State>("state");
        QTest::newRow("rtmp port closed") << "rtmp://127.0.0.1:%1/live/x" << false << State::Retrying;
        QTest::newRow("srt port closed") << "srt://127.0.0.1:%1" << false << State::Retrying;
        QTest::newRow("rtmp server silent") << "rtmp://127.0.0.1:%1/live/x" << true << State::Connecting;
        QTest::newRow("unknown srt mode") << "srt://127.0.0.1:%1?mode=sideways" << false << State::Failed;
    }
    void unreachable()
    {
        QFETCH(QString, url);
        QFETCH(bool, silent);
        QFETCH(State, state);
        QTcpServer server;
        QVERIFY(server.listen(QHostAddress::LocalHost, 0));
        const int port = server.serverPort();
        if (!silent)
            server.close();
        PublishFeed feed;
        QVERIFY(feed.start(QSize(160, 96), 10, false));
        VStreamPublisher publisher;
        VStreamPublisher::Settings s = quick();
        s.ioTimeoutMs = silent ? 5000 : 1000;
        QVERIFY(publisher.start(url.arg(port), &feed.hub, s));
        QTest::qWait(silent ? 800 : 0);
        WAIT_STATE(publisher, state, 4000);
        QCOMPARE(publisher.status().reason.isEmpty(), silent);
        QVERIFY(stopMs(publisher) < 1200);
    }
};

VISORA_TEST_MAIN(TestStreamPublisher)
#include "tst_streampublisher.moc"
