#pragma once
// A light page with lines of print and a red mark at its top-left, lying on a
// darker textured desk, as a pinhole camera with its principal point at the
// picture's centre sees it: tilted out of the desk's plane by tiltX and tiltY,
// turned on it by spin (degrees). At distance == focal a flat page's units are
// the picture's pixels.

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QtMath>

namespace PageOnDesk {

struct Shot
{
    QImage image;
    QPolygonF corners; // in the picture: TL TR BR BL
};

inline Shot photograph(QSize frame, QSizeF page, double tiltX, double tiltY, double spin, double focal,
                       double distance = 0)
{
    const double ax = qDegreesToRadians(tiltX), ay = qDegreesToRadians(tiltY), az = qDegreesToRadians(spin);
    const double z0 = distance > 0 ? distance : focal;
    auto project = [&](QPointF p) {
        const double x = p.x() - page.width() / 2, y = p.y() - page.height() / 2;
        const double x1 = x * qCos(az) - y * qSin(az), y1 = x * qSin(az) + y * qCos(az);
        const double x2 = x1 * qCos(ay), z2 = -x1 * qSin(ay);
        const double y3 = y1 * qCos(ax) - z2 * qSin(ax), z3 = y1 * qSin(ax) + z2 * qCos(ax) + z0;
        return QPointF(focal * (x2 + 12) / z3 + frame.width() / 2.0, focal * (y3 - 9) / z3 + frame.height() / 2.0);
    };
    const QPolygonF flat(QRectF(QPointF(0, 0), page));
    Shot shot;
    for (int e = 0; e < 4; ++e)
        shot.corners << project(flat[e]);
    shot.image = QImage(frame, QImage::Format_RGB32);
    for (int y = 0; y < frame.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(shot.image.scanLine(y));
        for (int x = 0; x < frame.width(); ++x) {
            const int v = 72 + int(10 * qSin(x / 11.0) * qCos(y / 7.0));
            line[x] = qRgb(v + 10, v, v - 8);
        }
    }
    QTransform t;
    QTransform::quadToQuad(flat.mid(0, 4), shot.corners, t);
    QPainter p(&shot.image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setTransform(t);
    p.fillRect(QRectF(QPointF(0, 0), page), QColor(238, 236, 230));
    const double w = page.width(), h = page.height();
    for (int line = 0; line < 10; ++line)
        p.fillRect(QRectF(w * 0.15, h * (0.15 + line * 0.07), w * (0.5 + (line % 3) * 0.1), h * 0.025), QColor(40, 40, 48));
    p.fillRect(QRectF(w * 0.05, h * 0.05, w * 0.08, h * 0.08), QColor(220, 20, 20));
    return shot;
}

} // namespace PageOnDesk
