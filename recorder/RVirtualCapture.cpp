#include "RVirtualCapture.h"

#include "VirtualCameraConfig.h"

#include <QDebug>
#include <QThread>

#include <opencv2/imgproc.hpp>

namespace {
// How often the configuration is read again to follow plugging and unplugging.
constexpr qint64 kPresenceCheckMs = 500;
} // namespace

bool RVirtualCapture::configured(const QString &description)
{
    if (VirtualCameraConfig::configPath().isEmpty() || description.isEmpty())
        return false;
    for (const VirtualCameraDevice &d : VirtualCameraConfig::readAll())
        if (d.description == description)
            return true;
    return false;
}

RVirtualCapture::RVirtualCapture(const QString &description, const QSize &size) : m_description(description)
{
    VirtualCameraFrameSource::Parameters p;
    p.size = size;
    for (const VirtualCameraDevice &d : VirtualCameraConfig::readAll()) {
        if (d.description == description) {
            p.source = d.source;
            p.syncMarks = d.syncMarks;
            m_fps = d.fps > 0 ? d.fps : 30.0;
            m_present = d.present;
            break;
        }
    }
    m_source.setParameters(p);
    m_clock.start();
    qInfo() << "RVirtualCapture::RVirtualCapture:" << description << size << "fps" << m_fps;
}

void RVirtualCapture::refreshPresence()
{
    const qint64 now = m_clock.elapsed();
    if (now - m_lastCheckMs < kPresenceCheckMs)
        return;
    m_lastCheckMs = now;
    bool present = false;
    for (const VirtualCameraDevice &d : VirtualCameraConfig::readAll())
        if (d.description == m_description)
            present = d.present;
    if (present != m_present)
        qInfo() << "RVirtualCapture::refreshPresence: present" << present;
    m_present = present;
}

bool RVirtualCapture::read(cv::Mat &bgr)
{
    // The capture thread waits for the next tick; a late reader gets the current
    // frame, not a burst of old ones.
    const qint64 due = qint64(double(m_frames) * 1000.0 / m_fps);
    const qint64 now = m_clock.elapsed();
    if (due > now)
        QThread::msleep(static_cast<unsigned long>(due - now));
    m_frames = qMax(m_frames + 1, qint64(double(m_clock.elapsed()) * m_fps / 1000.0));
    refreshPresence();
    if (!m_present) {
        bgr.release();
        return false;
    }
    const QImage frame = m_source.nextFrame();
    if (frame.isNull()) {
        bgr.release();
        return false;
    }
    const cv::Mat bgra(frame.height(), frame.width(), CV_8UC4, const_cast<uchar *>(frame.constBits()),
                       static_cast<size_t>(frame.bytesPerLine()));
    cv::cvtColor(bgra, bgr, cv::COLOR_BGRA2BGR);
    return true;
}
