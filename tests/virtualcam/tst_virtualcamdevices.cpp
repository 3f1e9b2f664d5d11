// Device listing of the virtual document camera, seen only through Qt
// Multimedia: which cameras appear, with which names, resolutions and pixel
// formats, and how the list follows the configuration file while running.

#include "VisoraTest.h"

#include "VirtualCamTestSupport.h"

#include <QCamera>
#include <QCameraInfo>

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

    // Listed cameras, their sizes and formats keep the file's order; a listed
    // camera whose other fields are missing or damaged opens with the defaults;
    // a bad file lists nothing.
    void listing_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("descriptions");
        QTest::addColumn<QString>("variable"); // null: the file written
        QTest::addColumn<QList<QSize>>("resolutions");
        QTest::addColumn<QList<QVideoFrame::PixelFormat>>("formats");
        using F = QList<QVideoFrame::PixelFormat>;
        const auto row = [](const char *name, const QByteArray &json, const QStringList &names = {},
                            const QStringList &descriptions = {}, const QString &variable = QString(),
                            const QList<QSize> &sizes = {{1920, 1080}, {1280, 720}, {640, 480}},
                            const F &formats = {QVideoFrame::Format_Jpeg, QVideoFrame::Format_YUYV}) {
            QTest::newRow(name) << json << names << descriptions << variable << sizes << formats;
        };
        // Without a usable configuration there is no device, though the file lists one.
        for (const QString &variable : {QString("no-such-file.json"), QString(".")})
            row(qPrintable("variable \"" + variable + "\""), oneCamera(kDocCam), {}, {}, variable);
        row("variable unset", oneCamera(kDocCam), {}, {}, "unset");
        row("entry without device name is skipped",
            "{\"cameras\": [{\"description\": \"nameless\"}, {\"description\": \"B\", \"deviceName\": \"cam-b\"}]}",
            {"cam-b"}, {"B"});
        row("duplicate device name listed once",
            "{\"cameras\": [{\"description\": \"First\", \"deviceName\": \"cam-a\"},"
            "{\"description\": \"Second\", \"deviceName\": \"cam-a\"}]}",
            {"cam-a"}, {"First"});
        row("every field of the wrong type",
            "{\"cameras\": [{\"deviceName\": \"cam-a\", \"description\": 5, \"resolutions\": \"1920x1080\","
            " \"pixelFormats\": {\"a\": 1}, \"source\": [1], \"fps\": \"fast\", \"present\": \"yes\", \"busy\": 1}]}",
            {"cam-a"}, {"cam-a"});
        row("nonsense values",
            "{\"cameras\": [{\"deviceName\": \"cam-a\", \"resolutions\": [\"0x0\", \"-5x3\", \"big\", "
            "\"99999x99999\", 12], \"pixelFormats\": [\"h264\", 3], \"fps\": -4}]}",
            {"cam-a"}, {"cam-a"});
        row("bad and repeated sizes and formats dropped",
            oneCamera(kDocCam, ", \"resolutions\": [\"800x600\", \"oops\", \"800x600\", \"1024 x 768\"],"
                               " \"pixelFormats\": [\"h264\", \"yuyv\", \"yuyv\"]"),
            {kDocCam}, {"Desk camera"}, {}, {{800, 600}, {1024, 768}}, {QVideoFrame::Format_YUYV});
        row("malformed JSON", "{\"cameras\": [{\"deviceName\": \"cam-a\",");
        row("cameras is an object", "{\"cameras\": {\"deviceName\": \"cam-a\"}}");
        row("camera entry is a number", "{\"cameras\": [42, \"text\", null]}");
        row("device name is a number", "{\"cameras\": [{\"deviceName\": 7}]}");
        row("far too large", QByteArray(2 * 1024 * 1024, ' ') + oneCamera(kDocCam));
    }

    void listing()
    {
        QFETCH(QByteArray, json);
        QFETCH(QStringList, names);
        QFETCH(QStringList, descriptions);
        QFETCH(QString, variable);
        QVERIFY(!writeConfig(json).isEmpty());
        if (variable == "unset")
            qunsetenv("VISORA_VIRTUAL_CAMERA");
        else if (!variable.isNull())
            qputenv("VISORA_VIRTUAL_CAMERA", QFile::encodeName(variable));

        const QList<QCameraInfo> cameras = virtualCameras();
        QCOMPARE(deviceNames(cameras), names);
        QCOMPARE(QCameraInfo(QByteArray(kDocCam)).isNull(), !names.contains(kDocCam));
        for (int i = 0; i < cameras.size(); ++i) {
            QCOMPARE(cameras.at(i).description(), descriptions.at(i));
            // Looking a camera up by name gives the same entry.
            QCOMPARE(QCameraInfo(names.at(i).toLatin1()).description(), descriptions.at(i));
            QCamera camera(cameras.at(i));
            camera.start();
            QCOMPARE(camera.state(), QCamera::ActiveState);
            QTEST(camera.supportedViewfinderPixelFormats(), "formats");
            QTEST(offeredResolutions(camera), "resolutions");
            QTRY_COMPARE_WITH_TIMEOUT(camera.status(), QCamera::ActiveStatus, 5000);
            camera.stop();
        }
    }
};

VISORA_TEST_MAIN(TestVirtualCamDevices)
#include "tst_virtualcamdevices.moc"
