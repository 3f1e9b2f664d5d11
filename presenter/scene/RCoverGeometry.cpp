#include "RCoverGeometry.h"

#include <algorithm>

int RCoverGeometry::itemRotation(int coverRotation, int pictureAngle)
{
    return (coverRotation - pictureAngle) % 360;
}

QSize RCoverGeometry::resized(QSize size, int dx, int dy)
{
    return QSize(std::max(3, size.width() + dx), std::max(3, size.height() + dy));
}

RCoverGeometry::Placement RCoverGeometry::placeOnPicture(const QImage &rendered, const QTransform &itemToPicture)
{
    Placement out;
    if (rendered.isNull())
        return out;
    const QPointF centre = itemToPicture.map(QPointF(rendered.width() / 2.0, rendered.height() / 2.0));
    // Only the turn matters for the picture: the translation is the centre.
    const QTransform turn(itemToPicture.m11(), itemToPicture.m12(), itemToPicture.m21(), itemToPicture.m22(), 0, 0);
    out.image = turn.isIdentity() ? rendered : rendered.transformed(turn, Qt::SmoothTransformation);
    out.centre = centre;
    return out;
}
