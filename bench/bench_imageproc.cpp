// Figures for the document image routines: the detection tick as the camera
// runs it beside a bare resize + pipeline on the same frame, the rotated cut,
// grey and black-and-white, and snapshot encoding through the save queue.
//
//   VISORA_PLUGIN_DIR  folder holding mediaservice/libvirtualcam.so
//                      (default: ../bin/plugins beside this program)

#include "RCamera.h"
#include "BareDetection.h"
#include "BenchSupport.h"
#include "RImageProc.h"
#include "RImageSaver.h"
#include "RKeystone.h"
#include "RRectDetector.h"

#include <QApplication>
#include <QCamera>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QVideoProbe>
#include <QtMath>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace {


// Median milliseconds of `f` and of `g`, called in turn `runs` times after a
// warm-up, so both see the same load on a shared machine.
std::pair<double, double> pairedMs(int runs, const std::function<void()> &f, const std::function<void()> &g)
{
    f();
    g();
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        a.push_back(t.nsecsElapsed() / 1e6);
        t.start();
        g();
        b.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return {a[a.size() / 2], b[b.size() / 2]};
}

// A page with text lines lying tilted on a darker, striped desk.
QImage deskWithPage(QSize frame, double tilt)
{
    QImage img(frame, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            const int v = 70 + int(12 * qSin(x / 9.0) * qCos(y / 13.0)) + ((x * 7 + y * 13) % 5);
            line[x] = qRgb(v, v - 5, v + 5);
        }
    }
    const QSizeF page(frame.width() * 0.6, frame.height() * 0.75);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.translate(frame.width() / 2.0, frame.height() / 2.0);
    p.rotate(tilt);
    const QRectF r(-page.width() / 2, -page.height() / 2, page.width(), page.height());
    p.fillRect(r, QColor(236, 234, 228));
    for (int i = 0; i < 20; ++i)
        p.fillRect(QRectF(r.left() + page.width() * 0.1, r.top() + page.height() * (0.08 + i * 0.042),
                          page.width() * (0.5 + (i % 4) * 0.1), page.height() * 0.018),
                   QColor(40, 40, 50));
    return img;
}

// The tick's reduction and detection as plain OpenCV calls.
void bareResizePipeline(const QImage &image)
{
    const cv::Mat bgra(image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()),
                       size_t(image.bytesPerLine()));
    cv::Mat reduced;
    const int w = RRectDetector::kDetectWidth;
    cv::resize(bgra, reduced, cv::Size(w, int(std::lround(double(image.height()) * w / image.width()))), 0, 0,
               cv::INTER_LINEAR);
    BareDetection::pipeline(QImage(reduced.data, reduced.cols, reduced.rows, int(reduced.step), QImage::Format_RGB32));
}

// CPU milliseconds the calling thread has used: on a shared machine a wall
// clock also counts the time other programs held the core.
double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The tick of a live RCamera on the virtual camera showing `page`: the GUI
// thread's part (the slot the timer calls) and the whole tick up to the
// corners' signal, beside the bare reduction + pipeline on the delivered frame.
void liveTick(const QImage &page, int ticks)
{
    QTemporaryDir dir;
    page.save(dir.filePath(QStringLiteral("page.png")));
    const QString json = QStringLiteral(
                             "{\"cameras\":[{\"description\":\"Bench Document Camera\","
                             "\"deviceName\":\"usb#vid_1b17&pid_0501&mi_00#bench\",\"resolutions\":[\"%1x%2\"],"
                             "\"pixelFormats\":[\"jpeg\"],\"source\":\"page.png\",\"fps\":30}]}")
                             .arg(page.width())
                             .arg(page.height());
    QFile cfg(dir.filePath(QStringLiteral("virtualcam.json")));
    cfg.open(QIODevice::WriteOnly);
    cfg.write(json.toUtf8());
    cfg.close();
    qputenv("VISORA_VIRTUAL_CAMERA", cfg.fileName().toUtf8());

    // Not shown: painting the picture unscaled at camera size would compete
    // with the tick, which the presenter's scaled-down view never does
    // (bench_livecamera measures the live picture).
    RCamera camera;
    if (camera.initCamera(QStringLiteral("Bench Document Camera")).isEmpty()) {
        std::printf("  live tick: no camera opened\n");
        return;
    }
    QImage delivered;
    QVideoFrame deliveredFrame;
    QVideoProbe probe;
    probe.setSource(camera.camera());
    QObject::connect(&probe, &QVideoProbe::videoFrameProbed, [&](const QVideoFrame &f) {
        if (delivered.isNull()) {
            delivered = f.image();
            deliveredFrame = f;
        }
    });
    QElapsedTimer wait;
    wait.start();
    while ((delivered.isNull() || camera.pictureRect().isEmpty()) && wait.elapsed() < 15000) {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }
    if (delivered.isNull()) {
        std::printf("  live tick: no frame within 15 s\n");
        return;
    }
    const QImage frame = delivered.convertToFormat(QImage::Format_RGB32);
    std::vector<double> gui, guiCpu, whole, bare;
    int found = 0;
    for (int i = 0; i < ticks + 2; ++i) {
        QEventLoop loop;
        QList<QPoint> corners;
        const QMetaObject::Connection c = QObject::connect(&camera, &RCamera::detectRect4Point,
                                                           [&](QList<QPoint> p) {
                                                               corners = p;
                                                               loop.quit();
                                                           });
        QTimer::singleShot(5000, &loop, &QEventLoop::quit);
        QElapsedTimer t;
        const double cpu0 = threadCpuMs();
        t.start();
        camera.detectImageRectObject();
        const double g = t.nsecsElapsed() / 1e6;
        const double gc = threadCpuMs() - cpu0;
        loop.exec();
        const double w = t.nsecsElapsed() / 1e6;
        QObject::disconnect(c);
        // In turn with the tick, so both see the same load.
        t.start();
        bareResizePipeline(frame);
        const double b = t.nsecsElapsed() / 1e6;
        if (i < 2)
            continue; // warm-up: the worker thread starts on the first tick
        gui.push_back(g);
        guiCpu.push_back(gc);
        whole.push_back(w);
        bare.push_back(b);
        found += corners.size() == 4 ? 1 : 0;
    }
    // The worker's part alone: the same slot called in place on the same
    // delivered frame, so thread hand-overs and the load between them drop out.
    RRectDetector detector;
    const QImage shown = frame.scaledToWidth(48);
    const auto [worker, bareAgain] = pairedMs(
        ticks, [&] { detector.detect(deliveredFrame, camera.size(), shown, 0); }, [&] { bareResizePipeline(frame); });
    std::printf("  live RCamera %dx%d: the worker's part in place %.2f; bare resize + pipeline %.2f; ratio %.2f\n",
                frame.width(), frame.height(), worker, bareAgain, worker / bareAgain);
    std::printf("  live RCamera %dx%d: GUI thread %.2f CPU (%.2f wall) per tick, tick to corners %.2f; bare resize + "
                "pipeline %.2f; ratio %.2f (%d of %d ticks found the page)\n",
                frame.width(), frame.height(), median(guiCpu), median(gui), median(whole), median(bare),
                median(whole) / median(bare), found,
                int(whole.size()));
}

// The cut as first described: drop alpha, warp the whole frame, take the patch.
QImage fullFrameCut(const QImage &image, const RRotatedRect &rect)
{
    cv::Mat bgr, warped, patch;
    cv::cvtColor(RImageProc::imageToMat(image), bgr, cv::COLOR_BGRA2BGR);
    const cv::Point2f centre(rect.cx, rect.cy);
    cv::warpAffine(bgr, warped, cv::getRotationMatrix2D(centre, rect.angle + 90.0, 1.0), bgr.size(), cv::INTER_CUBIC,
                   cv::BORDER_CONSTANT, cv::Scalar::all(0));
    cv::getRectSubPix(warped, cv::Size(cvRound(rect.height), cvRound(rect.width)), centre, patch);
    return RImageProc::matToImage(patch);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false"));
    std::printf("OpenCV threads: %d\n\n", cv::getNumThreads());

    std::printf("Detection tick: the frame reduced to %d wide (bilinear) and searched, as the camera's worker runs "
                "it, beside the same as plain OpenCV calls (median ms)\n",
                RRectDetector::kDetectWidth);
    for (const QSize frame : {QSize(1920, 1080), QSize(3264, 2448), QSize(3840, 2160)}) {
        const QImage img = deskWithPage(frame, 7.0);
        const QImage shown = img.scaledToWidth(48);
        RRotatedRect rect;
        std::vector<cv::Point2f> outline;
        // With the page's quadrilateral, as the worker finds it every tick.
        const auto [tick, bare] = pairedMs(
            30,
            [&] {
                RImageProc::detectRectShown(img, RRectDetector::kDetectWidth, img.size(), shown, &rect, &outline);
                RKeystone::fromContour(outline);
            },
            [&] { bareResizePipeline(img); });
        std::printf("  %dx%d  tick %.2f  bare resize + pipeline %.2f  ratio %.2f\n", frame.width(), frame.height(),
                    tick, bare, tick / bare);
    }
    {
        QString pluginDir = QString::fromLocal8Bit(qgetenv("VISORA_PLUGIN_DIR"));
        if (pluginDir.isEmpty())
            pluginDir = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bin/plugins"));
        QCoreApplication::addLibraryPath(pluginDir);
        liveTick(deskWithPage(QSize(3264, 2448), 7.0), 30);
    }

    std::printf("\nRotated-rectangle cut of a 4000x3000 capture (median ms)\n");
    {
        const QImage capture = deskWithPage(QSize(4000, 3000), 7.0);
        RRotatedRect rect;
        RImageProc::detectRect(capture, &rect);
        QImage a, b;
        const double direct = BenchSupport::medianMs(7, [&] { a = RImageProc::cutRotatedRect(capture, rect); });
        const double full = BenchSupport::medianMs(7, [&] { b = fullFrameCut(capture, rect); });
        std::printf("  patch %dx%d  direct warp %.1f  full-frame warp + patch %.1f  speed-up %.2f\n", a.width(),
                    a.height(), direct, full, full / direct);
    }

    std::printf("\nGrey and black-and-white of 4000x3000 (median ms)\n");
    {
        const QImage capture = deskWithPage(QSize(4000, 3000), 7.0);
        cv::Mat grey;
        const double cv = BenchSupport::medianMs(15, [&] {
            cv::cvtColor(RImageProc::imageToMat(capture), grey, cv::COLOR_BGRA2GRAY);
        });
        const double g = BenchSupport::medianMs(15, [&] { RImageProc::toGray(capture); });
        const double bwOtsu = BenchSupport::medianMs(15, [&] { RImageProc::toThreadhold(capture, 0); });
        const double bwFixed = BenchSupport::medianMs(15, [&] { RImageProc::toThreadhold(capture, 128); });
        const QImage rgb888 = capture.convertToFormat(QImage::Format_RGB888);
        const double g888 = BenchSupport::medianMs(15, [&] { RImageProc::toGray(rgb888); });
        std::printf("  cvtColor BGRA2GRAY %.2f\n  toGray RGB32 %.2f (%.2fx cvtColor)\n  toGray RGB888 %.2f\n"
                    "  toThreadhold Otsu %.2f (%.2fx)\n  toThreadhold fixed %.2f (%.2fx)\n",
                    cv, g, g / cv, g888, bwOtsu, bwOtsu / cv, bwFixed, bwFixed / cv);
    }

    std::printf("\nScene snapshot 1920x1080 through RImageSaver, request to finished (median ms)\n");
    {
        QImage snap = deskWithPage(QSize(1920, 1080), 0.0).convertToFormat(QImage::Format_ARGB32);
        QPainter p(&snap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(255, 16, 0), 6));
        for (int i = 0; i < 12; ++i)
            p.drawLine(200 + i * 120, 300, 300 + i * 110, 800 - i * 20);
        p.end();
        QTemporaryDir dir;
        RImageSaver *saver = RImageSaver::instance();
        for (const char *ext : {"jpg", "png"}) {
            int n = 0;
            const double ms = BenchSupport::medianMs(7, [&] {
                saver->saveImage(snap, dir.filePath(QStringLiteral("snap%1.%2").arg(n++).arg(ext)));
                saver->waitForIdle();
            });
            std::printf("  %s %.1f\n", ext, ms);
        }
        QElapsedTimer t;
        t.start();
        saver->saveImage(snap, dir.filePath(QStringLiteral("queued.png")));
        const double queue = t.nsecsElapsed() / 1e6;
        saver->waitForIdle();
        std::printf("  time the calling thread spends in saveImage %.3f\n", queue);
    }
    return 0;
}
