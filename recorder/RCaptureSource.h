#pragma once
// Where the recorder's frames come from: the virtual document camera when
// VISORA_VIRTUAL_CAMERA lists one with the camera's description, otherwise
// the capture device through OpenCV.

#include <QSize>
#include <QString>

#include <opencv2/core.hpp>

#include <memory>

class RCaptureSource
{
public:
    virtual ~RCaptureSource() = default;

    // Blocks until the device's next frame; an empty frame when it has none.
    virtual bool read(cv::Mat &bgr) = 0;
    virtual bool isOpened() const = 0;

    // description: the camera's description; index: the capture device index.
    static std::unique_ptr<RCaptureSource> open(const QString &description, int index, const QSize &size);
};
