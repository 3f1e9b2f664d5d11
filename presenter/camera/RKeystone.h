#pragma once

#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>

#include <opencv2/core.hpp>

#include <vector>

// Perspective correction of a page photographed at an angle: its four corners
// from the outline, the page's true proportions from those corners, and the
// warp that makes it a flat rectangle again. GUI-free; runs on any thread.
class RKeystone
{
public:
    // Corners in picture pixels, ordered top-left, top-right, bottom-right,
    // bottom-left. `quadFound` tells whether a convex quadrilateral fitted the
    // outline; otherwise the corners are those of its minimum-area rectangle.
    struct Quad {
        QList<QPointF> corners;
        bool quadFound = false;
        bool isValid() const { return corners.size() == 4; }
    };

    // The page's corners from the largest outer outline of the picture, or an
    // invalid quad when there is none.
    static Quad detect(const QImage &image);
    // The same from an outline already found (picture pixels).
    static Quad fromContour(const std::vector<cv::Point> &contour);
    // The same from an outline already mapped to sub-pixel coordinates.
    static Quad fromContour(const std::vector<cv::Point2f> &contour);
    // Orders four points top-left, top-right, bottom-right, bottom-left.
    static QList<QPointF> ordered(const QList<QPointF> &points);
    // Focal length over the picture's diagonal assumed when the corners cannot
    // tell it: a lens of about 67 degrees across the diagonal.
    static constexpr double kDefaultFocalPerDiagonal = 0.75;
    // Width / height of the flat page whose picture the corners are, for a
    // pinhole camera whose principal point is the picture's centre.
    static double aspectRatio(const QList<QPointF> &corners, QSizeF picture);
    // Size of the corrected page: the longer of the picture's side edges as its
    // height, the width from the aspect ratio.
    static QSize outputSize(const QList<QPointF> &corners, QSizeF picture);
    // 3x3 matrix taking picture pixels to the corrected page of `size`.
    static cv::Mat homography(const QList<QPointF> &corners, QSize size);
    // The corrected page, or a null picture for degenerate corners.
    static QImage warp(const QImage &image, const QList<QPointF> &corners);
};
