// The virtual document camera at work, driven the way the presenter drives a
// real one: the moving pattern in place of a bad picture, a 4K frame, sync
// marks. Unplugging, formats and adjustments through the presenter:
// tst_rcamera and tst_rcameracapture.

#include "VisoraTest.h"

#include "VirtualCamTestSupport.h"
#include "VirtualCameraSyncMarks.h"

#include <QCamera>
#include <QCameraImageCapture>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QSignalSpy>

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

    Rig()
        : camera(QCameraInfo(QByteArray(kDocCam)))
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

    // The next still picture; null when none comes.
    QImage still()
    {
        QSignalSpy captured(&capture, &QCameraImageCapture::imageCaptured);
        capture.capture();
        return QTest::qWaitFor([&] { return !captured.isEmpty(); }, 5000) ? captured.first().at(1).value<QImage>() : QImage();
    }
};

} // namespace

class TestVirtualCamStream : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { qunsetenv("VISORA_VIRTUAL_CAMERA"); }

    // Anything but a readable picture falls back to the moving pattern rather
    // than a blank frame, at any size the camera offers.
    void patternInPlaceOfABadPicture_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QSize>("resolution");
        QTest::addColumn<QVideoFrame::PixelFormat>("format"); // invalid: the default, JPEG
        const auto none = QVideoFrame::Format_Invalid;
        QTest::newRow("pattern, 3840x2160 yuyv") << QStringLiteral("pattern") << QSize(3840, 2160) << QVideoFrame::Format_YUYV;
        QTest::newRow("missing file") << QStringLiteral("no-such-page.png") << QSize(1280, 720) << none;
        QTest::newRow("text named like a picture") << fixture("not-a-picture.png") << QSize(1280, 720) << none;
        QTest::newRow("header claims a gigantic picture") << fixture("huge-header.png") << QSize(1280, 720) << none;
    }

    void patternInPlaceOfABadPicture()
    {
        QFETCH(QString, source);
        QFETCH(QSize, resolution);
        QFETCH(QVideoFrame::PixelFormat, format);
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"source\": \"" + source.toUtf8() + "\""));

        Rig rig;
        QVERIFY(rig.startAt(resolution, format));
        QTRY_COMPARE_WITH_TIMEOUT(rig.viewfinder.sizeHint(), resolution, 3000);
        const QImage frame = rig.still();
        QCOMPARE(frame.size(), resolution);
        const QImage first = rig.grabAfter(200);
        QVERIFY(rig.grabAfter(200) != first);
        QVERIFY(looksLikePageOnDesk(frame));
        QVERIFY(looksLikePageOnDesk(first));
        // Sync marks only when asked for.
        const QImage grey = frame.convertToFormat(QImage::Format_Grayscale8);
        QVERIFY(!VirtualCameraSyncMarks::read(grey.constBits(), grey.bytesPerLine(), grey.size()).valid);
    }

    // With sync marks a still picture reads back the moment it was taken.
    void syncMarksCarryTheClock()
    {
        writeConfig(oneCamera(kDocCam, kResolutions + ", \"syncMarks\": true"));
        Rig rig;
        QVERIFY(rig.startAt(QSize(1280, 720)));
        // The still is the newest frame, made up to a frame interval before the request.
        const int64_t before = VirtualCameraSyncMarks::monotonicNowNs() / 1'000'000 - 40;
        const QImage still = rig.still().convertToFormat(QImage::Format_Grayscale8);
        const int64_t after = VirtualCameraSyncMarks::monotonicNowNs() / 1'000'000;
        QCOMPARE(still.size(), QSize(1280, 720));
        const VirtualCameraSyncMarks::Reading r =
            VirtualCameraSyncMarks::read(still.constBits(), still.bytesPerLine(), still.size());
        QVERIFY(r.valid);
        // The code counts milliseconds modulo 256 s.
        const int64_t cycle = 256'000;
        const int64_t sinceBefore = ((r.second * 1000 + r.phaseMs) - before % cycle + cycle) % cycle;
        QVERIFY2(sinceBefore <= after - before, qPrintable(QString::number(sinceBefore)));
        QCOMPARE(r.flash, r.phaseMs < 100);
    }
};

VISORA_TEST_MAIN(TestVirtualCamStream)
#include "tst_virtualcamstream.moc"
