// Figures for the document image routines: detection per tick, the rotated
// cut, grey and black-and-white, and snapshot encoding through the save queue.

#include "RImageProc.h"
#include "RImageSaver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPainter>
#include <QTemporaryDir>
#include <QtMath>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

// Median milliseconds of `runs` calls after two warm-up calls.
double medianMs(int runs, const std::function<void()> &f)
{
    f();
    f();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
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

// The detection as plain OpenCV calls on the same frame, fresh buffers each time.
void barePipeline(const QImage &image)
{
    const cv::Mat bgra(image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()),
                       size_t(image.bytesPerLine()));
    cv::Mat grey, edges, closed;
    cv::cvtColor(bgra, grey, cv::COLOR_BGRA2GRAY);
    cv::Canny(grey, edges, 80.0, 126.0, 3, false);
    cv::morphologyEx(edges, closed, cv::MORPH_CLOSE, cv::Mat::ones(9, 9, CV_8UC1));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(closed, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    double best = 0;
    size_t index = 0;
    for (size_t i = 0; i < contours.size(); ++i) {
        const cv::Rect b = cv::boundingRect(contours[i]);
        if (double(b.width) * b.height > best) {
            best = double(b.width) * b.height;
            index = i;
        }
    }
    if (!contours.empty())
        cv::minAreaRect(contours[index]);
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

    std::printf("Detection per tick (median ms)\n");
    for (const QSize frame : {QSize(1920, 1080), QSize(3840, 2160)}) {
        const QImage img = deskWithPage(frame, 7.0);
        RRotatedRect rect;
        const double total = medianMs(30, [&] { RImageProc::detectRect(img, &rect); });
        const double bare = medianMs(30, [&] { barePipeline(img); });
        std::printf("  %dx%d  detectRect %.2f  bare OpenCV %.2f  ratio %.2f\n", frame.width(), frame.height(), total,
                    bare, total / bare);
    }

    std::printf("\nRotated-rectangle cut of a 4000x3000 capture (median ms)\n");
    {
        const QImage capture = deskWithPage(QSize(4000, 3000), 7.0);
        RRotatedRect rect;
        RImageProc::detectRect(capture, &rect);
        QImage a, b;
        const double direct = medianMs(7, [&] { a = RImageProc::cutRotatedRect(capture, rect); });
        const double full = medianMs(7, [&] { b = fullFrameCut(capture, rect); });
        std::printf("  patch %dx%d  direct warp %.1f  full-frame warp + patch %.1f  speed-up %.2f\n", a.width(),
                    a.height(), direct, full, full / direct);
    }

    std::printf("\nGrey and black-and-white of 4000x3000 (median ms)\n");
    {
        const QImage capture = deskWithPage(QSize(4000, 3000), 7.0);
        cv::Mat grey;
        const double cv = medianMs(15, [&] {
            cv::cvtColor(RImageProc::imageToMat(capture), grey, cv::COLOR_BGRA2GRAY);
        });
        const double g = medianMs(15, [&] { RImageProc::toGray(capture); });
        const double bwOtsu = medianMs(15, [&] { RImageProc::toThreadhold(capture, 0); });
        const double bwFixed = medianMs(15, [&] { RImageProc::toThreadhold(capture, 128); });
        const QImage rgb888 = capture.convertToFormat(QImage::Format_RGB888);
        const double g888 = medianMs(15, [&] { RImageProc::toGray(rgb888); });
        QElapsedTimer t;
        t.start();
        QImage slow(capture.size(), QImage::Format_Grayscale8);
        for (int x = 0; x < capture.width(); ++x)
            for (int y = 0; y < capture.height(); ++y) {
                const QRgb c = capture.pixel(x, y);
                slow.setPixel(x, y, uint((11 * qRed(c) + 16 * qGreen(c) + 5 * qBlue(c)) >> 5));
            }
        const double perPixel = t.nsecsElapsed() / 1e6;
        std::printf("  cvtColor BGRA2GRAY %.2f\n  toGray RGB32 %.2f (%.2fx cvtColor)\n  toGray RGB888 %.2f\n"
                    "  toThreadhold Otsu %.2f (%.2fx)\n  toThreadhold fixed %.2f (%.2fx)\n"
                    "  per-pixel accessors (one run) %.1f\n",
                    cv, g, g / cv, g888, bwOtsu, bwOtsu / cv, bwFixed, bwFixed / cv, perPixel);
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
            const double ms = medianMs(7, [&] {
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
