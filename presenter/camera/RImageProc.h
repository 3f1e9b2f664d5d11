#pragma once

#include <QImage>
#include <QList>
#include <QMetaType>
#include <QPoint>
#include <QSize>
#include <QVector>

#include <opencv2/core.hpp>

#include <vector>

// A rotated rectangle in picture pixels. The angle follows the older OpenCV
// convention, [-90, 0): the cut below relies on it, so it is normalised where
// a rectangle is read from OpenCV.
struct RRotatedRect
{
    float cx = 0;
    float cy = 0;
    float width = 0;
    float height = 0;
    float angle = 0;
    bool isValid() const;
};
Q_DECLARE_METATYPE(RRotatedRect)

// Document image routines. All static and free of widgets, so they run on any
// thread and in tests without a camera.
class RImageProc
{
public:
    // Wraps the picture's pixels (no copy); the caller keeps `image` alive.
    // 32-bit formats give 4 channels, Indexed8 one, RGB888 a BGR copy,
    // anything else is taken as 4 channels over the picture's rows.
    static cv::Mat imageToMat(const QImage &image);
    // 1 channel -> Indexed8 grey, 3 -> RGB888, 4 -> RGB32; the result owns its pixels.
    static QImage matToImage(const cv::Mat &mat);

    // The four corners (truncated) of the largest outer contour's minimum-area
    // rectangle, or an empty list; on success fills *rect (may be null).
    static QList<QPoint> detectRect(const QImage &image, RRotatedRect *rect);
    // Flips, as cv::flip codes; kNoFlip leaves the picture as it is.
    static constexpr int kNoFlip = 2;
    // detectRect as the live tick runs it: on the frame reduced (bilinear) to
    // at most `maxWidth` pixels wide, with corners and rectangle given where
    // the frame shows in `target`, fitted with its aspect kept and centred as
    // the viewfinder shows it (an empty target: the frame's own size). A
    // backend may deliver frames upside down or mirrored against the screen;
    // when `shown` (a small copy of the screen) is given, the frame is turned
    // the way that matches it first. `outline` (may be null) receives the
    // page's outline in the same coordinates as the corners.
    static QList<QPoint> detectRectShown(const QImage &frame, int maxWidth, const QSize &target, const QImage &shown,
                                         RRotatedRect *rect, std::vector<cv::Point2f> *outline = nullptr);
    // The largest outer outline of the picture's edges (by bounding box), or none.
    static std::vector<cv::Point> largestOuterContour(const QImage &image);
    // Upright patch of `rect`; a null picture for a degenerate rectangle or picture.
    static QImage cutRotatedRect(const QImage &image, const RRotatedRect &rect);

    // 100x100 one-channel grey frame for change detection (aspect ignored).
    static cv::Mat referenceFrame(const QImage &image);
    // Peak signal-to-noise ratio in dB; 0 for identical frames.
    static double framePsnr(const cv::Mat &a, const cv::Mat &b);

    // Grayscale8, value (11r + 16g + 5b) >> 5.
    static QImage toGray(const QImage &image);
    // Grayscale8, 255 where the grey value >= ival, else 0; ival < 1 uses Otsu.
    static QImage toThreadhold(const QImage &image, int ival);
    // Otsu threshold of the grey values, -1 for a null picture.
    static int otsuThreshold(const QImage &image);
    // 256 counters of the grey values (formula of toGray), one count per pixel.
    static QVector<qint64> greyHistogram(const QImage &image);
};
