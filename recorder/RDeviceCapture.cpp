#include "RDeviceCapture.h"

#include "RVirtualCapture.h"

#include <QDebug>
#include <QThread>

std::unique_ptr<RCaptureSource> RCaptureSource::open(const QString &description, int index, const QSize &size)
{
    if (RVirtualCapture::configured(description))
        return std::make_unique<RVirtualCapture>(description, size);
    return std::make_unique<RDeviceCapture>(index, size);
}

RDeviceCapture::RDeviceCapture(int index, const QSize &size)
{
    if (index >= 0)
        m_capture.open(index, cv::CAP_ANY);
    m_capture.set(cv::CAP_PROP_FRAME_WIDTH, double(size.width()));
    m_capture.set(cv::CAP_PROP_FRAME_HEIGHT, double(size.height()));
    m_capture.set(cv::CAP_PROP_FOURCC, double(cv::VideoWriter::fourcc('M', 'J', 'P', 'G')));
    qInfo() << "RDeviceCapture::RDeviceCapture: index" << index << "opened" << m_capture.isOpened();
}

RDeviceCapture::~RDeviceCapture()
{
    m_capture.release();
}

bool RDeviceCapture::read(cv::Mat &bgr)
{
    if (m_capture.isOpened() && m_capture.read(bgr) && !bgr.empty())
        return true;
    bgr.release();
    // On the capture thread: an unopened or unplugged camera must not spin its loop.
    QThread::msleep(20);
    return false;
}
