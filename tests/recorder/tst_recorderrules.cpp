// The recorder's rules: command line, names, texts it reads, which recordings
// count as leftovers, the teacher's mirror; recording itself is in tst_recorder.
#include "RCameraCV.h"
#include "RRecorderRules.h"
#include "RRecordingFiles.h"
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
        QTest::newRow("wrong launch word keeps camera and sizes")
            << QStringList{"Brisklet", "nope", "Cam", "640x480"} << false << "Cam" << 1 << 0;
        QTest::newRow("word without camera") << QStringList{"Brisklet", w} << false << QString() << 0 << 0;
        QTest::newRow("800x600 chosen among several")
            << QStringList{"Brisklet", w, "Cam", "1280x720", "800x600", "640x480"} << true << "Cam" << 3 << 1;
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

    // Texts the recorder reads: a size, a device name.
    void readsTexts_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("read");
        QTest::newRow("size") << "size" << "1280x720" << "1280x720";
        QTest::newRow("size without x is 800x600") << "size" << "auto" << "800x600";
        QTest::newRow("size not in numbers is empty") << "size" << "axb" << "0x0";
        QTest::newRow("device path of another system") << "device" << "usb#vid_1b17&pid_0501&mi_00#6&2c8a1f&0&0000" << "-1";
    }
    void readsTexts()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        const QSize size = RRecorderRules::parseResolution(text);
        QTEST(rule == "size" ? QString("%1x%2").arg(size.width()).arg(size.height())
                             : QString::number(RRecorderRules::deviceIndexFromName(text)),
              "read");
    }

    void sameSecondKeepsBoth()
    {
        QTemporaryDir dir;
        const QDateTime t(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QString first = RRecorderRules::outputPath(dir.path(), t, ".mp4");
        QCOMPARE(first, dir.path() + "/20260304050607.mp4");
        QVERIFY(QFile(first).open(QIODevice::WriteOnly));
        QCOMPARE(RRecorderRules::outputPath(dir.path(), t, ".mp4"), dir.path() + "/20260304050607-2.mp4");
    }

    // Only a recording whose program is gone is offered: one still running
    // in this or another window is not, or two programs would finish it.
    void leftoverOnceItsProgramIsGone()
    {
        QTemporaryDir dir;
        RRecordingFiles files;
        QVERIFY(files.create(dir.path(), "temp-1", dir.path() + "/out.mp4", true));
        QFile video(files.video());
        QVERIFY(video.open(QIODevice::WriteOnly) && video.write("recorded") > 0);
        video.close();
        QVERIFY(RRecordingFiles::findLeftovers(dir.path()).isEmpty());
        files.detach();
        const auto found = RRecordingFiles::findLeftovers(dir.path());
        QCOMPARE(found.size(), 1);
        QCOMPARE(found.first().video, files.video());
    }

    // Preview and file get the page as the presenter showed it.
    void orientation_data()
    {
        QTest::addColumn<bool>("mirror");
        QTest::addColumn<QPoint>("topLeftLands"); // column, row of the first pixel afterwards
        QTest::newRow("plain frame untouched") << false << QPoint(0, 0);
        QTest::newRow("mirror swaps left and right") << true << QPoint(2, 0);
    }
    void orientation()
    {
        QFETCH(bool, mirror);
        QFETCH(QPoint, topLeftLands);
        cv::Mat frame(2, 3, CV_8UC3);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                frame.at<cv::Vec3b>(r, c) = cv::Vec3b(uchar(10 * c), uchar(10 * r), 99);
        const cv::Mat before = frame.clone();
        cv::Mat scratch;
        const cv::Mat &out = RCameraCV::oriented(frame, scratch, mirror, false);
        QVERIFY(out.at<cv::Vec3b>(topLeftLands.y(), topLeftLands.x()) == before.at<cv::Vec3b>(0, 0));
        // The captured frame itself is never changed: the source may reuse it.
        QCOMPARE(cv::norm(frame, before, cv::NORM_INF), 0.0);
    }
};

VISORA_TEST_MAIN(TestRecorderRules)
#include "tst_recorderrules.moc"
