// The virtual document camera at work, driven the way the presenter drives a
// real one: a QCamera with a QCameraViewfinder, viewfinder settings, still
// capture and image processing, and a device unplugged while the picture runs.

#include "VisoraTest.h"

#include "VirtualCamTestSupport.h"

#include <QCamera>
#include <QCameraFocus>
#include <QCameraImageCapture>
#include <QCameraImageProcessing>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QDirIterator>
#include <QSignalSpy>

#include <memory>

using namespace VirtualCamTest;

namespace {

const QByteArray kResolutions =
    ", \"resolutions\": [\"3264x2448\", \"3840x2160\", \"1920x1080\", \"1280x720\", \"800x600\", \"640x480\"]";

QString fixture(const QString &name)
{
    return VisoraTest::dataPath(QStringLiteral("virtualcam/") + name);
}

// A camera with its viewfinder and still capture, set up as the presenter does.
struct Rig
{
    QCamera camera;
    QCameraViewfinder viewfinder;
    QCameraImageCapture capture;

    explicit Rig(const QByteArray &deviceName = kDocCam)
        : camera(QCameraInfo(deviceName))
        , capture(&camera)
    {
        camera.setViewfinder(&viewfinder);
        camera.setCaptureMode(QCamera::CaptureStillImage);
    }

    bool startAt(const QSize &resolution, QVideoFrame::PixelFormat format = QVideoFrame::Format_Invalid)
    {
        viewfinder.resize(resolution.scaled(640, 640, Qt::KeepAspectRatio));
        camera.start();
        QCameraViewfinderSettings settings;
        settings.setResolution(resolution);
        settings.setPixelFormat(format);
        camera.setViewfinderSettings(settings);
        return QTest::qWaitFor([this] { return camera.status() == QCamera::ActiveStatus; }, 5000);
    }

    // The viewfinder paints the newest frame; a frame shown is then replaced by the next one.
    QImage grabAfter(int msecs)
    {
        QTest::qWait(msecs);
        viewfinder.grab();
        QTest::qWait(100);
        return viewfinder.grab().toImage();
    }

    // The next still picture; null when the capture reports an error instead.
    QImage still()
    {
        QSignalSpy captured(&capture, &QCameraImageCapture::imageCaptured);
        QSignalSpy failed(&capture, QOverload<int, QCameraImageCapture::Error, const QString &>::of(
                                        &QCameraImageCapture::error));
        const int id = capture.capture();
        if (!QTest::qWaitFor([&] { return !captured.isEmpty() || !failed.isEmpty(); }, 5000)
            || captured.isEmpty() || captured.first().at(0).toInt() != id)
            return QImage();
        return captured.first().at(1).value<QImage>();
    }
};

QStringList picturesUnder(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, {"*.jpg", "*.jpeg", "*.png", "*.bmp"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << it.next();
    return files;
}

} // namespace

class TestVirtualCamStream : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("VISORA_VIRTUAL_CAMERA"); }

    // A readable picture is shown as it is and stands still; anything else
    // falls back to the moving pattern rather than a blank frame.
    void sourceIsShown_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QSize>("resolution");
        QTest::addColumn<bool>("picture");
        QTest::addColumn<QVideoFrame::PixelFormat>("format"); // invalid: the default, JPEG
        const auto none = QVideoFrame::Format_Invalid;
        QTest::newRow("pattern, 3264x2448 jpeg") << QStringLiteral("pattern") << QSize(3264, 2448) << false << QVideoFrame::Format_Jpeg;
        QTest::newRow("pattern, 3840x2160 yuyv") << QStringLiteral("pattern") << QSize(3840, 2160) << false << QVideoFrame::Format_YUYV;
        QTest::newRow("picture next to the file, 4:3") << QStringLiteral("quadrants.png") << QSize(800, 600) << true << none;
        QTest::newRow("picture in a subfolder") << QStringLiteral("pics/quadrants.png") << QSize(1280, 720) << true << none;
        QTest::newRow("absolute path, largest size") << fixture("quadrants.png") << QSize(3264, 2448) << true << none;
        QTest::newRow("missing file") << QStringLiteral("no-such-page.png") << QSize(1280, 720) << false << none;
        QTest::newRow("text named like a picture") << fixture("not-a-picture.png") << QSize(1280, 720) << false << none;
        QTest::newRow("header claims a gigantic picture") << fixture("huge-header.png") << QSize(1280, 720) << false << none;
        QTest::newRow("a folder") << QStringLiteral(".") << QSize(1280, 720) << false << none;
    }

    void sourceIsShown()
    {
        QFETCH(QString, source);
        QFETCH(QSize, resolution);
        QFETCH(bool, picture);
        QFETCH(QVideoFrame::PixelFormat, format);
        QDir().mkpath(QStringLiteral("pics"));
        for (const QString &copy : {QStringLiteral("quadrants.png"), QStringLiteral("pics/quadrants.png")}) {
            QFile::remove(copy);
            QVERIFY(QFile::copy(fixture("quadrants.png"), copy));
        }
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"source\": \"" + source.toUtf8() + "\""));

        Rig rig;
        QVERIFY(rig.startAt(resolution, format));
        QTRY_COMPARE_WITH_TIMEOUT(rig.viewfinder.sizeHint(), resolution, 3000);
        QCOMPARE(rig.camera.viewfinderSettings().pixelFormat(), format == QVideoFrame::Format_Invalid ? QVideoFrame::Format_Jpeg : format);
        const QImage frame = rig.still();
        QCOMPARE(frame.size(), resolution);
        const QImage first = rig.grabAfter(200);
        QCOMPARE(rig.grabAfter(200) != first, !picture);
        if (!picture) {
            QVERIFY(looksLikePageOnDesk(frame));
            QVERIFY(looksLikePageOnDesk(first));
            return;
        }
        // The middle of each quadrant carries that quadrant's colour, whatever the scale.
        const QImage original(fixture("quadrants.png"));
        for (const QPointF &spot : {QPointF(0.25, 0.25), QPointF(0.75, 0.25), QPointF(0.25, 0.75), QPointF(0.75, 0.75)}) {
            const QColor expected = original.pixelColor(int(spot.x() * original.width()), int(spot.y() * original.height()));
            const QColor seen = frame.pixelColor(int(spot.x() * frame.width()), int(spot.y() * frame.height()));
            QVERIFY2(qAbs(expected.red() - seen.red()) <= 6 && qAbs(expected.green() - seen.green()) <= 6
                         && qAbs(expected.blue() - seen.blue()) <= 6,
                     qPrintable(QString("expected %1 seen %2").arg(expected.name(), seen.name())));
        }
    }

    // A still reaches the buffer, as the presenter asks, and nowhere else.
    void stillCapture()
    {
        writeConfig(oneCamera(kDocCam, kResolutions));
        const QStringList picturesBefore = picturesUnder(QDir::homePath());
        Rig rig;
        rig.capture.setCaptureDestination(QCameraImageCapture::CaptureToBuffer);
        QVERIFY(rig.startAt(QSize(3264, 2448)));
        QTRY_VERIFY_WITH_TIMEOUT(rig.capture.isReadyForCapture(), 3000);
        QSignalSpy exposed(&rig.capture, &QCameraImageCapture::imageExposed);
        QSignalSpy captured(&rig.capture, &QCameraImageCapture::imageCaptured);
        QSignalSpy available(&rig.capture, &QCameraImageCapture::imageAvailable);
        QSignalSpy saved(&rig.capture, &QCameraImageCapture::imageSaved);
        const int id = rig.capture.capture();
        QVERIFY(id > 0);
        QVERIFY(captured.wait(5000));
        QCOMPARE(exposed.count(), 1);
        QCOMPARE(exposed.first().at(0).toInt(), id);
        QCOMPARE(captured.first().at(0).toInt(), id);
        const QImage picture = captured.first().at(1).value<QImage>();
        QCOMPARE(picture.size(), QSize(3264, 2448));
        QVERIFY(looksLikePageOnDesk(picture));
        QTest::qWait(100);
        QCOMPARE(available.count(), 1);
        QCOMPARE(available.first().at(1).value<QVideoFrame>().size(), QSize(3264, 2448));
        QCOMPARE(saved.count(), 0);
        QCOMPARE(picturesUnder(QDir::homePath()), picturesBefore);
    }

    void adjustmentsChangeTheFrames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("contrast spreads the values") << 1;
        QTest::newRow("saturation strengthens colour") << 2;
    }

    void adjustmentsChangeTheFrames()
    {
        QFETCH(int, kind);
        using P = QCameraImageProcessing;
        void (P::*const set[])(qreal) = {&P::setBrightness, &P::setContrast, &P::setSaturation};
        qreal (P::*const get[])() const = {&P::brightness, &P::contrast, &P::saturation};
        double PictureStats::*const measured[] = {&PictureStats::meanLuma, &PictureStats::lumaDeviation,
                                                  &PictureStats::meanChroma};
        writeConfig(oneCamera(kDocCam, kResolutions));
        Rig rig;
        // The presenter sets the focus when it is offered.
        QVERIFY(rig.camera.focus()->isAvailable());
        QVERIFY(rig.startAt(QSize(800, 600)));
        P *processing = rig.camera.imageProcessing();
        QList<double> seen;
        for (const qreal value : {-1.0, 0.0, 1.0}) {
            (processing->*set[kind])(value);
            QTest::qWait(200);
            seen << pictureStats(rig.still()).*measured[kind];
            QCOMPARE((processing->*get[kind])(), value);
        }
        QVERIFY2(seen[0] + 10.0 < seen[1] && seen[1] + 10.0 < seen[2],
                 qPrintable(QString("%1 %2 %3").arg(seen[0]).arg(seen[1]).arg(seen[2])));
        // The viewfinder shows the same adjustment as the still.
        QVERIFY(pictureStats(rig.grabAfter(100)).meanLuma > 0.0);
    }

    void unplugWhileRunning_data()
    {
        QTest::addColumn<QByteArray>("unplugged");
        QTest::newRow("camera removed from the list")
            << QByteArray("{\"cameras\": [{\"deviceName\": \"another-camera\"}]}");
        QTest::newRow("file emptied") << QByteArray();
    }

    void unplugWhileRunning()
    {
        QFETCH(QByteArray, unplugged);
        const QByteArray plugged = oneCamera(kDocCam, kResolutions);
        writeConfig(plugged);

        auto rig = std::make_unique<Rig>();
        QVERIFY(rig->startAt(QSize(1280, 720)));
        QSignalSpy errors(&rig->camera, &QCamera::errorOccurred);
        QSignalSpy states(&rig->camera, &QCamera::stateChanged);

        writeConfig(unplugged);
        QTRY_COMPARE_WITH_TIMEOUT(rig->camera.state(), QCamera::UnloadedState, 1500);
        QCOMPARE(rig->camera.status(), QCamera::UnavailableStatus);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(states.count(), 1);
        QVERIFY(!rig->capture.isReadyForCapture());
        QVERIFY(rig->still().isNull());
        QVERIFY(QCameraInfo(QByteArray(kDocCam)).isNull());

        // Plugged back: the application opens a fresh camera, which runs again.
        writeConfig(plugged);
        QCOMPARE(virtualCameras().size(), 1);
        rig = std::make_unique<Rig>();
        QVERIFY(rig->startAt(QSize(1280, 720)));
        QCOMPARE(rig->still().size(), QSize(1280, 720));
    }
};

VISORA_TEST_MAIN(TestVirtualCamStream)
#include "tst_virtualcamstream.moc"
