#include "RCameraCV.h"

#include "RCaptureSource.h"
#include "RPacedWriter.h"

#include <QDebug>
#include <QMutex>

#include <opencv2/imgproc.hpp>

namespace {
// The preview label's size: pictures are reduced here, not on the GUI thread.
const QSize kPreviewSize(800, 600);
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

void RCameraCV::recVideo(int iVideo, QSize size, QString strOutput)
{
    QString name;
    {
        QMutexLocker lock(&g_nameMutex);
        name = m_strCameraName;
    }
    const bool recording = !strOutput.isEmpty();
    qInfo() << "RCameraCV::recVideo: index" << iVideo << "camera" << name << "size" << size << "output" << strOutput;
    std::unique_ptr<RCaptureSource> source = RCaptureSource::open(name, iVideo, size);

    RPacedWriter writer(30.0);
    if (recording && !writer.open(strOutput, size, m_startWallMs.load()))
        emit response(1, strOutput);

    m_previewPending.store(false);
    cv::Mat captured, turned, small, rgb;
    while (m_bRun.load()) {
        if (!source->read(captured) || captured.empty() || captured.cols < 1 || captured.rows < 1)
            continue;
        const cv::Mat &frame = oriented(captured, turned, m_bMirror.load(), m_bFlip.load());
        if (writer.isOpen())
            writer.offer(frame);
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
    if (writer.isOpen()) {
        const RPacedWriter::Stats stats = writer.close();
        emit response(0, QStringLiteral("written %1 repeated %2 dropped %3 ms %4 missing %5")
                             .arg(stats.written).arg(stats.repeated).arg(stats.dropped).arg(stats.elapsedMs)
                             .arg(stats.missing));
    }
}
