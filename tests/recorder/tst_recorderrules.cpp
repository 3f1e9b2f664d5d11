// The recorder's rules: command line, names, the join's arguments and
// progress, device indexes and the real-time frame arithmetic.
#include "RFramePacer.h"
#include "RRecorderRules.h"
#include "VisoraTest.h"

#include <QFile>
#include <QTemporaryDir>

class TestRecorderRules : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("launchOk");
        QTest::addColumn<QString>("camera");
        QTest::addColumn<int>("resolutions");
        QTest::addColumn<int>("selected");
        const QString w = RRecorderRules::launchWord();
        QTest::newRow("no arguments") << QStringList{"Brisklet"} << false << QString() << 0 << 0;
        QTest::newRow("wrong launch word keeps camera and sizes")
            << QStringList{"Brisklet", "nope", "Cam", "640x480"} << false << "Cam" << 1 << 0;
        QTest::newRow("word without camera") << QStringList{"Brisklet", w} << false << QString() << 0 << 0;
        QTest::newRow("800x600 chosen among several")
            << QStringList{"Brisklet", w, "Cam", "1280x720", "800x600", "640x480"} << true << "Cam" << 3 << 1;
        QTest::newRow("without 800x600 the first") << QStringList{"Brisklet", w, "Cam", "1920x1080", "640x480"} << true
                                                   << "Cam" << 2 << 0;
    }
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        const RRecorderRules::Launch l = RRecorderRules::parseArguments(arguments);
        QTEST(l.launchWordOk, "launchOk");
        QTEST(l.camera, "camera");
        QTEST(int(l.resolutions.size()), "resolutions");
        QTEST(l.selected, "selected");
    }

    void resolution_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QSize>("size");
        QTest::newRow("plain") << "1280x720" << QSize(1280, 720);
        QTest::newRow("no x") << "auto" << QSize(800, 600);
        QTest::newRow("one part") << "x600" << QSize(800, 600);
        QTest::newRow("not numbers") << "axb" << QSize(0, 0);
    }
    void resolution()
    {
        QFETCH(QString, text);
        QTEST(RRecorderRules::parseResolution(text), "size");
    }

    void joinArguments_data()
    {
        QTest::addColumn<bool>("sound");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("with sound, sound first")
            << true << QStringList{"-i", "/t/a.aac", "-i", "/t/v.avi", "-c:v", "libx264", "/o/x.mp4"};
        QTest::newRow("without sound") << false << QStringList{"-i", "/t/v.avi", "-c:v", "libx264", "/o/x.mp4"};
    }
    void joinArguments()
    {
        QFETCH(bool, sound);
        QTEST(RRecorderRules::joinArguments("/t/a.aac", "/t/v.avi", "/o/x.mp4", sound), "expected");
    }

    void sameSecondKeepsBoth()
    {
        QTemporaryDir dir;
        const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QString first = RRecorderRules::outputPath(dir.path(), t, ".mp4");
        QCOMPARE(first, dir.path() + "/20260304050607.mp4");
        QFile f(first);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QCOMPARE(RRecorderRules::outputPath(dir.path(), t, ".mp4"), dir.path() + "/20260304050607-2.mp4");
    }

    void progress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds");
        QTest::newRow("none") << "Input #0, avi" << -1.0;
        QTest::newRow("one") << "frame=  30 fps=0.0 q=0.0 size=0kB time=00:00:01.50 bitrate=" << 1.5;
        QTest::newRow("last of several, hours")
            << "time=00:00:01.00 bitrate\rframe= 9 time=01:02:03.25 bitrate" << 3723.25;
        QTest::newRow("not yet known") << "size=0kB time=N/A bitrate=N/A" << -1.0;
    }
    void progress()
    {
        QFETCH(QString, text);
        QTEST(RRecorderRules::progressSeconds(text), "seconds");
    }

    void deviceIndex_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::newRow("video2") << "/dev/video2" << 2;
        QTest::newRow("video10") << "/dev/video10" << 10;
        QTest::newRow("windows path") << "usb#vid_1b17&pid_0501&mi_00#6&2c8a1f&0&0000" << -1;
    }
    void deviceIndex()
    {
        QFETCH(QString, name);
        QTEST(RRecorderRules::deviceIndexFromName(name), "index");
    }

    void audioInput_data()
    {
        QTest::addColumn<QString>("realm");
        QTest::addColumn<QString>("format");
        QTest::newRow("pulse plugin") << "default" << "pulse";
        QTest::newRow("alsa plugin") << "alsa" << "alsa";
    }
    void audioInput()
    {
        QFETCH(QString, realm);
        QTEST(RRecorderRules::audioInputFormat(realm), "format");
        QCOMPARE(RRecorderRules::audioInputUrl(realm, "mic"), QString("mic"));
    }

    void pacing_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<qint64>("elapsedMs");
        QTest::addColumn<qint64>("due");
        QTest::addColumn<qint64>("total");
        QTest::newRow("start: first frame at once") << 30.0 << qint64(0) << qint64(1) << qint64(1);
        QTest::newRow("just before the second tick") << 30.0 << qint64(33) << qint64(1) << qint64(1);
        QTest::newRow("one second at 30") << 30.0 << qint64(1000) << qint64(31) << qint64(30);
        QTest::newRow("ten seconds at 30") << 30.0 << qint64(10000) << qint64(301) << qint64(300);
        QTest::newRow("an hour at 25") << 25.0 << qint64(3600000) << qint64(90001) << qint64(90000);
    }
    void pacing()
    {
        QFETCH(double, fps);
        QFETCH(qint64, elapsedMs);
        const RFramePacer pacer(fps);
        QTEST(pacer.dueFrames(elapsedMs), "due");
        QTEST(pacer.totalFrames(elapsedMs), "total");
        // The tick of the last due frame never lies after the time asked about.
        QVERIFY(pacer.tickMs(pacer.dueFrames(elapsedMs) - 1) <= elapsedMs);
    }
};

VISORA_TEST_MAIN(TestRecorderRules)
#include "tst_recorderrules.moc"
