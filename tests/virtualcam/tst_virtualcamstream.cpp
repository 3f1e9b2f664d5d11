// The virtual document camera at work, driven the way the presenter drives a
// real one: a QCamera with a QCameraViewfinder, viewfinder settings, still
// capture and image processing, a busy device and a device unplugged while
// the picture runs.

#include "VisoraTest.h"

#include "VirtualCamTestSupport.h"

#include <QCamera>
#include <QCameraFocus>
#include <QCameraImageCapture>
#include <QCameraImageProcessing>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QDirIterator>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QPainter>
#include <QScopeGuard>
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

    // Also through a proxy in a graphics scene, as the presenter shows it.
    void viewfinderShowsThePage_data()
    {
        QTest::addColumn<QSize>("resolution");
        QTest::addColumn<QVideoFrame::PixelFormat>("format");
        QTest::addColumn<bool>("inScene");
        QTest::newRow("3264x2448 jpeg") << QSize(3264, 2448) << QVideoFrame::Format_Jpeg << false;
        QTest::newRow("3840x2160 yuyv") << QSize(3840, 2160) << QVideoFrame::Format_YUYV << false;
        QTest::newRow("640x480 keeps default format") << QSize(640, 480) << QVideoFrame::Format_Invalid << false;
        QTest::newRow("1920x1080 in a scene") << QSize(1920, 1080) << QVideoFrame::Format_Invalid << true;
    }

    void viewfinderShowsThePage()
    {
        QFETCH(QSize, resolution);
        QFETCH(QVideoFrame::PixelFormat, format);
        QFETCH(bool, inScene);
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"pixelFormats\": [\"jpeg\", \"yuyv\"]"));

        Rig rig;
        QGraphicsScene scene;
        QGraphicsProxyWidget *proxy = inScene ? scene.addWidget(&rig.viewfinder) : nullptr;
        // The scene must not delete the rig's viewfinder.
        const auto release = qScopeGuard([proxy] { if (proxy) proxy->setWidget(nullptr); });
        QVERIFY(rig.startAt(resolution, format));
        QTRY_COMPARE_WITH_TIMEOUT(rig.viewfinder.sizeHint(), resolution, 3000);
        QCOMPARE(rig.camera.viewfinderSettings().resolution(), resolution);
        QCOMPARE(rig.camera.viewfinderSettings().pixelFormat(),
                 format == QVideoFrame::Format_Invalid ? QVideoFrame::Format_Jpeg : format);
        QImage shown = rig.grabAfter(300);
        if (proxy) {
            shown = QImage(640, 360, QImage::Format_RGB32);
            shown.fill(Qt::black);
            QPainter painter(&shown);
            scene.render(&painter, QRectF(shown.rect()), proxy->sceneBoundingRect());
        }
        QVERIFY(looksLikePageOnDesk(shown));
    }

    // A readable picture is shown as it is and stands still; anything else
    // falls back to the moving pattern rather than a blank frame.
    void sourceIsShown_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QSize>("resolution");
        QTest::addColumn<bool>("picture");
        QTest::newRow("generated pattern") << QStringLiteral("pattern") << QSize(1280, 720) << false;
        QTest::newRow("picture next to the file, 4:3") << QStringLiteral("quadrants.png") << QSize(800, 600) << true;
        QTest::newRow("picture in a subfolder") << QStringLiteral("pics/quadrants.png") << QSize(1280, 720) << true;
        QTest::newRow("absolute path, largest size") << fixture("quadrants.png") << QSize(3264, 2448) << true;
        QTest::newRow("missing file") << QStringLiteral("no-such-page.png") << QSize(1280, 720) << false;
        QTest::newRow("text named like a picture") << fixture("not-a-picture.png") << QSize(1280, 720) << false;
        QTest::newRow("empty file") << QStringLiteral("empty.png") << QSize(1280, 720) << false;
        QTest::newRow("header claims a gigantic picture") << fixture("huge-header.png") << QSize(1280, 720) << false;
        QTest::newRow("a folder") << QStringLiteral(".") << QSize(1280, 720) << false;
    }

    void sourceIsShown()
    {
        QFETCH(QString, source);
        QFETCH(QSize, resolution);
        QFETCH(bool, picture);
        QDir().mkpath(QStringLiteral("pics"));
        for (const QString &copy : {QStringLiteral("quadrants.png"), QStringLiteral("pics/quadrants.png")}) {
            QFile::remove(copy);
            QVERIFY(QFile::copy(fixture("quadrants.png"), copy));
        }
        QFile empty(QStringLiteral("empty.png"));
        QVERIFY(empty.open(QIODevice::WriteOnly));
        empty.close();
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"source\": \"" + source.toUtf8() + "\""));

        Rig rig;
        QVERIFY(rig.startAt(resolution));
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

    void busyDeviceStaysUnloaded()
    {
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"busy\": true"));
        QCOMPARE(virtualCameras().size(), 1);

        Rig rig;
        rig.camera.start();
        // The presenter decides right after start(), so the state must be final at once.
        QCOMPARE(rig.camera.state(), QCamera::UnloadedState);
        QCOMPARE(rig.camera.availability(), QMultimedia::Busy);
        QTest::qWait(300);
        QCOMPARE(rig.camera.state(), QCamera::UnloadedState);
        QVERIFY(rig.viewfinder.sizeHint().isEmpty());

        // Once the other program lets go, the same camera object opens.
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"busy\": false"));
        rig.camera.start();
        QCOMPARE(rig.camera.state(), QCamera::ActiveState);
        QCOMPARE(rig.camera.availability(), QMultimedia::Available);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.viewfinder.sizeHint().isEmpty(), 10000);
    }

    // A still reaches the buffer or a file as asked, and nowhere else.
    void stillCapture_data()
    {
        QTest::addColumn<QSize>("resolution");
        QTest::addColumn<bool>("toBuffer");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("savedAs");
        QTest::newRow("to buffer at 3264x2448") << QSize(3264, 2448) << true << QString() << QString();
        QTest::newRow("to file without a name writes nothing") << QSize(1280, 720) << false << QString() << QString();
        QTest::newRow("to file with a name") << QSize(640, 480) << false << "shots/page.jpg" << "shots/page.jpg";
        QTest::newRow("name without suffix becomes jpeg") << QSize(800, 600) << false << "shots/page" << "shots/page.jpg";
    }

    void stillCapture()
    {
        QFETCH(QSize, resolution);
        QFETCH(bool, toBuffer);
        QFETCH(QString, fileName);
        QFETCH(QString, savedAs);
        QDir().mkpath(QStringLiteral("shots"));
        QFile::remove(savedAs);
        writeConfig(oneCamera(kDocCam, kResolutions));
        const QStringList picturesBefore = picturesUnder(QDir::homePath());

        Rig rig;
        rig.capture.setCaptureDestination(toBuffer ? QCameraImageCapture::CaptureToBuffer
                                                   : QCameraImageCapture::CaptureToFile);
        QVERIFY(rig.startAt(resolution));
        QTRY_VERIFY_WITH_TIMEOUT(rig.capture.isReadyForCapture(), 3000);
        QSignalSpy exposed(&rig.capture, &QCameraImageCapture::imageExposed);
        QSignalSpy captured(&rig.capture, &QCameraImageCapture::imageCaptured);
        QSignalSpy available(&rig.capture, &QCameraImageCapture::imageAvailable);
        QSignalSpy saved(&rig.capture, &QCameraImageCapture::imageSaved);
        const int id = rig.capture.capture(fileName);
        QVERIFY(id > 0);
        QVERIFY(captured.wait(5000));
        QCOMPARE(exposed.count(), 1);
        QCOMPARE(exposed.first().at(0).toInt(), id);
        QCOMPARE(captured.first().at(0).toInt(), id);
        const QImage picture = captured.first().at(1).value<QImage>();
        QCOMPARE(picture.size(), resolution);
        QVERIFY(looksLikePageOnDesk(picture));

        QTest::qWait(100);
        QCOMPARE(available.count(), toBuffer ? 1 : 0);
        if (toBuffer)
            QCOMPARE(available.first().at(1).value<QVideoFrame>().size(), resolution);
        QCOMPARE(saved.count(), savedAs.isEmpty() ? 0 : 1);
        if (!savedAs.isEmpty()) {
            QCOMPARE(QFileInfo(saved.first().at(1).toString()), QFileInfo(savedAs));
            QCOMPARE(QImage(savedAs).size(), resolution);
        }
        QStringList added = picturesUnder(QDir::homePath());
        for (const QString &before : picturesBefore + QStringList{QFileInfo(savedAs).absoluteFilePath()})
            added.removeAll(before);
        QVERIFY2(added.isEmpty(), qPrintable(added.join(", ")));
    }

    void adjustmentsChangeTheFrames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("brightness lifts the mean") << 0;
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

    void stoppedCameraKeepsLastPicture()
    {
        writeConfig(oneCamera(kDocCam, kResolutions));
        Rig rig;
        QVERIFY(rig.startAt(QSize(1280, 720)));
        rig.grabAfter(200);
        rig.camera.stop();
        QCOMPARE(rig.camera.state(), QCamera::LoadedState);
        const QImage frozen = rig.grabAfter(200);
        QVERIFY(looksLikePageOnDesk(frozen));
        QCOMPARE(rig.grabAfter(200), frozen);
        // A still of the frozen picture is still possible, at the applied size.
        QCOMPARE(rig.still().size(), QSize(1280, 720));

        rig.camera.start();
        QTRY_COMPARE_WITH_TIMEOUT(rig.camera.status(), QCamera::ActiveStatus, 3000);
        QVERIFY(rig.grabAfter(200) != frozen);
    }

    void unplugWhileRunning_data()
    {
        QTest::addColumn<QByteArray>("unplugged");
        QTest::newRow("present set to false") << oneCamera(kDocCam, kResolutions + ", \"present\": false");
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
