// Perspective correction beside the bare OpenCV calls on the same frames:
// detection of the page's corners (the program's pipeline with the
// quadrilateral fit against Canny + closing + contours + minAreaRect), and the
// warp of a full capture against cv::warpPerspective alone.

#include "BareDetection.h"
#include "BenchSupport.h"
#include "RImageProc.h"
#include "RKeystone.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QPainter>
#include <QtMath>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {


// A page seen from an arm leaning 20 degrees forward: a trapezoid on a desk.
QImage trapezoidPage(QSize frame)
{
    QImage img(frame, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            const int v = 70 + int(12 * qSin(x / 9.0) * qCos(y / 13.0));
            line[x] = qRgb(v, v - 5, v + 5);
        }
    }
    const double w = frame.width(), h = frame.height();
    QPolygonF quad;
    quad << QPointF(w * 0.30, h * 0.12) << QPointF(w * 0.70, h * 0.10) << QPointF(w * 0.78, h * 0.90)
         << QPointF(w * 0.22, h * 0.88);
    QPolygonF page;
    page << QPointF(0, 0) << QPointF(210, 0) << QPointF(210, 297) << QPointF(0, 297);
    QTransform t;
    QTransform::quadToQuad(page, quad, t);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(t);
    p.fillRect(QRectF(0, 0, 210, 297), QColor(236, 234, 228));
    for (int i = 0; i < 20; ++i)
        p.fillRect(QRectF(20, 20 + i * 12.5, 100 + (i % 4) * 20, 5), QColor(40, 40, 50));
    return img;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules("*.debug=false\n*.info=false");
    std::printf("%-44s %10s %10s %7s\n", "keystone correction", "ours ms", "bare ms", "ratio");

    for (const QSize frame : {QSize(1024, 768), QSize(1920, 1080), QSize(3264, 2448)}) {
        const QImage image = trapezoidPage(frame);
        bool found = false;
        const double ours = BenchSupport::medianMs(15, [&] { found = RKeystone::detect(image).quadFound; });
        const double bare = BenchSupport::medianMs(15, [&] { BareDetection::pipeline(image); });
        std::printf("detect corners %4dx%-4d (quad found: %-3s)     %10.2f %10.2f %7.2f\n", frame.width(),
                    frame.height(), found ? "yes" : "no", ours, bare, ours / bare);
    }

    const QImage capture = trapezoidPage(QSize(3264, 2448));
    const RKeystone::Quad quad = RKeystone::detect(capture);
    if (!quad.isValid()) {
        std::printf("no page found in the capture\n");
        return 1;
    }
    const QSize size = RKeystone::outputSize(quad.corners, capture.size());
    const double ours = BenchSupport::medianMs(7, [&] { (void)RKeystone::warp(capture, quad.corners); });
    const double bare = BenchSupport::medianMs(7, [&] {
        cv::Mat out;
        cv::warpPerspective(RImageProc::imageToMat(capture), out, RKeystone::homography(quad.corners, size),
                            cv::Size(size.width(), size.height()), cv::INTER_CUBIC, cv::BORDER_REPLICATE);
    });
    std::printf("warp 3264x2448 capture to %4dx%-4d             %10.2f %10.2f %7.2f\n", size.width(), size.height(),
                ours, bare, ours / bare);
    return 0;
}
