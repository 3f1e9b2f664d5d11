#pragma once
// Produces the camera's frames on whatever thread owns it. The still part of
// the picture (desk and page, or the source picture) is rendered once per
// size, source and adjustment; each frame then only repaints the small clock.
// Frames come from a small pool of buffers that are reused once every
// consumer has let go of them, so a steady stream allocates nothing.

#include "VirtualCameraAdjustment.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

class VirtualCameraFrameSource
{
public:
    struct Parameters
    {
        QSize size;
        QString source; // empty: the generated desk scene
        QList<QPointF> pageCorners; // of the generated page, fractions of the frame
        qreal brightness = 0.0;
        qreal contrast = 0.0;
        qreal saturation = 0.0;
        bool syncMarks = false; // code the capture time into every frame
    };

    void setParameters(const Parameters &parameters);

    // An RGB32 frame of the requested size; null when the size is not valid.
    // captureNs: the frame's capture time on CLOCK_MONOTONIC, which the sync
    // marks show; negative means now.
    QImage nextFrame(int64_t captureNs = -1);

private:
    struct Buffer
    {
        QImage image;
        quint64 generation = 0;
    };

    void prepare();
    QImage scaledPicture();
    bool loadPicture();
    Buffer *freeBuffer();

    Parameters m_parameters;
    bool m_baseStale = true;
    bool m_stillStale = true;
    QImage m_base;  // unadjusted still picture
    QImage m_still; // adjusted still picture, what every frame starts from
    bool m_pattern = true;
    QRect m_clock;
    VirtualCameraAdjustment m_adjustment;
    quint64 m_generation = 1;
    quint64 m_frameNumber = 0;
    std::vector<Buffer> m_pool;

    // The decoded source picture, kept while the file is unchanged.
    QString m_pictureKey;
    QImage m_picture;
};
