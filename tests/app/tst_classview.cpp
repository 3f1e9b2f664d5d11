#include "RClassView.h"
#include "RDragScene.h"
#include "RNoScrollGraphicsView.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "VPacketQueue.h"
#include "VideoProbe.h"
#include "VisoraTest.h"
#include "WindowTest.h"

#include <QSettings>

// The class view's one encode, from a live main window on the virtual camera.
class TestClassView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void encodesWhatTheViewShows_data();
    void encodesWhatTheViewShows();
    void lateConsumerStartsAtKeyFrame();
    void outputFollowsTheViewAspect_data();
    void outputFollowsTheViewAspect();

private:
    // Packets of the hub's stream 0 for `ms`.
    static void collect(const std::shared_ptr<VPacketQueue> &queue, int ms, std::vector<VPacket> *out);
    QTemporaryDir m_dir;
    RTavWidget *m_window = nullptr;
};

void TestClassView::initTestCase()
{
    WindowTest::useCamera(m_dir.path() + "/cam.json");
}

void TestClassView::cleanup()
{
    WindowTest::close(m_window);
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).clear();
}

void TestClassView::collect(const std::shared_ptr<VPacketQueue> &queue, int ms, std::vector<VPacket> *out)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        VPacket packet;
        while (queue->pop(packet, 0))
            if (packet.stream == 0)
                out->push_back(packet);
    }
}

// The plain view is the lesson file's test; here the view's turn, mirror and zoom.
void TestClassView::encodesWhatTheViewShows_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<int>("turns");
    QTest::addColumn<int>("zoomSteps");
    QTest::newRow("mirrored and turned") << true << 1 << 0;
    QTest::newRow("zoomed in") << false << 0 << 6;
}

void TestClassView::encodesWhatTheViewShows()
{
    QFETCH(bool, mirror);
    QFETCH(int, turns);
    QFETCH(int, zoomSteps);
    QVERIFY(WindowTest::open(m_window));
    m_window->slotOrientation(mirror, false);
    for (int i = 0; i < turns; ++i)
        m_window->slotRotate();
    if (zoomSteps)
        m_window->slotZoom(zoomSteps);
    QTest::qWait(800);

    RClassView *view = m_window->classView();
    QString error;
    QVERIFY2(view->acquire(&error), qPrintable(error));
    auto queue = std::make_shared<VPacketQueue>(64 << 20);
    view->hub()->attach(queue);
    std::vector<VPacket> packets;
    collect(queue, 1500, &packets);
    const QImage shown = m_window->view()->viewport()->grab().toImage();
    collect(queue, 500, &packets);
    const std::vector<VStreamInfo> streams = view->hub()->streams();
    view->hub()->detach(queue);
    view->release();

    QVERIFY(!streams.empty() && streams[0].isVideo());
    QVERIFY2(packets.size() >= 15, qPrintable(QString::number(packets.size())));
    QVERIFY(packets.front().isKey());
    VideoProbe::Decoder decoder(streams[0].params.get());
    for (const VPacket &p : packets)
        decoder.send(p.packet.get());
    decoder.send(nullptr);
    QCOMPARE(decoder.errors, 0);
    QCOMPARE(decoder.decoded, int(packets.size()));
    QCOMPARE(decoder.last.size(), view->outputSize());
    const QImage expected = shown.scaled(decoder.last.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double diff = VideoProbe::difference(decoder.last, expected);
    QVERIFY2(diff <= 6, qPrintable(QString("mean difference %1").arg(diff)));
}

void TestClassView::lateConsumerStartsAtKeyFrame()
{
    QVERIFY(WindowTest::open(m_window));
    RClassView *view = m_window->classView();
    QVERIFY(view->acquire(nullptr));
    QVERIFY(view->acquire(nullptr)); // a second user shares the running encode
    QTest::qWait(700);
    auto late = std::make_shared<VPacketQueue>(64 << 20);
    view->hub()->attach(late);
    view->requestKeyFrame();
    std::vector<VPacket> packets;
    collect(late, 400, &packets);
    view->hub()->detach(late);
    view->release();
    QVERIFY(view->isRunning());
    view->release();
    QVERIFY(!view->isRunning());
    // Without the request the next key frame would be two seconds away.
    const auto key = std::find_if(packets.begin(), packets.end(), [](const VPacket &p) { return p.isKey(); });
    QVERIFY(key != packets.end());
    QVERIFY2(key - packets.begin() <= 3, qPrintable(QString::number(key - packets.begin())));
}

void TestClassView::outputFollowsTheViewAspect_data()
{
    QTest::addColumn<QSize>("viewSize");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("full HD screen") << QSize(1920, 1080) << QSize(1920, 1080);
    QTest::newRow("4:3 screen keeps its aspect") << QSize(2048, 1536) << QSize(1440, 1080);
    QTest::newRow("small odd window made even") << QSize(1365, 767) << QSize(1364, 766);
}

void TestClassView::outputFollowsTheViewAspect()
{
    QFETCH(QSize, viewSize);
    QFETCH(QSize, expected);
    QCOMPARE(RClassView::outputSizeFor(viewSize), expected);
}

VISORA_TEST_MAIN(TestClassView)
#include "tst_classview.moc"
