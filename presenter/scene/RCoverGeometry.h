#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QTransform>

// Watermark arithmetic kept apart from the item so it can be checked on its own.
class RCoverGeometry
{
public:
    // Item rotation in the scene: the tilt the teacher chose, less the
    // picture's turn (the view turns the whole scene back by that much).
    // The remainder keeps the sign of the dividend.
    static int itemRotation(int coverRotation, int pictureAngle);
    // New size after a right-button drag of (dx, dy); never below 3 x 3.
    static QSize resized(QSize size, int dx, int dy);

    struct Placement
    {
        QImage image;    // the watermark as the scene shows it, upright in picture pixels
        QPointF centre;  // its centre in picture pixels
    };
    // The rendered watermark turned as the item is turned in the scene, and
    // its centre in camera-picture pixels. `itemToPicture` maps item
    // coordinates to the picture (the item's scene transform less the
    // picture's position).
    static Placement placeOnPicture(const QImage &rendered, const QTransform &itemToPicture);
};
