#include "RCameraCV.h"

#include "RCaptureSource.h"
#include "VClock.h"
#include "VVideoPipe.h"

#include <QDebug>
#include <QMutex>
#include <QThread>

#include <opencv2/imgproc.hpp>

namespace {
// The preview label's size: pictures are reduced here, not on the GUI thread.
const QSize kPreviewSize(800, 600);
// No picture for this long: the camera is gone.
constexpr qint64 kAbsentUs = 1000000;
QMutex g_nameMutex;
} // namespace

RCameraCV::RCameraCV(QObject *parent) : QObject(parent) {}

void RCameraCV::setCameraName(const QString &name)
{
    QMutexLocker lock(&g_nameMutex);
    m_strCameraName = name;
}

const cv::Mat &RCameraCV::oriented(const cv::Mat &frame, cv::Mat &scratch, bool mirror, bool flip)
{
    if (!mirror && !flip)
        return frame;
    // Into a buffer of our own: the source may keep the frame it handed out.
    cv::flip(frame, scratch, mirror && flip ? -1 : (mirror ? 1 : 0));
    return scratch;
}

void RCameraCV::setPipe(const std::shared_ptr<VVideoPipe> &pipe)
{
    std::lock_guard<std::mutex> lock(m_pipeMutex);
    m_pipe = pipe;
}

void RCameraCV::recVideo(int iVideo, QSize size)
{
    QString name;
    {
        QMutexLocker lock(&g_nameMutex);
        name = m_strCameraName;
    }
    qInfo() << "RCameraCV::recVideo: index" << iVideo << "camera" << name << "size" << size;
    std::unique_ptr<RCaptureSource> source = RCaptureSource::open(name, iVideo, size);

    m_previewPending.store(false);
    cv::Mat captured, turned, small, rgb;
    qint64 lastFrameUs = VClock::nowUs();
    int present = -1; // not known until the first picture or a second without one
    while (m_bRun.load()) {
        const bool got = source->read(captured) && !captured.empty() && captured.cols >= 1 && captured.rows >= 1;
        const qint64 captureUs = VClock::nowUs();
        if (!got) {
            if (present != 0 && captureUs - lastFrameUs > kAbsentUs) {
                present = 0;
                emit sCameraPresent(false);
            }
            // The capture thread's own loop: a device that fails at once must not spin.
            if (!source->isOpened() || captureUs - lastFrameUs > kAbsentUs)
                QThread::msleep(20);
            continue;
        }
        lastFrameUs = captureUs;
        if (present != 1) {
            present = 1;
            emit sCameraPresent(true);
        }
        const cv::Mat &frame = oriented(captured, turned, m_bMirror.load(), m_bFlip.load());
        {
            std::lock_guard<std::mutex> lock(m_pipeMutex);
            if (m_pipe)
                m_pipe->offer(frame.data, int(frame.step), QSize(frame.cols, frame.rows), VVideoEncoder::Pixels::Bgr24,
                              captureUs);
        }
        // One picture on its way at a time: the window never falls behind by more.
        if (m_previewPending.exchange(true))
            continue;
        const QSize fit = QSize(frame.cols, frame.rows).scaled(kPreviewSize, Qt::KeepAspectRatio);
        if (fit.width() < frame.cols)
            cv::resize(frame, small, cv::Size(fit.width(), fit.height()), 0, 0, cv::INTER_AREA);
        else
            small = frame;
        cv::cvtColor(small, rgb, cv::COLOR_BGR2RGB);
        const QImage image(rgb.data, rgb.cols, rgb.rows, static_cast<int>(rgb.step), QImage::Format_RGB888);
        emit sPixmap(QPixmap::fromImage(image.copy()));
    }
    qInfo() << "RCameraCV::recVideo: stop";
}
