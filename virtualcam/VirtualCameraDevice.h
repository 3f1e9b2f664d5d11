#pragma once
// One camera entry of the configuration file, with defaults already filled in.

#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QVideoFrame>

struct VirtualCameraDevice
{
    QString description;
    QString deviceName;
    QList<QSize> resolutions;
    QList<QVideoFrame::PixelFormat> pixelFormats;
    // Absolute path of a picture, or empty for the generated desk scene.
    QString source;
    // Where the generated page's corners lie, as fractions of the frame
    // (top-left, top-right, bottom-right, bottom-left); empty: flat on the desk.
    QList<QPointF> pageCorners;
    qreal fps = 30.0;
    // Every frame carries its capture time as black and white cells (for sync measurements).
    bool syncMarks = false;
    bool present = true;
    bool busy = false;

    bool isValid() const { return !deviceName.isEmpty(); }
};
