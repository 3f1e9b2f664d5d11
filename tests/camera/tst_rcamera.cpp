#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "RCamera.h"
#include "RCameraImaProDlg.h"
#include "RSettingsStore.h"
#include "RTestCamera.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QCameraViewfinderSettings>
#include <QPointer>
#include <QSignalSpy>
#include <QSlider>

using namespace CameraTest;


namespace {
// Waits until the widget shows the camera's page of that grey; before the
// first frame it shows plain white.
bool waitForPicture(RCamera &camera, int grey)
{
    return QTest::qWaitFor([&] { return qAbs(meanGrey(camera.grab().toImage()) - grey) < 10; }, 5000);
}
} // namespace

class TestRCamera : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(!QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).isEmpty(), "the virtual camera plugin path is unset");
    }

    // By description, or with none by the supported ids; of several the last
    // listed wins.
    void open_data()
    {
        QTest::addColumn<QList<Cam>>("cams");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("opened"); // empty: none
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("foundNotOpened");
        Cam busy = cam("Busy Cam");
        busy.busy = true;
        Cam twin = cam("Twin", "usb#vid_1e4e&pid_1001&mi_00#2");
        twin.resolutions = QStringList{"800x600", "320x240"};
        const QSize vga(640, 480), none(0, 0);
        QTest::newRow("exact description opens") << QList<Cam>{cam("Doc Cam")} << "Doc Cam" << "Doc Cam" << vga << false;
        QTest::newRow("two of one description: the last opens")
            << QList<Cam>{cam("Twin", "usb#vid_1b17&pid_0501&mi_00#1"), twin} << "Twin" << "Twin" << QSize(800, 600) << false;
        QTest::newRow("unplugged device is not found")
            << QList<Cam>{cam("Gone Cam", "usb#vid_1b17&pid_0501&mi_00", false)} << "Gone Cam" << "" << none << false;
        QTest::newRow("busy device is found but not opened") << QList<Cam>{busy} << "Busy Cam" << "" << none << true;
        QTest::newRow("no name: known ids in upper case")
            << QList<Cam>{cam("A", "usb#vid_1E4E&pid_100C&mi_00")} << "" << "A" << vga << false;
        QTest::newRow("no name: last qualifying camera wins")
            << QList<Cam>{cam("First", "usb#vid_1b17&pid_0501#1"), cam("Webcam", "usb#vid_046d&pid_0825#2"),
                          cam("Last", "usb#vid_1e4e&pid_0810#3")}
            << "" << "Last" << vga << false;
        QTest::newRow("no name, no known device") << QList<Cam>{cam("Other", "usb#vid_046d&pid_0825")} << "" << "" << none << false;
    }

    void open()
    {
        QFETCH(QList<Cam>, cams);
        QFETCH(QString, name);
        QFETCH(QString, opened);
        QFETCH(QSize, size);
        QFETCH(bool, foundNotOpened);
        writeConfig(cams);
        RCamera camera;
        QCOMPARE(camera.initCamera(name), size);
        QCOMPARE(camera.isFound(), !opened.isEmpty() || foundNotOpened);
        QCOMPARE(camera.isFoundNotOpened(), foundNotOpened);
        QCOMPARE(camera.isRunning(), !opened.isEmpty());
        if (!opened.isEmpty()) {
            QCOMPARE(camera.curDeviceName(), opened);
            QCOMPARE(RSettingsStore::readString(RSettingsKeys::VideoCamera), opened);
            QCOMPARE(camera.size(), size);
            return;
        }
        // Without a camera the controls do nothing and make no dialog.
        QVERIFY(!camera.camera() && !camera.imageCapture());
        QCOMPARE(camera.setResolutionIndex(1), QSize());
        camera.showImageProcess();
        camera.setImageProcess(PictureAdjust::Brightness, 0.5);
        QVERIFY(!camera.imageProcessDialog());
    }

    // A change of index after the open (the choice at the open: tst_rresolutionrule).
    void resolutionIndex_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("index inside the list") << 1 << QSize(800, 600);
        QTest::newRow("index beyond the list takes the last") << 5 << QSize(3264, 2448);
        QTest::newRow("negative index takes the last") << -3 << QSize(3264, 2448);
    }

    void resolutionIndex()
    {
        QFETCH(int, set);
        QFETCH(QSize, expected);
        Cam c = cam("Doc Cam");
        c.resolutions = QStringList{"800x600", "3264x2448", "1920x1080", "1280x720", "640x480"};
        writeConfig({c});
        RCamera camera;
        camera.setVideoType(VideoQuality::HighDefinition);
        camera.setCurResolutionIndex(2);
        QCOMPARE(camera.initCamera("Doc Cam"), QSize(1280, 720));
        QCOMPARE(camera.setResolutionIndex(set), expected);
        QCOMPARE(camera.size(), expected);
        // Qt lists a camera's resolutions from the smallest area up.
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::VideoResolutionIndex), camera.resolutionList().indexOf(expected));
        const QCameraViewfinderSettings applied = camera.camera()->viewfinderSettings();
        QCOMPARE(applied.resolution(), expected);
        // The pixel format chosen at the open survives a change.
        QCOMPARE(applied.pixelFormat(), QVideoFrame::Format_YUYV);
    }

    void pixelFormat_data()
    {
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<VideoQuality>("videoType");
        QTest::addColumn<QVideoFrame::PixelFormat>("opened");
        QTest::addColumn<QVideoFrame::PixelFormat>("switched"); // to the other type while running
        const auto J = QVideoFrame::Format_Jpeg, Y = QVideoFrame::Format_YUYV;
        const VideoQuality fluent = VideoQuality::Fluent, sharp = VideoQuality::HighDefinition;
        QTest::newRow("fluent takes JPEG") << QStringList{"yuyv", "jpeg"} << fluent << J << Y;
        QTest::newRow("high definition takes YUYV") << QStringList{"jpeg", "yuyv"} << sharp << Y << J;
        QTest::newRow("high definition without YUYV takes JPEG") << QStringList{"jpeg"} << sharp << J << J;
    }

    void pixelFormat()
    {
        QFETCH(QStringList, formats);
        QFETCH(VideoQuality, videoType);
        Cam c = cam("Doc Cam");
        c.pixelFormats = formats;
        c.resolutions = QStringList{"800x600", "640x480"};
        writeConfig({c});
        RCamera camera;
        camera.setVideoType(videoType);
        camera.setCurResolutionIndex(0);
        QCOMPARE(camera.initCamera("Doc Cam"), QSize(640, 480));
        QCOMPARE(camera.isSupportJpeg(), formats.contains("jpeg"));
        QTEST(camera.camera()->viewfinderSettings().pixelFormat(), "opened");
        // Switching the format at run time keeps the resolution.
        camera.setVideoFormat(videoType == VideoQuality::Fluent ? VideoQuality::HighDefinition : VideoQuality::Fluent);
        QCOMPARE(camera.camera()->viewfinderSettings().resolution(), QSize(640, 480));
        QTEST(camera.camera()->viewfinderSettings().pixelFormat(), "switched");
    }

    // The presence watch: a lost device is released and reopened at the
    // stored index (a changed list: tst_rresolutionrule); paused, the watch is
    // silent and the live view stopped, resumed both go on.
    void presenceWatch()
    {
        Cam c = cam("Doc Cam");
        c.resolutions = QStringList{"1280x720", "800x600", "640x480", "320x240", "160x120"};
        writeConfig({c});
        RCamera camera;
        camera.setCurResolutionIndex(2);
        QCOMPARE(camera.initCamera("Doc Cam"), QSize(640, 480));
        QSignalSpy results(&camera, &RCamera::sShowOrHideImageList);
        QPointer<QCamera> oldCamera = camera.camera();
        QPointer<QCameraImageCapture> oldCapture = camera.imageCapture();
        QPointer<RCameraImaProDlg> oldDialog = camera.imageProcessDialog();

        c.present = false;
        writeConfig({c});
        QTRY_VERIFY_WITH_TIMEOUT(camera.isLost(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 1, 5000); // every result retries the open
        QVERIFY(oldCamera.isNull() && oldCapture.isNull() && oldDialog.isNull());
        QVERIFY(!camera.camera());
        QVERIFY(camera.isRunning());

        c.present = true;
        writeConfig({c});
        QTRY_VERIFY_WITH_TIMEOUT(!camera.isLost(), 5000);
        QCOMPARE(camera.size(), QSize(640, 480));
        // The retries stop once it is back: a retry would replace the camera.
        const QPointer<QCamera> back = camera.camera();
        const int seen = results.count();
        QTRY_VERIFY_WITH_TIMEOUT(results.count() >= seen + 2, 5000);
        QVERIFY(back && camera.camera() == back.data());

        camera.setCameraTest(false);
        QTRY_VERIFY_WITH_TIMEOUT(!camera.testWorker()->isLooping(), 1000);
        QVERIFY(camera.camera()->state() != QCamera::ActiveState);
        QTest::qWait(200); // a result sent just before the stop may still be queued
        results.clear();
        QTest::qWait(1300);
        QCOMPARE(results.count(), 0);
        camera.setCameraTest(true);
        QCOMPARE(camera.camera()->state(), QCamera::ActiveState);
        QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 1, 3000);
    }

    void freezeAndResume_data()
    {
        QTest::addColumn<bool>("presentAtStart");
        QTest::newRow("open camera freezes, is not reopened while frozen, resumes") << true;
        QTest::newRow("resume without a camera opens it") << false;
    }

    void freezeAndResume()
    {
        QFETCH(bool, presentAtStart);
        writePage("grey.png", uniformPage(90));
        Cam c = cam("Doc Cam");
        c.source = "grey.png";
        c.present = presentAtStart;
        writeConfig({c});
        RCamera camera;
        camera.show();
        QCOMPARE(camera.initCamera("Doc Cam").isEmpty(), !presentAtStart);
        if (presentAtStart)
            QVERIFY(waitForPicture(camera, 90));
        camera.stopCamera(true);
        QVERIFY(!camera.isRunning());
        if (presentAtStart) {
            QVERIFY(camera.camera()->state() != QCamera::ActiveState);
            // The frozen picture stays on screen.
            QVERIFY(qAbs(meanGrey(camera.grab().toImage()) - 90) < 10);
            // Lost while frozen: no retry, which would release the camera.
            c.present = false;
            writeConfig({c});
            QTRY_VERIFY_WITH_TIMEOUT(camera.isLost(), 5000);
            QTest::qWait(1200);
            QVERIFY(camera.camera());
        }
        c.present = true;
        writeConfig({c});
        // Resuming opens the camera (while lost: at the next result).
        camera.stopCamera(false);
        QVERIFY(camera.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!camera.isLost() && camera.camera() && camera.camera()->state() == QCamera::ActiveState, 5000);
        QVERIFY(waitForPicture(camera, 90));
    }

    // Brightness up makes the picture brighter.
    void adjustmentReachesFrames()
    {
        writeOne("Doc Cam", {"640x480"}, writePage("grey.png", uniformPage(128)));
        RCamera camera;
        camera.show();
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        QVERIFY(waitForPicture(camera, 128));
        const double before = meanGrey(camera.grab().toImage());
        camera.imageProcessDialog()->slider(PictureAdjust::Brightness)->setValue(80);
        QTRY_VERIFY_WITH_TIMEOUT(meanGrey(camera.grab().toImage()) - before > 20, 5000);
        // The camera's value reaches the dialog (rounding, not sending back: tst_rcameraimaprodlg).
        camera.setImageProcess(PictureAdjust::Brightness, -0.25);
        camera.showImageProcess();
        QCOMPARE(camera.imageProcessDialog()->slider(PictureAdjust::Brightness)->value(), -25);
    }

    void destructionStopsTheWorkerPromptly()
    {
        writeConfig({cam("Doc Cam")});
        auto *camera = new RCamera;
        QVERIFY(!camera->initCamera("Doc Cam").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(camera->testWorker()->isLooping(), 3000);
        QTest::qWait(100); // inside the one-second pause
        QElapsedTimer t;
        t.start();
        delete camera;
        // Well under the test's one-second pause.
        QVERIFY2(t.elapsed() < 700, qPrintable(QString::number(t.elapsed())));
    }
};

VISORA_TEST_MAIN(TestRCamera)
#include "tst_rcamera.moc"
