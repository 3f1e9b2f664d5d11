#pragma once
// The document detection as plain OpenCV calls, fresh buffers each time: the
// bare counterpart the detection benches print beside the program's own.

#include <QImage>

#include <opencv2/imgproc.hpp>

#include <vector>

namespace BareDetection {

// Grey, edges, closing, the largest outer contour by bounding box and its
// minimum-area rectangle, on a 32-bit picture.
inline void pipeline(const QImage &image)
{
    const cv::Mat bgra(image.height(), image.width(), CV_8UC4, const_cast<uchar *>(image.constBits()),
                       size_t(image.bytesPerLine()));
    cv::Mat grey, edges, closed;
    cv::cvtColor(bgra, grey, cv::COLOR_BGRA2GRAY);
    cv::Canny(grey, edges, 80.0, 126.0, 3, false);
    cv::morphologyEx(edges, closed, cv::MORPH_CLOSE, cv::Mat::ones(9, 9, CV_8UC1));
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(closed, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_SIMPLE);
    double best = 0;
    size_t index = 0;
    for (size_t i = 0; i < contours.size(); ++i) {
        const cv::Rect b = cv::boundingRect(contours[i]);
        if (double(b.width) * b.height > best) {
            best = double(b.width) * b.height;
            index = i;
        }
    }
    if (!contours.empty())
        (void)cv::minAreaRect(contours[index]);
}

} // namespace BareDetection
