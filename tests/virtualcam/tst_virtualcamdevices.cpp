// Device listing of the virtual document camera, seen only through Qt
// Multimedia: which cameras appear, with which names, resolutions and pixel
// formats, and how the list follows the configuration file while running.

#include "VisoraTest.h"

#include "VirtualCamTestSupport.h"

#include <QCamera>
#include <QCameraInfo>
#include <QSignalSpy>

using namespace VirtualCamTest;

namespace {

QStringList deviceNames(const QList<QCameraInfo> &cameras)
{
    QStringList names;
    for (const QCameraInfo &info : cameras)
        names << info.deviceName();
    return names;
}

// The resolutions in the order the camera offers them, each once.
QList<QSize> offeredResolutions(const QCamera &camera)
{
    QList<QSize> sizes;
    const QList<QCameraViewfinderSettings> settings = camera.supportedViewfinderSettings();
    for (const QCameraViewfinderSettings &s : settings) {
        if (!sizes.contains(s.resolution()))
            sizes << s.resolution();
    }
    return sizes;
}

} // namespace

class TestVirtualCamDevices : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("VISORA_VIRTUAL_CAMERA"); }

    void withoutConfigurationNoDevice_data()
    {
        QTest::addColumn<QString>("variable");
        QTest::newRow("variable unset") << QString();
        QTest::newRow("variable empty") << QStringLiteral("");
        QTest::newRow("file does not exist") << QStringLiteral("no-such-file.json");
        QTest::newRow("path is a directory") << QStringLiteral(".");
    }

    void withoutConfigurationNoDevice()
    {
        QFETCH(QString, variable);
        // The same camera is listed while the variable points at a good file.
        writeConfig(oneCamera(kDocCam));
        QCOMPARE(deviceNames(virtualCameras()), QStringList{kDocCam});

        if (variable.isNull())
            qunsetenv("VISORA_VIRTUAL_CAMERA");
        else
            qputenv("VISORA_VIRTUAL_CAMERA", QFile::encodeName(variable));
        QVERIFY(virtualCameras().isEmpty());
        QVERIFY(QCameraInfo(QByteArray(kDocCam)).isNull());
    }

    void devicesListedInFileOrder_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("descriptions");

        QTest::newRow("one camera") << oneCamera(kDocCam) << QStringList{kDocCam} << QStringList{"Desk camera"};
        QTest::newRow("three cameras keep file order")
            << QByteArray("{\"cameras\": [{\"description\": \"Zeta\", \"deviceName\": \"cam-z\"},"
                          "{\"description\": \"Alpha\", \"deviceName\": \"cam-a\"},"
                          "{\"description\": \"Mid\", \"deviceName\": \"cam-m\"}]}")
            << QStringList{"cam-z", "cam-a", "cam-m"} << QStringList{"Zeta", "Alpha", "Mid"};
        QTest::newRow("unplugged camera is hidden")
            << QByteArray("{\"cameras\": [{\"description\": \"A\", \"deviceName\": \"cam-a\", \"present\": false},"
                          "{\"description\": \"B\", \"deviceName\": \"cam-b\", \"present\": true}]}")
            << QStringList{"cam-b"} << QStringList{"B"};
        QTest::newRow("busy camera is still listed")
            << QByteArray("{\"cameras\": [{\"description\": \"A\", \"deviceName\": \"cam-a\", \"busy\": true}]}")
            << QStringList{"cam-a"} << QStringList{"A"};
        QTest::newRow("description defaults to the device name")
            << QByteArray("{\"cameras\": [{\"deviceName\": \"cam-a\"}]}") << QStringList{"cam-a"} << QStringList{"cam-a"};
        QTest::newRow("entry without device name is skipped")
            << QByteArray("{\"cameras\": [{\"description\": \"nameless\"}, {\"description\": \"B\", \"deviceName\": "
                          "\"cam-b\"}]}")
            << QStringList{"cam-b"} << QStringList{"B"};
        QTest::newRow("duplicate device name listed once")
            << QByteArray("{\"cameras\": [{\"description\": \"First\", \"deviceName\": \"cam-a\"},"
                          "{\"description\": \"Second\", \"deviceName\": \"cam-a\"}]}")
            << QStringList{"cam-a"} << QStringList{"First"};
        QTest::newRow("empty camera list") << QByteArray("{\"cameras\": []}") << QStringList() << QStringList();
    }

    void devicesListedInFileOrder()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, names);
        QFETCH(QStringList, descriptions);
        QVERIFY(!writeConfig(json).isEmpty());

        const QList<QCameraInfo> cameras = virtualCameras();
        QCOMPARE(deviceNames(cameras), names);
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(cameras.at(i).description(), descriptions.at(i));
            // Looking a camera up by name gives the same entry.
            const QCameraInfo byName(names.at(i).toLatin1());
            QVERIFY(!byName.isNull());
            QCOMPARE(byName.description(), descriptions.at(i));
        }
    }

    void badFilesNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<int>("listed");

        QTest::newRow("only a device name") << QByteArray("{\"cameras\": [{\"deviceName\": \"cam-a\"}]}") << 1;
        QTest::newRow("empty file") << QByteArray() << 0;
        QTest::newRow("malformed JSON") << QByteArray("{\"cameras\": [{\"deviceName\": \"cam-a\",") << 0;
        QTest::newRow("top level is an array") << QByteArray("[{\"deviceName\": \"cam-a\"}]") << 0;
        QTest::newRow("cameras is an object") << QByteArray("{\"cameras\": {\"deviceName\": \"cam-a\"}}") << 0;
        QTest::newRow("camera entry is a number") << QByteArray("{\"cameras\": [42, \"text\", null]}") << 0;
        QTest::newRow("device name is a number") << QByteArray("{\"cameras\": [{\"deviceName\": 7}]}") << 0;
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\xfe{{[[\x01", 9) << 0;
        QTest::newRow("far too large")
            << (QByteArray(2 * 1024 * 1024, ' ') + oneCamera(kDocCam)) << 0;
        QTest::newRow("every field of the wrong type")
            << QByteArray("{\"cameras\": [{\"deviceName\": \"cam-a\", \"description\": 5, \"resolutions\": \"1920x1080\","
                          " \"pixelFormats\": {\"a\": 1}, \"source\": [1], \"fps\": \"fast\", \"present\": \"yes\","
                          " \"busy\": 1}]}")
            << 1;
        QTest::newRow("nonsense values")
            << QByteArray("{\"cameras\": [{\"deviceName\": \"cam-a\", \"resolutions\": [\"0x0\", \"-5x3\", \"big\", "
                          "\"99999x99999\", 12], \"pixelFormats\": [\"h264\", 3], \"fps\": -4}]}")
            << 1;
    }

    void badFilesNeverCrash()
    {
        QFETCH(QByteArray, json);
        QFETCH(int, listed);
        QVERIFY(!writeConfig(json).isEmpty());

        const QList<QCameraInfo> cameras = virtualCameras();
        QCOMPARE(cameras.size(), listed);
        // A listed camera whose fields are missing or damaged opens with the defaults.
        for (const QCameraInfo &info : cameras) {
            QCamera camera(info);
            camera.start();
            QCOMPARE(camera.state(), QCamera::ActiveState);
            QCOMPARE(camera.availability(), QMultimedia::Available);
            QCOMPARE(camera.supportedViewfinderPixelFormats(),
                     (QList<QVideoFrame::PixelFormat>{QVideoFrame::Format_Jpeg, QVideoFrame::Format_YUYV}));
            QCOMPARE(offeredResolutions(camera), (QList<QSize>{{1920, 1080}, {1280, 720}, {640, 480}}));
            for (const QCameraViewfinderSettings &settings : camera.supportedViewfinderSettings())
                QCOMPARE(settings.maximumFrameRate(), 30.0);
            QTRY_COMPARE_WITH_TIMEOUT(camera.status(), QCamera::ActiveStatus, 5000);
            camera.stop();
        }
    }

    void supportedSettingsInFileOrder_data()
    {
        QTest::addColumn<QByteArray>("extra");
        QTest::addColumn<QList<QSize>>("resolutions");
        QTest::addColumn<QList<QVideoFrame::PixelFormat>>("formats");

        QTest::newRow("document camera list")
            << QByteArray(", \"resolutions\": [\"3264x2448\", \"1920x1080\", \"1280x720\", \"800x600\", \"640x480\"],"
                          " \"pixelFormats\": [\"jpeg\", \"yuyv\"]")
            << QList<QSize>{{3264, 2448}, {1920, 1080}, {1280, 720}, {800, 600}, {640, 480}}
            << QList<QVideoFrame::PixelFormat>{QVideoFrame::Format_Jpeg, QVideoFrame::Format_YUYV};
        QTest::newRow("ascending list and yuyv first")
            << QByteArray(", \"resolutions\": [\"640x480\", \"3840x2160\"], \"pixelFormats\": [\"yuyv\", \"jpeg\"]")
            << QList<QSize>{{640, 480}, {3840, 2160}}
            << QList<QVideoFrame::PixelFormat>{QVideoFrame::Format_YUYV, QVideoFrame::Format_Jpeg};
        QTest::newRow("format aliases")
            << QByteArray(", \"resolutions\": [\"1280x720\"], \"pixelFormats\": [\"MJPEG\", \"rgb32\", \"nv12\"]")
            << QList<QSize>{{1280, 720}}
            << QList<QVideoFrame::PixelFormat>{QVideoFrame::Format_Jpeg, QVideoFrame::Format_RGB32,
                                               QVideoFrame::Format_NV12};
        QTest::newRow("bad and repeated entries dropped")
            << QByteArray(", \"resolutions\": [\"800x600\", \"oops\", \"800x600\", \"1024 x 768\"],"
                          " \"pixelFormats\": [\"h264\", \"yuyv\", \"yuyv\"]")
            << QList<QSize>{{800, 600}, {1024, 768}} << QList<QVideoFrame::PixelFormat>{QVideoFrame::Format_YUYV};
    }

    void supportedSettingsInFileOrder()
    {
        QFETCH(QByteArray, extra);
        QFETCH(QList<QSize>, resolutions);
        QFETCH(QList<QVideoFrame::PixelFormat>, formats);
        writeConfig(oneCamera(kDocCam, extra));

        QCamera camera{QCameraInfo(QByteArray(kDocCam))};
        camera.load();
        QCOMPARE(offeredResolutions(camera), resolutions);
        QCOMPARE(camera.supportedViewfinderPixelFormats(), formats);
        // Qt's own convenience list holds the same sizes (it sorts them by area).
        const QList<QSize> convenience = camera.supportedViewfinderResolutions();
        QCOMPARE(convenience.size(), resolutions.size());
        for (const QSize &size : resolutions)
            QVERIFY(convenience.contains(size));
    }

    void cameraForUnlistedDeviceIsUnusable()
    {
        writeConfig(oneCamera(kDocCam, ", \"present\": false"));
        QCamera camera{QByteArray(kDocCam)};
        QSignalSpy errors(&camera, &QCamera::errorOccurred);
        camera.start();
        QVERIFY(camera.state() != QCamera::ActiveState);
        QVERIFY(!errors.isEmpty());
        QVERIFY(camera.availability() != QMultimedia::Available);
    }
};

VISORA_TEST_MAIN(TestVirtualCamDevices)
#include "tst_virtualcamdevices.moc"
