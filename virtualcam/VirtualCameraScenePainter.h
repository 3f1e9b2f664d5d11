#pragma once
// Draws the generated camera picture: a printed worksheet lying slightly
// rotated on a dark wooden desk, and a small LED clock on the desk whose
// digits change with every frame. The page has strong, straight edges
// against the desk so document detection has something real to find.

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QTime>

class VirtualCameraScenePainter
{
public:
    // The still part of the picture; the same size always gives the same
    // picture. `pageCorners` (fractions of the frame, top-left first,
    // clockwise) place the page as a camera looking at it askew sees it.
    static QImage paintScene(const QSize &size, const QList<QPointF> &pageCorners = {});

    // Where the clock sits in a frame of that size; it covers the rectangle opaquely.
    static QRect clockRect(const QSize &size);

    static void paintClock(QImage &frame, const QRect &rect, const QTime &time, quint64 frameNumber);

private:
    static void paintDesk(QImage &image);
    static void paintPage(QImage &image, const QRect &clock, const QList<QPointF> &corners);
};
