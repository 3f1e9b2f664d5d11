#include "RRectDetector.h"

#include "RKeystone.h"

#include <QPainter>
#include <QRegion>
#include <QWidget>

RRectDetector::RRectDetector(QObject *parent)
    : QObject(parent)
{
    qRegisterMetaType<QVideoFrame>();
    qRegisterMetaType<RRotatedRect>();
    qRegisterMetaType<QList<QPoint>>();
    qRegisterMetaType<QList<QPointF>>();
}

void RRectDetector::detect(const QVideoFrame &frame, const QSize &target, const QImage &shown, int ticket)
{
    RRotatedRect rect;
    QList<QPoint> points;
    // Outline buffer kept between ticks, like the edge work's own.
    thread_local std::vector<cv::Point2f> outline;
    QVideoFrame mapped(frame);
    const QImage::Format format = QVideoFrame::imageFormatFromPixelFormat(mapped.pixelFormat());
    if (format != QImage::Format_Invalid && mapped.map(QAbstractVideoBuffer::ReadOnly)) {
        // Reads the delivered pixels in place: no copy of the full frame.
        const QImage view(mapped.bits(), mapped.width(), mapped.height(), mapped.bytesPerLine(), format);
        points = RImageProc::detectRectShown(view, kDetectWidth, target, shown, &rect, &outline);
        mapped.unmap();
    } else {
        // Compressed or planar frames: Qt converts them first.
        points = RImageProc::detectRectShown(frame.image(), kDetectWidth, target, shown, &rect, &outline);
    }
    // The outline is already in the viewfinder's pixels: the quad costs a
    // hull and a few simplifications of it, nothing beside the edge work.
    const QList<QPointF> quad = points.isEmpty() ? QList<QPointF>() : RKeystone::fromContour(outline).corners;
    emit detected(points, rect, quad, ticket);
}

QImage RRectDetector::shownPicture(QWidget *viewfinder, const QRect &area, int width)
{
    if (!viewfinder || area.isEmpty() || width < 1)
        return QImage();
    const double f = double(width) / area.width();
    QImage picture(width, qMax(1, qRound(area.height() * f)), QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    painter.scale(f, f);
    painter.translate(-area.topLeft());
    viewfinder->render(&painter, area.topLeft(), QRegion(area), QWidget::DrawChildren);
    return picture;
}
