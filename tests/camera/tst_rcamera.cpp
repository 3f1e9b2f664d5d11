#include "VisoraTest.h"

#include "CameraTestSupport.h"
#include "RCamera.h"
#include "RCameraImaProDlg.h"
#include "RSettingsStore.h"
#include "RTestCamera.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QCameraViewfinder>
#include <QCameraViewfinderSettings>
#include <QPointer>
#include <QSignalSpy>
#include <QSlider>

using namespace CameraTest;


namespace {
const QString kVidPid = QStringLiteral("usb#vid_1b17&pid_0501&mi_00#6&2c8a1f&0&0000");

Cam cam(const QString &description, const QString &deviceName = kVidPid)
{
    Cam c;
    c.description = description;
    c.deviceName = deviceName;
    return c;
}

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
        LogCollector::install();
        QVERIFY2(!QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).isEmpty(), "the virtual camera plugin path is unset");
    }

    void init()
    {
        LogCollector::clear();
        for (const QString &key : {RSettingsKeys::VideoCamera, RSettingsKeys::VideoV, RSettingsKeys::VideoP,
                                   RSettingsKeys::VideoResolutionIndex, RSettingsKeys::VideoRecRess})
            RSettingsStore::write(key, QVariant());
    }

    void openByDescription_data()
    {
        QTest::addColumn<QList<Cam>>("cams");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("foundNotOpened");

        Cam busy = cam("Busy Cam");
        busy.busy = true;
        Cam gone = cam("Gone Cam");
        gone.present = false;
        QTest::newRow("exact description opens") << QList<Cam>{cam("Doc Cam")} << "Doc Cam" << QSize(640, 480) << true << false;
        QTest::newRow("description differing in case is not found")
            << QList<Cam>{cam("Doc Cam")} << "doc cam" << QSize(0, 0) << false << false;
        QTest::newRow("unplugged device is not found") << QList<Cam>{gone} << "Gone Cam" << QSize(0, 0) << false << false;
        QTest::newRow("busy device is found but not opened") << QList<Cam>{busy} << "Busy Cam" << QSize(0, 0) << true << true;
        QTest::newRow("no cameras at all") << QList<Cam>{} << "Doc Cam" << QSize(0, 0) << false << false;
        QTest::newRow("empty name without a known device")
            << QList<Cam>{cam("Other", "usb#vid_046d&pid_0825")} << "" << QSize(0, 0) << false << false;
    }

    void openByDescription()
    {
        QFETCH(QList<Cam>, cams);
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(bool, found);
        QFETCH(bool, foundNotOpened);
        writeConfig(cams);

        RCamera camera;
        QCOMPARE(camera.initCamera(name), size);
        QCOMPARE(camera.isFound(), found);
        QCOMPARE(camera.isFoundNotOpened(), foundNotOpened);
        QCOMPARE(camera.camera() != nullptr, !size.isEmpty());
        QCOMPARE(camera.isRunning(), !size.isEmpty());
        if (!size.isEmpty()) {
            QCOMPARE(camera.curDeviceName(), name);
            QCOMPARE(RSettingsStore::readString(RSettingsKeys::VideoCamera), name);
            QCOMPARE(camera.size(), size);
            QVERIFY(camera.imageCapture());
            QVERIFY(camera.imageProcessDialog());
        } else {
            QVERIFY(!camera.imageCapture());
            QVERIFY(!camera.imageProcessDialog());
        }
        if (!found && !name.isEmpty())
            QCOMPARE(LogCollector::count("Not Found m_cameraMain = nullptr"), 1);
        if (foundNotOpened)
            QCOMPARE(LogCollector::count("Found m_cameraMain = nullptr"), 1);
    }

    void lastMatchWins_data()
    {
        QTest::addColumn<QString>("firstDevice");
        QTest::addColumn<QString>("secondDevice");
        QTest::addColumn<QString>("vid");
        QTest::addColumn<QString>("pid");
        QTest::newRow("two devices with one description") << "usb#vid_1b17&pid_0501&mi_00#1"
                                                          << "usb#vid_1e4e&pid_1001&mi_00#2"
                                                          << "1e4e"
                                                          << "1001";
        QTest::newRow("same description, reversed order") << "usb#vid_1e4e&pid_1001&mi_00#2"
                                                          << "usb#vid_1b17&pid_0501&mi_00#1"
                                                          << "1b17"
                                                          << "0501";
    }

    void lastMatchWins()
    {
        QFETCH(QString, firstDevice);
        QFETCH(QString, secondDevice);
        QFETCH(QString, vid);
        QFETCH(QString, pid);
        Cam a = cam("Twin", firstDevice);
        a.resolutions = QStringList{"640x480"};
        Cam b = cam("Twin", secondDevice);
        b.resolutions = QStringList{"800x600", "320x240"};
        writeConfig({a, b});

        RCamera camera;
        QCOMPARE(camera.initCamera("Twin"), QSize(800, 600));
        QCOMPARE(camera.resolutionList(), (QList<QSize>{QSize(320, 240), QSize(800, 600)}));
        QCOMPARE(RSettingsStore::readString(RSettingsKeys::VideoV), vid);
        QCOMPARE(RSettingsStore::readString(RSettingsKeys::VideoP), pid);
        QCOMPARE(RSettingsStore::readString(RSettingsKeys::VideoRecRess), QString("800x600;"));
        QCOMPARE(LogCollector::count("Found:"), 2);
    }

    void autoDetect_data()
    {
        QTest::addColumn<QList<Cam>>("cams");
        QTest::addColumn<QString>("expected");
        QTest::newRow("known ids in lower case") << QList<Cam>{cam("A", "usb#vid_1b17&pid_050a&mi_00")} << "A";
        QTest::newRow("known ids in upper case") << QList<Cam>{cam("A", "usb#vid_1E4E&pid_100C&mi_00")} << "A";
        QTest::newRow("known vendor, unknown product") << QList<Cam>{cam("A", "usb#vid_1b17&pid_9999&mi_00")} << "";
        QTest::newRow("unknown vendor, known product") << QList<Cam>{cam("A", "usb#vid_046d&pid_0501&mi_00")} << "";
        QTest::newRow("last qualifying camera wins")
            << QList<Cam>{cam("First", "usb#vid_1b17&pid_0501#1"), cam("Webcam", "usb#vid_046d&pid_0825#2"),
                          cam("Last", "usb#vid_1e4e&pid_0810#3")}
            << "Last";
        QTest::newRow("unplugged known camera is skipped") << QList<Cam>{[] {
            Cam c = cam("A", "usb#vid_1b17&pid_0501");
            c.present = false;
            return c;
        }()} << "";
        QTest::newRow("no cameras") << QList<Cam>{} << "";
    }

    void autoDetect()
    {
        QFETCH(QList<Cam>, cams);
        QFETCH(QString, expected);
        writeConfig(cams);
        RCamera camera;
        QCOMPARE(camera.getConnectDeviceName(), expected);
        const QSize size = camera.initCamera(QString());
        QCOMPARE(size.isEmpty(), expected.isEmpty());
        if (!expected.isEmpty())
            QCOMPARE(camera.curDeviceName(), expected);
    }

    void resolutionIndex_data()
    {
        // Qt lists a camera's resolutions from the smallest area up.
        QTest::addColumn<QStringList>("resolutions");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QSize>("expected");
        const QStringList five{"800x600", "3264x2448", "1920x1080", "1280x720", "640x480"};
        QTest::newRow("no index takes the largest height") << five << -1 << QSize(3264, 2448);
        QTest::newRow("stored index used as is") << five << 2 << QSize(1280, 720);
        QTest::newRow("index equal to the list size takes the default") << five << 5 << QSize(3264, 2448);
    }

    void resolutionIndex()
    {
        QFETCH(QStringList, resolutions);
        QFETCH(int, stored);
        QFETCH(QSize, expected);
        Cam c = cam("Doc Cam");
        c.resolutions = resolutions;
        writeConfig({c});
        RCamera camera;
        camera.setCurResolutionIndex(stored);
        const QSize size = camera.initCamera("Doc Cam");
        QCOMPARE(size, expected);
        QCOMPARE(camera.resolutionList().size(), resolutions.size());
        QCOMPARE(camera.resolutionList().at(camera.curResolutionIndex()), expected);
        if (stored >= 0 && stored < resolutions.size())
            QCOMPARE(camera.curResolutionIndex(), stored);
        QCOMPARE(camera.size(), size);
        QCOMPARE(camera.camera()->viewfinderSettings().resolution(), size);
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::VideoResolutionIndex), camera.curResolutionIndex());
    }

    void setResolutionIndex_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("index");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("index inside the list") << true << 1 << QSize(800, 600);
        QTest::newRow("index beyond the list takes the last") << true << 9 << QSize(1280, 720);
        QTest::newRow("negative index takes the last") << true << -3 << QSize(1280, 720);
        QTest::newRow("no camera open") << false << 1 << QSize();
    }

    void setResolutionIndex()
    {
        QFETCH(bool, open);
        QFETCH(int, index);
        QFETCH(QSize, expected);
        Cam c = cam("Doc Cam");
        c.resolutions = QStringList{"1280x720", "800x600", "320x240"};
        c.present = open;
        writeConfig({c});
        RCamera camera;
        camera.setVideoType(1);
        camera.initCamera("Doc Cam");
        QCOMPARE(camera.setResolutionIndex(index), expected);
        if (!open)
            return;
        QCOMPARE(camera.size(), expected);
        QCOMPARE(camera.curResolutionIndex(), camera.resolutionList().indexOf(expected));
        QCOMPARE(RSettingsStore::readInt(RSettingsKeys::VideoResolutionIndex), camera.curResolutionIndex());
        const QCameraViewfinderSettings applied = camera.camera()->viewfinderSettings();
        QCOMPARE(applied.resolution(), expected);
        // The pixel format chosen at the open survives the change.
        QCOMPARE(applied.pixelFormat(), QVideoFrame::Format_YUYV);
    }

    void pixelFormat_data()
    {
        QTest::addColumn<QStringList>("formats");
        QTest::addColumn<int>("videoType");
        QTest::addColumn<QVideoFrame::PixelFormat>("opened");
        QTest::addColumn<QVideoFrame::PixelFormat>("switched"); // to the other type while running
        const auto J = QVideoFrame::Format_Jpeg, Y = QVideoFrame::Format_YUYV;
        QTest::newRow("type 0 takes JPEG") << QStringList{"yuyv", "jpeg"} << 0 << J << Y;
        QTest::newRow("type 1 takes YUYV") << QStringList{"jpeg", "yuyv"} << 1 << Y << J;
        QTest::newRow("type 2 takes YUYV too") << QStringList{"jpeg", "yuyv"} << 2 << Y << J;
        QTest::newRow("type 1 without YUYV takes JPEG") << QStringList{"jpeg"} << 1 << J << J;
        QTest::newRow("type 0 without JPEG leaves the format") << QStringList{"yuyv"} << 0 << Y << Y;
        QTest::newRow("negative type acts as JPEG") << QStringList{"yuyv", "jpeg"} << -1 << J << Y;
    }

    void pixelFormat()
    {
        QFETCH(QStringList, formats);
        QFETCH(int, videoType);
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
        camera.setVideoFormat(videoType >= 1 ? 0 : 1);
        QCOMPARE(camera.camera()->viewfinderSettings().resolution(), QSize(640, 480));
        QTEST(camera.camera()->viewfinderSettings().pixelFormat(), "switched");
    }

    void unplugAndReplug_data()
    {
        QTest::addColumn<QStringList>("replugged");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("expected");
        const QStringList five{"1280x720", "800x600", "640x480", "320x240", "160x120"};
        QTest::newRow("same device reopens with the stored index") << five << 2 << 2;
        QTest::newRow("shorter list falls back to the default") << QStringList{"640x480", "800x600"} << 4 << 1;
    }

    void unplugAndReplug()
    {
        QFETCH(QStringList, replugged);
        QFETCH(int, stored);
        QFETCH(int, expected);
        Cam c = cam("Doc Cam");
        c.resolutions = QStringList{"1280x720", "800x600", "640x480", "320x240", "160x120"};
        writeConfig({c});
        RCamera camera;
        camera.setCurResolutionIndex(stored);
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        QCOMPARE(camera.curResolutionIndex(), stored);
        QSignalSpy hide(&camera, &RCamera::sShowOrHideImageList);

        QPointer<QCamera> oldCamera = camera.camera();
        QPointer<QCameraImageCapture> oldCapture = camera.imageCapture();
        QPointer<RCameraImaProDlg> oldDialog = camera.imageProcessDialog();

        c.present = false;
        writeConfig({c});
        QTRY_VERIFY_WITH_TIMEOUT(camera.isLost(), 5000);
        QVERIFY(LogCollector::count(":设备丢失：") >= 1);
        // Every result retries the open; each failed retry logs the miss.
        QTRY_VERIFY_WITH_TIMEOUT(LogCollector::count("Not Found m_cameraMain = nullptr") >= 2, 5000);
        QVERIFY(LogCollector::count("重新连接") >= 2);
        QVERIFY(hide.count() >= 2);
        for (const QList<QVariant> &args : hide)
            QCOMPARE(args.at(0).toBool(), false);
        // The lost device's objects are released, not leaked.
        QVERIFY(oldCamera.isNull());
        QVERIFY(oldCapture.isNull());
        QVERIFY(oldDialog.isNull());
        QVERIFY(!camera.camera());
        QVERIFY(camera.isRunning());

        c.present = true;
        c.resolutions = replugged;
        writeConfig({c});
        QTRY_VERIFY_WITH_TIMEOUT(!camera.isLost(), 5000);
        QVERIFY(camera.camera());
        QCOMPARE(camera.curResolutionIndex(), expected);
        QCOMPARE(camera.size(), camera.resolutionList().at(expected));

        // The retries stop once it is back.
        const int reconnects = LogCollector::count("重新连接");
        const int results = hide.count();
        QTRY_VERIFY_WITH_TIMEOUT(hide.count() >= results + 2, 5000);
        QCOMPARE(LogCollector::count("重新连接"), reconnects);
        QVERIFY(!camera.isLost());
    }

    void repeatedReconnectsKeepOneSet()
    {
        Cam c = cam("Doc Cam");
        writeConfig({c});
        RCamera camera;
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        QList<QPointer<QCamera>> cameras;
        QList<QPointer<RCameraImaProDlg>> dialogs;
        for (int cycle = 0; cycle < 3; ++cycle) {
            cameras << camera.camera();
            dialogs << camera.imageProcessDialog();
            c.present = false;
            writeConfig({c});
            QTRY_VERIFY_WITH_TIMEOUT(camera.isLost(), 5000);
            c.present = true;
            writeConfig({c});
            QTRY_VERIFY_WITH_TIMEOUT(!camera.isLost() && camera.camera(), 5000);
        }
        for (const QPointer<QCamera> &p : cameras)
            QVERIFY(p.isNull());
        for (const QPointer<RCameraImaProDlg> &p : dialogs)
            QVERIFY(p.isNull());
        // One test loop, however often the device came back.
        QVERIFY(camera.testWorker()->isLooping());
    }

    void frozenCameraIsNotReopened()
    {
        Cam c = cam("Doc Cam");
        writeConfig({c});
        RCamera camera;
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        camera.stopCamera(true);
        c.present = false;
        writeConfig({c});
        QTRY_VERIFY_WITH_TIMEOUT(camera.isLost(), 5000);
        QTest::qWait(1200);
        QCOMPARE(LogCollector::count("重新连接"), 0);
        // Resuming while lost retries at the next result.
        c.present = true;
        writeConfig({c});
        camera.stopCamera(false);
        QTRY_VERIFY_WITH_TIMEOUT(!camera.isLost(), 5000);
        QVERIFY(camera.isRunning());
        QCOMPARE(camera.camera()->state(), QCamera::ActiveState);
    }

    void freezeAndResume_data()
    {
        QTest::addColumn<bool>("presentAtStart");
        QTest::newRow("open camera freezes and resumes") << true;
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
        if (presentAtStart) {
            QVERIFY(waitForPicture(camera, 90));
            camera.stopCamera(true);
            QVERIFY(!camera.isRunning());
            QVERIFY(camera.camera()->state() != QCamera::ActiveState);
            // The frozen picture stays on screen.
            QVERIFY(qAbs(meanGrey(camera.grab().toImage()) - 90) < 10);
        } else {
            camera.stopCamera(true);
            QVERIFY(!camera.isRunning());
            c.present = true;
            writeConfig({c});
        }
        camera.stopCamera(false);
        QVERIFY(camera.isRunning());
        QVERIFY(camera.camera());
        QCOMPARE(camera.camera()->state(), QCamera::ActiveState);
        QVERIFY(waitForPicture(camera, 90));
    }

    void whiteboard_data()
    {
        QTest::addColumn<bool>("open");
        QTest::newRow("board over a running camera") << true;
        QTest::newRow("board without a camera") << false;
    }

    void whiteboard()
    {
        QFETCH(bool, open);
        writePage("dark.png", uniformPage(40));
        Cam c = cam("Doc Cam");
        c.source = "dark.png";
        c.present = open;
        writeConfig({c});
        RCamera camera;
        camera.resize(320, 240);
        camera.show();
        camera.initCamera("Doc Cam");
        if (open)
            QVERIFY(waitForPicture(camera, 40));
        camera.setWhiteBoard(true);
        QVERIFY(camera.isWhiteBoard());
        QVERIFY(camera.viewfinder()->isHidden());
        QVERIFY(allWhite(camera.grab().toImage()));
        if (open)
            QVERIFY(camera.camera()->state() != QCamera::ActiveState);
        camera.setWhiteBoard(false);
        QVERIFY(!camera.viewfinder()->isHidden());
        QCOMPARE(LogCollector::count("RCamera::setWhiteBoard:end"), 2);
        if (open) {
            QCOMPARE(camera.camera()->state(), QCamera::ActiveState);
            QVERIFY(waitForPicture(camera, 40));
        }
    }

    void adjustmentReachesFrames_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("direction");
        QTest::newRow("brightness up makes it brighter") << 80 << 1;
        QTest::newRow("brightness down makes it darker") << -80 << -1;
        QTest::newRow("slider back at zero changes nothing") << 0 << 0;
    }

    void adjustmentReachesFrames()
    {
        QFETCH(int, value);
        QFETCH(int, direction);
        writePage("grey.png", uniformPage(128));
        Cam c = cam("Doc Cam");
        c.source = "grey.png";
        writeConfig({c});
        RCamera camera;
        camera.show();
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        QVERIFY(waitForPicture(camera, 128));
        const double before = meanGrey(camera.grab().toImage());
        QSlider *brightness = camera.imageProcessDialog()->slider(0);
        brightness->setValue(value == 0 ? 1 : value);
        brightness->setValue(value);
        if (direction > 0)
            QTRY_VERIFY_WITH_TIMEOUT(meanGrey(camera.grab().toImage()) > before + 20, 5000);
        else if (direction < 0)
            QTRY_VERIFY_WITH_TIMEOUT(meanGrey(camera.grab().toImage()) < before - 20, 5000);
        else {
            QTest::qWait(300); // nothing to wait for: give a wrong change time to show
            QVERIFY(qAbs(meanGrey(camera.grab().toImage()) - before) < 3);
        }
    }

    // The dialog's own rounding has its own tests; here the camera's value reaches it.
    void dialogShowsCameraValues()
    {
        writeConfig({cam("Doc Cam")});
        RCamera camera;
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        camera.setImageProcess(0, -0.25);
        camera.slotChangeLangue(1);
        QSignalSpy sent(camera.imageProcessDialog(), &RCameraImaProDlg::sValChanged);
        camera.showImageProcess();
        QCOMPARE(camera.imageProcessDialog()->slider(0)->value(), -25);
        QCOMPARE(camera.imageProcessDialog()->language(), 1);
        QVERIFY(camera.imageProcessDialog()->isVisible());
        // Showing the camera's values does not send them back.
        QCOMPARE(sent.count(), 0);
    }

    void showImageProcessWithoutCamera()
    {
        writeConfig({});
        RCamera camera;
        camera.showImageProcess();
        camera.setImageProcess(0, 0.5);
        QVERIFY(!camera.imageProcessDialog());
    }

    void cameraTestPauses()
    {
        writeConfig({cam("Doc Cam")});
        RCamera camera;
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(camera.testWorker()->isLooping(), 3000);
        camera.setCameraTest(false);
        QTRY_VERIFY_WITH_TIMEOUT(!camera.testWorker()->isLooping(), 1000);
        QVERIFY(camera.camera()->state() != QCamera::ActiveState);
        // A result the worker sent just before it stopped may still be queued.
        QTest::qWait(200);
        QSignalSpy results(&camera, &RCamera::sShowOrHideImageList);
        QTest::qWait(1300);
        QCOMPARE(results.count(), 0);
        camera.setCameraTest(true);
        QCOMPARE(camera.camera()->state(), QCamera::ActiveState);
        QTRY_VERIFY_WITH_TIMEOUT(results.count() >= 1, 3000);
    }

    void resultsForOtherNamesAreIgnored_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("another device") << "Other Cam";
    }

    void resultsForOtherNamesAreIgnored()
    {
        QFETCH(QString, name);
        writeConfig({cam("Doc Cam")});
        RCamera camera;
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        QSignalSpy results(&camera, &RCamera::sShowOrHideImageList);
        camera.showResponse(name, 0);
        QCOMPARE(results.count(), 1);
        QVERIFY(!camera.isLost());
        QCOMPARE(LogCollector::count(":设备丢失："), 0);
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
        QCOMPARE(LogCollector::count("RCamera::~RCamera() end"), 1);
    }

    void closeApp()
    {
        writeConfig({cam("Doc Cam")});
        RCamera camera;
        camera.show();
        QVERIFY(!camera.initCamera("Doc Cam").isEmpty());
        camera.slotCloseApp();
        QVERIFY(!camera.isVisible());
        QVERIFY(!camera.isRunning());
        QTRY_VERIFY_WITH_TIMEOUT(!camera.testWorker()->isLooping(), 1500);
    }
};

VISORA_TEST_MAIN(TestRCamera)
#include "tst_rcamera.moc"
