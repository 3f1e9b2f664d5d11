// The video is written against the clock: a slow camera repeats frames, a
// fast one has frames dropped, and the file lasts as long as the recording.
#include "RPacedWriter.h"
#include "VisoraTest.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <opencv2/videoio.hpp>

class TestPacedWriter : public QObject
{
    Q_OBJECT

private slots:
    void lengthFollowsTheClock_data()
    {
        QTest::addColumn<int>("cameraFps");
        QTest::newRow("slow camera repeats") << 15;
        QTest::newRow("fast camera drops") << 60;
    }
    void lengthFollowsTheClock()
    {
        QFETCH(int, cameraFps);
        QTemporaryDir dir;
        const QString path = dir.filePath("v.avi");
        RPacedWriter writer(30.0);
        QVERIFY(writer.open(path, QSize(320, 240)));
        cv::Mat frame(240, 320, CV_8UC3, cv::Scalar(0, 0, 0));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; clock.elapsed() < 2000; ++i) {
            frame.setTo(cv::Scalar(i % 255, 0, 0));
            writer.offer(frame);
            QThread::msleep(1000 / cameraFps);
        }
        const RPacedWriter::Stats stats = writer.close();

        cv::VideoCapture check(path.toStdString());
        QVERIFY(check.isOpened());
        const double frames = check.get(cv::CAP_PROP_FRAME_COUNT);
        QCOMPARE(qint64(frames), stats.written);
        const double seconds = frames / check.get(cv::CAP_PROP_FPS);
        QVERIFY2(qAbs(seconds - stats.elapsedMs / 1000.0) < 0.05, qPrintable(QString::number(seconds)));
        if (cameraFps < 30)
            QVERIFY(stats.repeated > stats.written / 3);
        else
            QVERIFY(stats.dropped > stats.written / 3);
    }

    // What a machine too slow for 30 fps leaves, 30 frames for 2 s of lesson,
    // is retimed; a file that cannot be written or read is refused.
    void retimedFileLastsTheRecording()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("slow.avi");
        {
            cv::VideoWriter w(path.toStdString(), cv::CAP_OPENCV_MJPEG, cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                              30.0, cv::Size(160, 120));
            QVERIFY(w.isOpened());
            cv::Mat frame(120, 160, CV_8UC3, cv::Scalar(10, 20, 30));
            for (int i = 0; i < 30; ++i)
                w.write(frame);
        }
        QVERIFY(RPacedWriter::retimeAvi(path, 30, 2000));
        cv::VideoCapture check(path.toStdString());
        QVERIFY(check.isOpened());
        QCOMPARE(qRound(check.get(cv::CAP_PROP_FPS)), 15);
        QCOMPARE(qRound(check.get(cv::CAP_PROP_FRAME_COUNT)), 30);
        QVERIFY(!RPacedWriter::retimeAvi(dir.filePath("none.avi"), 30, 2000));
        RPacedWriter unwritable;
        QVERIFY(!unwritable.open("/nonexistent-folder/v.avi", QSize(320, 240)));
        QCOMPARE(unwritable.close().written, qint64(0));
    }
};

VISORA_TEST_MAIN(TestPacedWriter)
#include "tst_pacedwriter.moc"
