#pragma once

#include <QImage>
#include <QPoint>
#include <QPolygon>
#include <QRect>
#include <QSize>
#include <QTransform>

// How the camera picture is turned for showing: mirrored left-right and/or
// flipped top-bottom in its own pixels, then rotated by the picture rotation.
// Plain arithmetic, shared by the live picture, snapshots, PDF captures and
// detection so they all agree.
class RPictureOrientation
{
public:
    // Mirror and flip of a picture of `size` onto itself (self-inverse).
    static QTransform flipTransform(const QSizeF &size, bool mirror, bool flip);
    // Mirror and flip, then the rotation, moved so the result starts at (0, 0):
    // where a point of the camera picture lands in the saved picture.
    static QTransform transform(const QSizeF &size, int rotation, bool mirror, bool flip);

    // Between camera picture and shown picture (either way: self-inverse).
    static QPoint mapPoint(const QPoint &point, const QSize &size, bool mirror, bool flip);
    static QPolygon mapPolygon(const QPolygon &polygon, const QSize &size, bool mirror, bool flip);
    static QRect mapRect(const QRect &rect, const QSize &size, bool mirror, bool flip);

    // The picture mirrored, flipped and rotated as transform() says. Quarter
    // turns copy pixels exactly; other angles are resampled smoothly.
    static QImage apply(const QImage &image, int rotation, bool mirror, bool flip);
};
