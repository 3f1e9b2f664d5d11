#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QVideoFrame>

#include "RImageProc.h"

class QWidget;

// Document detection of the live picture, in a thread of its own: takes one
// delivered frame at a time and reports the corners where the viewfinder
// shows them. The GUI thread only hands over the frame.
class RRectDetector : public QObject
{
    Q_OBJECT
public:
    // Width of the reduced picture the detection works on.
    static constexpr int kDetectWidth = 1024;

    explicit RRectDetector(QObject *parent = nullptr);

    // GUI thread: what `viewfinder` shows in `area` (its own pixels), drawn
    // `width` pixels wide without smoothing, which costs next to nothing.
    static QImage shownPicture(QWidget *viewfinder, const QRect &area, int width);

public slots:
    // `target` is the viewfinder's size, `shown` a small copy of what it
    // shows (may be null); `ticket` comes back with the result.
    void detect(const QVideoFrame &frame, const QSize &target, const QImage &shown, int ticket);

signals:
    // `quad`: the page's four corners (top-left first, clockwise) for the
    // perspective correction, or the rectangle's when no quadrilateral fits;
    // empty when nothing was found.
    void detected(QList<QPoint> points, RRotatedRect rect, QList<QPointF> quad, int ticket);
};
