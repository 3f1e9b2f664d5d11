#include "RKeystone.h"

#include "RImageProc.h"

#include <QDebug>
#include <QLineF>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>

namespace {

cv::Vec3d homogeneous(const QPointF &p)
{
    return cv::Vec3d(p.x(), p.y(), 1.0);
}

double polygonArea(const std::vector<cv::Point2f> &poly)
{
    return poly.size() < 3 ? 0.0 : std::abs(cv::contourArea(poly));
}

} // namespace

QList<QPointF> RKeystone::ordered(const QList<QPointF> &points)
{
    if (points.size() != 4)
        return points;
    // Around the centre by angle, starting from the point nearest the top-left
    // diagonal: robust for quads turned up to 45 degrees either way.
    QPointF c;
    for (const QPointF &p : points)
        c += p / 4.0;
    QList<QPointF> sorted = points;
    std::sort(sorted.begin(), sorted.end(), [&c](const QPointF &a, const QPointF &b) {
        return std::atan2(a.y() - c.y(), a.x() - c.x()) < std::atan2(b.y() - c.y(), b.x() - c.x());
    });
    int first = 0;
    double best = 1e300;
    for (int i = 0; i < 4; ++i) {
        const double s = sorted[i].x() + sorted[i].y();
        if (s < best) {
            best = s;
            first = i;
        }
    }
    QList<QPointF> out;
    for (int i = 0; i < 4; ++i)
        out << sorted[(first + i) % 4];
    return out;
}

RKeystone::Quad RKeystone::fromContour(const std::vector<cv::Point> &contour)
{
    return fromContour(std::vector<cv::Point2f>(contour.begin(), contour.end()));
}

RKeystone::Quad RKeystone::fromContour(const std::vector<cv::Point2f> &points)
{
    Quad quad;
    if (points.size() < 3)
        return quad;
    try {
        std::vector<cv::Point2f> hull;
        cv::convexHull(points, hull);
        const double hullArea = polygonArea(hull);
        const double perimeter = cv::arcLength(hull, true);
        // The smallest simplification that leaves four corners, as long as
        // the quadrilateral still covers nearly all of the outline.
        std::vector<cv::Point2f> approx;
        for (double eps = 0.005; eps <= 0.08 && hullArea > 0; eps += 0.005) {
            cv::approxPolyDP(hull, approx, eps * perimeter, true);
            if (approx.size() < 4)
                break;
            if (approx.size() == 4) {
                if (cv::isContourConvex(approx) && polygonArea(approx) >= 0.9 * hullArea) {
                    QList<QPointF> corners;
                    for (const cv::Point2f &p : approx)
                        corners << QPointF(p.x, p.y);
                    quad.corners = ordered(corners);
                    quad.quadFound = true;
                    return quad;
                }
                break;
            }
        }
        const cv::RotatedRect box = cv::minAreaRect(points);
        cv::Point2f pts[4];
        box.points(pts);
        QList<QPointF> corners;
        for (const cv::Point2f &p : pts)
            corners << QPointF(p.x, p.y);
        quad.corners = ordered(corners);
    } catch (const cv::Exception &e) {
        qInfo() << "RKeystone::fromContour: catch" << e.what();
        quad.corners.clear();
    }
    return quad;
}

RKeystone::Quad RKeystone::detect(const QImage &image)
{
    return fromContour(RImageProc::largestOuterContour(image));
}

double RKeystone::aspectRatio(const QList<QPointF> &c, QSizeF picture)
{
    if (c.size() != 4)
        return 1.0;
    const QPointF tl = c[0], tr = c[1], br = c[2], bl = c[3];
    const double meanWidth = (QLineF(tl, tr).length() + QLineF(bl, br).length()) / 2.0;
    const double meanHeight = (QLineF(tl, bl).length() + QLineF(tr, br).length()) / 2.0;
    const double fallback = meanHeight > 0 ? meanWidth / meanHeight : 1.0;

    // Rectangle of unknown proportions seen by a pinhole camera: the corners
    // give the focal length and then the ratio of the sides.
    const cv::Vec3d m1 = homogeneous(tl), m2 = homogeneous(tr), m3 = homogeneous(bl), m4 = homogeneous(br);
    const double d2 = m2.cross(m4).dot(m3);
    const double d3 = m3.cross(m4).dot(m2);
    if (std::abs(d2) < 1e-9 || std::abs(d3) < 1e-9)
        return fallback;
    const double k2 = m1.cross(m4).dot(m3) / d2;
    const double k3 = m1.cross(m4).dot(m2) / d3;
    const cv::Vec3d n2 = k2 * m2 - m1;
    const cv::Vec3d n3 = k3 * m3 - m1;
    const double u0 = picture.width() / 2.0, v0 = picture.height() / 2.0;
    const double nz = n2[2] * n3[2];
    // With both pairs of opposite edges converging the corners tell the focal
    // length; with one pair parallel they cannot, and a document camera's
    // usual lens is assumed instead.
    double f2 = -1;
    const double scale = std::max(std::abs(n2[0]) + std::abs(n2[1]), std::abs(n3[0]) + std::abs(n3[1]));
    if (std::abs(nz) * std::max(u0, v0) * std::max(u0, v0) > 1e-3 * scale * scale)
        f2 = -((n2[0] * n3[0] - (n2[0] * n3[2] + n2[2] * n3[0]) * u0 + nz * u0 * u0)
               + (n2[1] * n3[1] - (n2[1] * n3[2] + n2[2] * n3[1]) * v0 + nz * v0 * v0))
             / nz;
    const double diagonal = std::hypot(picture.width(), picture.height());
    // Outside a plausible lens (about 20 to 120 degrees across the diagonal)
    // the estimate is noise from nearly parallel edges.
    const double lo = 0.29 * diagonal, hi = 2.8 * diagonal;
    const double f = f2 > lo * lo && f2 < hi * hi ? std::sqrt(f2) : kDefaultFocalPerDiagonal * diagonal;
    auto norm = [&](const cv::Vec3d &n) {
        // n' (A A')^-1 n with A = [f 0 u0; 0 f v0; 0 0 1]
        const double x = (n[0] - u0 * n[2]) / f;
        const double y = (n[1] - v0 * n[2]) / f;
        return x * x + y * y + n[2] * n[2];
    };
    const double r = std::sqrt(norm(n2) / norm(n3));
    return std::isfinite(r) && r > 0.05 && r < 20 ? r : fallback;
}

QSize RKeystone::outputSize(const QList<QPointF> &c, QSizeF picture)
{
    if (c.size() != 4)
        return QSize();
    const double height = std::max(QLineF(c[0], c[3]).length(), QLineF(c[1], c[2]).length());
    const double width = height * aspectRatio(c, picture);
    return QSize(int(std::lround(width)), int(std::lround(height)));
}

cv::Mat RKeystone::homography(const QList<QPointF> &c, QSize size)
{
    if (c.size() != 4 || size.isEmpty())
        return cv::Mat();
    const cv::Point2f src[4] = {{float(c[0].x()), float(c[0].y())}, {float(c[1].x()), float(c[1].y())},
                                {float(c[2].x()), float(c[2].y())}, {float(c[3].x()), float(c[3].y())}};
    const float w = float(size.width()), h = float(size.height());
    const cv::Point2f dst[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
    return cv::getPerspectiveTransform(src, dst);
}

QImage RKeystone::warp(const QImage &image, const QList<QPointF> &corners)
{
    if (image.isNull() || corners.size() != 4)
        return QImage();
    std::vector<cv::Point2f> poly;
    for (const QPointF &p : corners)
        poly.emplace_back(float(p.x()), float(p.y()));
    if (polygonArea(poly) < 16 || !cv::isContourConvex(poly))
        return QImage();
    const QSize size = outputSize(corners, image.size());
    // A page larger than four pictures is a broken quad, not a page.
    if (size.width() < 2 || size.height() < 2
        || qint64(size.width()) * size.height() > 4 * qint64(image.width()) * image.height())
        return QImage();
    try {
        const cv::Mat m = homography(corners, size);
        const QImage src = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                               ? image
                               : image.convertToFormat(QImage::Format_RGB32);
        QImage out(size, QImage::Format_RGB32);
        if (out.isNull())
            return out;
        cv::Mat dst(out.height(), out.width(), CV_8UC4, out.bits(), size_t(out.bytesPerLine()));
        cv::warpPerspective(RImageProc::imageToMat(src), dst, m, dst.size(), cv::INTER_CUBIC, cv::BORDER_REPLICATE);
        return out;
    } catch (const cv::Exception &e) {
        qInfo() << "RKeystone::warp: catch" << e.what();
        return QImage();
    }
}
