#include "RAudioSources.h"
#include "RClassView.h"
#include "RDragScene.h"
#include "RLessonBadge.h"
#include "RLessonRecorder.h"
#include "RNoScrollGraphicsView.h"
#include "RPixmapItem.h"
#include "RSettingsStore.h"
#include "RTavWidget.h"
#include "SyncBeeper.h"
#include "SyncMeter.h"
#include "VideoProbe.h"
#include "VisoraTest.h"
#include "WindowTest.h"

#include <QProcess>
#include <QSettings>
#include <QSignalSpy>

#include <csignal>

// The lesson recording through the main window: on the virtual camera and the
// virtual microphone, which these tests need (they fail without a sound server).
class TestLesson : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void recordsWhatTheClassSaw();
    void crashedTakeIsRecoveredInSync();

public:
    // The child of the crash test: records until it is killed.
    int runChild();

private:
    QTemporaryDir m_dir;
    QString m_saveFolder;
    QString m_device;
    RTavWidget *m_window = nullptr;
};

void TestLesson::initTestCase()
{
    const RAudioSources::Listing listing = RAudioSources::list();
    QVERIFY2(listing.preferred >= 0, qPrintable("no microphone: export PULSE_SERVER from scripts/virtual-mic.sh " + listing.error));
    m_device = listing.sources.at(listing.preferred).name;
    WindowTest::useCamera(m_dir.path() + "/cam.json");
    m_saveFolder = m_dir.path() + "/videos";
    QVERIFY(QDir().mkpath(m_saveFolder));
    QImage picture(120, 80, QImage::Format_RGB32);
    picture.fill(QColor(0, 200, 0));
    QVERIFY(picture.save(m_dir.path() + "/placed.png"));
    // Takes another run left behind are not this run's.
    for (const QString &f : QDir(RLessonRecorder::tempFolder()).entryList(QDir::Files))
        QFile::remove(RLessonRecorder::tempFolder() + "/" + f);
}

void TestLesson::cleanup()
{
    WindowTest::close(m_window);
    for (const QString &f : QDir(m_saveFolder).entryList(QDir::Files))
        QFile::remove(m_saveFolder + "/" + f);
}

// What is recorded is what was shown: a picture placed while recording, then
// moved after a pause, is in the file's frames where and when the screen had
// it; the pause is cut out of picture and sound.
void TestLesson::recordsWhatTheClassSaw()
{
    QVERIFY(WindowTest::open(m_window));
    RLessonRecorder *lesson = m_window->lessonRecorder();
    QSignalSpy finished(lesson, &RLessonRecorder::sFinished);
    QVERIFY(lesson->start({m_saveFolder, m_device}));
    QVERIFY(lesson->badge()->isVisible());
    QTest::qWait(1000);
    RDragScene *scene = m_window->scene();
    const auto placedPicture = [&]() -> QGraphicsItem * {
        for (QGraphicsItem *item : scene->items())
            if (dynamic_cast<RPixmapItem *>(item))
                return item;
        return nullptr;
    };
    const auto green = [](QRgb c) { return qGreen(c) > 150 && qRed(c) < 90 && qBlue(c) < 90; };
    scene->showImageItem(m_dir.path(), "placed.png");
    QVERIFY(QTest::qWaitFor([&] { return scene->picturesDecoding() == 0 && placedPicture(); }, 10000));
    placedPicture()->setPos(-300, -100);
    QTest::qWait(700);
    const QSize out = m_window->classView()->outputSize();
    const QSize viewport = m_window->view()->viewport()->size();
    // The picture's centre in the view, scaled to the encoded size.
    const auto pictureAt = [&] {
        const QPoint p = m_window->view()->mapFromScene(placedPicture()->sceneBoundingRect().center());
        return QPoint(p.x() * out.width() / viewport.width(), p.y() * out.height() / viewport.height());
    };
    const QPoint first = pictureAt();
    const qint64 firstUs = lesson->recordedUs();
    lesson->togglePause();
    QTest::qWait(2000);
    lesson->togglePause();
    placedPicture()->setPos(200, 50);
    QTest::qWait(1200);
    const QPoint second = pictureAt();
    const QImage shown = m_window->view()->viewport()->grab().toImage().scaled(out, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QTest::qWait(300);
    lesson->stop();
    QVERIFY(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 10000));
    QVERIFY2(finished.at(0).at(0).toBool(), qPrintable(lesson->lastMessage()));
    const QString file = finished.at(0).at(1).toString();
    QVERIFY(lesson->lastMessage().contains(file));
    QCOMPARE(QFileInfo(file).absolutePath(), QFileInfo(m_saveFolder).absoluteFilePath());

    const VideoProbe::FileInfo info = VideoProbe::readFile(file, firstUs - 100000);
    QVERIFY(info.ok);
    // About 3.2 s recorded without the pause (1 s, 0.7 s, 1.2 s, 0.3 s).
    QVERIFY2(info.videoSeconds > 3.0 && info.videoSeconds < 3.9, qPrintable(QString::number(info.videoSeconds)));
    QVERIFY2(qAbs(info.audioSeconds - info.videoSeconds) < 0.15,
             qPrintable(QString("%1 %2").arg(info.audioSeconds).arg(info.videoSeconds)));
    QVERIFY(green(info.last.pixel(second)));
    const double diff = VideoProbe::difference(info.last, shown);
    QVERIFY2(diff < 6, qPrintable(QString("mean difference %1").arg(diff)));
    QVERIFY(green(info.at.pixel(first))); // before the pause, where the screen had it
}

// kill -9 while recording: the next start finishes the take into the save
// folder and says so; sound and picture in sync through the composer and the
// shared encode (each second's beep against the picture's mark of it).
void TestLesson::crashedTakeIsRecoveredInSync()
{
    QSettings(RSettingsStore::organisation(), RSettingsStore::application()).setValue("File/Dir", m_saveFolder);
    SyncBeeper beeper;
    QString error;
    QVERIFY2(beeper.start(&error), qPrintable(error));
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--lesson-child", m_saveFolder, m_device});
    QVERIFY(child.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return child.readAllStandardOutput().contains("recording"); }, 30000));
    QTest::qWait(10000);
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(5000));
    beeper.stop();
    QVERIFY(QDir(m_saveFolder).entryList(QDir::Files).isEmpty());

    QVERIFY(WindowTest::open(m_window));
    RLessonRecorder *lesson = m_window->lessonRecorder();
    QVERIFY(QTest::qWaitFor([&] { return !lesson->lastMessage().isEmpty(); }, 15000));
    const QStringList files = QDir(m_saveFolder).entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QVERIFY(lesson->lastMessage().contains(files.first()));
    QVERIFY(RRecordingFiles::findLeftovers(RLessonRecorder::tempFolder()).isEmpty());
    const SyncMeter::Result r = SyncMeter::measure(m_saveFolder + "/" + files.first());
    QVERIFY2(r.error.isEmpty() && r.decodeErrors == 0, qPrintable(r.error));
    // Nearly all of the 11 s: what a loaded machine had not yet encoded dies with the process.
    QVERIFY2(r.videoSeconds > 7 && r.audioSeconds > 7, qPrintable(QString("%1 %2").arg(r.videoSeconds).arg(r.audioSeconds)));
    QVERIFY2(r.pairs.size() >= 3 && r.pairs.first().at < 4 && r.pairs.last().at > 7,
             qPrintable(QString("%1 beeps paired, %2 of %3 frames marked").arg(r.pairs.size()).arg(r.markedFrames).arg(r.videoFrames)));
    for (const SyncMeter::Pair &p : r.pairs)
        QVERIFY2(p.offsetMs > -45 && p.offsetMs < 125, qPrintable(QString("%1 ms at %2 s").arg(p.offsetMs).arg(p.at)));
}

int TestLesson::runChild()
{
    const QStringList args = QCoreApplication::arguments();
    WindowTest::useCamera(m_dir.path() + "/cam.json", true);
    if (!WindowTest::open(m_window) || !m_window->lessonRecorder()->start({args.value(2), args.value(3)}))
        return 1;
    QTest::qWait(1000);
    std::fputs("recording\n", stdout);
    std::fflush(stdout);
    QTest::qWait(60000);
    return 2;
}

int main(int argc, char *argv[])
{
    VisoraTest::Sandbox sandbox;
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestLesson tc;
    if (argc > 1 && QByteArray(argv[1]) == "--lesson-child")
        return tc.runChild();
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_lesson.moc"
