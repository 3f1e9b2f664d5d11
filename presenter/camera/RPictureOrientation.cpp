#include "RPictureOrientation.h"

QTransform RPictureOrientation::flipTransform(const QSizeF &size, bool mirror, bool flip)
{
    return QTransform(mirror ? -1 : 1, 0, 0, flip ? -1 : 1, mirror ? size.width() : 0, flip ? size.height() : 0);
}

QTransform RPictureOrientation::transform(const QSizeF &size, int rotation, bool mirror, bool flip)
{
    const QTransform turned = flipTransform(size, mirror, flip) * QTransform().rotate(rotation);
    const QRectF bounds = turned.mapRect(QRectF(QPointF(0, 0), size));
    return turned * QTransform::fromTranslate(-bounds.left(), -bounds.top());
}

QPoint RPictureOrientation::mapPoint(const QPoint &point, const QSize &size, bool mirror, bool flip)
{
    return flipTransform(size, mirror, flip).map(point);
}

QPolygon RPictureOrientation::mapPolygon(const QPolygon &polygon, const QSize &size, bool mirror, bool flip)
{
    return flipTransform(size, mirror, flip).map(polygon);
}

QRect RPictureOrientation::mapRect(const QRect &rect, const QSize &size, bool mirror, bool flip)
{
    // Through QRectF: pixel edges, so a rectangle keeps its size exactly.
    return flipTransform(size, mirror, flip).mapRect(QRectF(rect)).toRect();
}

QImage RPictureOrientation::apply(const QImage &image, int rotation, bool mirror, bool flip)
{
    if (image.isNull())
        return image;
    // A flip is a mirror and a half turn: at most one mirror and one turn,
    // both of which Qt does as plain pixel copies for quarter turns.
    int turn = (rotation + (flip ? 180 : 0)) % 360;
    if (turn < 0)
        turn += 360;
    const bool mirrorOnly = mirror != flip;
    QImage out = mirrorOnly ? image.mirrored(true, false) : image;
    if (turn != 0)
        out = out.transformed(QTransform().rotate(turn), Qt::SmoothTransformation);
    return out;
}
