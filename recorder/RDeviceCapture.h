#pragma once
// A capture device through OpenCV, asked for the size and for Motion JPEG.

#include "RCaptureSource.h"

#include <opencv2/videoio.hpp>

class RDeviceCapture : public RCaptureSource
{
public:
    RDeviceCapture(int index, const QSize &size);
    ~RDeviceCapture() override;

    bool read(cv::Mat &bgr) override;
    bool isOpened() const override { return m_capture.isOpened(); }

private:
    cv::VideoCapture m_capture;
};
