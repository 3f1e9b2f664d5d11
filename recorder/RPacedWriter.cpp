#include "RPacedWriter.h"

#include <QDateTime>
#include <QDebug>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <chrono>

namespace {
qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}
} // namespace

RPacedWriter::RPacedWriter(double fps) : m_pacer(fps) {}

RPacedWriter::~RPacedWriter()
{
    close();
}

bool RPacedWriter::open(const QString &path, const QSize &size, qint64 startWallMs)
{
    close();
    m_size = size;
    m_writer = new cv::VideoWriter(path.toUtf8().toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'),
                                   m_pacer.fps(), cv::Size(size.width(), size.height()), true);
    m_open = m_writer->isOpened();
    if (!m_open) {
        qInfo() << "RPacedWriter::open: cannot write" << path << size;
        delete m_writer;
        m_writer = nullptr;
        return false;
    }
    m_stats = Stats();
    m_latest.release();
    m_latestSeq = m_writtenSeq = 0;
    m_started = m_stop = false;
    m_stopMs = -1;
    m_startNs = 0;
    if (startWallMs > 0) {
        const qint64 since = qBound<qint64>(0, QDateTime::currentMSecsSinceEpoch() - startWallMs, 10000);
        m_startNs = nowNs() - since * 1000000;
    }
    m_thread = std::thread(&RPacedWriter::run, this);
    return true;
}

void RPacedWriter::offer(const cv::Mat &frame)
{
    if (!m_open || frame.empty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (frame.cols != m_size.width() || frame.rows != m_size.height())
        cv::resize(frame, m_latest, cv::Size(m_size.width(), m_size.height()), 0, 0, cv::INTER_AREA);
    else
        frame.copyTo(m_latest);
    ++m_latestSeq;
    if (!m_started) {
        m_started = true;
        if (m_startNs == 0)
            m_startNs = nowNs();
    }
    m_wake.notify_one();
}

void RPacedWriter::writeOne(cv::Mat &scratch)
{
    quint64 seq;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        seq = m_latestSeq;
        if (seq != m_writtenSeq) {
            m_stats.dropped += qint64(seq - m_writtenSeq - 1);
            m_latest.copyTo(scratch);
        }
    }
    if (seq == m_writtenSeq)
        ++m_stats.repeated;
    m_writtenSeq = seq;
    m_writer->write(scratch);
    ++m_stats.written;
}

void RPacedWriter::run()
{
    cv::Mat scratch;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait(lock, [this] { return m_started || m_stop; });
    if (!m_started)
        return;
    lock.unlock();
    for (;;) {
        lock.lock();
        const qint64 elapsedMs = (nowNs() - m_startNs) / 1000000;
        const qint64 due = m_stop ? m_pacer.totalFrames(m_stopMs) : m_pacer.dueFrames(elapsedMs);
        const bool stopping = m_stop;
        lock.unlock();
        while (m_stats.written < due)
            writeOne(scratch);
        if (stopping)
            break;
        const qint64 nextMs = m_pacer.tickMs(m_stats.written);
        lock.lock();
        m_wake.wait_until(lock, std::chrono::steady_clock::time_point(std::chrono::nanoseconds(m_startNs + nextMs * 1000000)),
                          [this] { return m_stop; });
        lock.unlock();
    }
}

RPacedWriter::Stats RPacedWriter::close()
{
    if (!m_writer)
        return m_stats;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_stopMs = m_started ? (nowNs() - m_startNs) / 1000000 : 0;
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
    // Frames offered after the last tick were never written either.
    m_stats.dropped += qint64(m_latestSeq - m_writtenSeq);
    m_stats.elapsedMs = m_stopMs;
    m_writer->release();
    delete m_writer;
    m_writer = nullptr;
    m_open = false;
    qInfo() << "RPacedWriter::close: written" << m_stats.written << "repeated" << m_stats.repeated
            << "dropped" << m_stats.dropped << "ms" << m_stats.elapsedMs;
    return m_stats;
}
