#include "RPacedWriter.h"

#include <QDateTime>
#include <QFile>
#include <QDebug>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <chrono>

namespace {
constexpr qint64 kCatchUpMs = 1000;

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
    m_path = path;
    m_size = size;
    // OpenCV's own Motion-JPEG writer encodes in stripes on every core; the
    // FFmpeg backend measured slower here. Any other backend is the fallback.
    const std::string file = path.toUtf8().toStdString();
    const int fourcc = cv::VideoWriter::fourcc('M', 'J', 'P', 'G');
    const cv::Size frameSize(size.width(), size.height());
    m_writer = new cv::VideoWriter(file, cv::CAP_OPENCV_MJPEG, fourcc, m_pacer.fps(), frameSize, true);
    if (!m_writer->isOpened())
        m_writer->open(file, cv::CAP_ANY, fourcc, m_pacer.fps(), frameSize, true);
    m_open = m_writer->isOpened();
    m_backend = m_open ? m_writer->getBackendName() : std::string();
    if (!m_open) {
        qInfo() << "RPacedWriter::open: cannot write" << path << size;
        delete m_writer;
        m_writer = nullptr;
        return false;
    }
    m_stats = Stats();
    m_latest.release();
    m_latestSeq = m_writtenSeq = 0;
    m_started = false;
    m_stop = false;
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
    m_wake.wait(lock, [this] { return m_started || m_stop.load(); });
    if (!m_started)
        return;
    lock.unlock();
    for (;;) {
        lock.lock();
        const qint64 elapsedMs = (nowNs() - m_startNs) / 1000000;
        const qint64 due = m_stop ? m_pacer.totalFrames(m_stopMs) : m_pacer.dueFrames(elapsedMs);
        const bool stopping = m_stop;
        lock.unlock();
        if (stopping) {
            // A machine too slow for the rate must not hold the stop for long:
            // catch up for at most a second, then count what is missing.
            const qint64 limitNs = nowNs() + kCatchUpMs * 1000000;
            while (m_stats.written < due && nowNs() < limitNs)
                writeOne(scratch);
            m_stats.missing = due - m_stats.written;
            break;
        }
        while (m_stats.written < due && !m_stop)
            writeOne(scratch);
        const qint64 nextMs = m_pacer.tickMs(m_stats.written);
        lock.lock();
        m_wake.wait_until(lock, std::chrono::steady_clock::time_point(std::chrono::nanoseconds(m_startNs + nextMs * 1000000)),
                          [this] { return m_stop.load(); });
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
    // Fewer frames than ticks: the file plays them over the recording's length,
    // so it stays as long as the lesson and in step with the sound.
    if (m_stats.missing > 0 && m_stats.written > 0)
        retimeAvi(m_path, m_stats.written, m_stats.elapsedMs);
    qInfo() << "RPacedWriter::close: written" << m_stats.written << "repeated" << m_stats.repeated
            << "dropped" << m_stats.dropped << "missing" << m_stats.missing << "ms" << m_stats.elapsedMs
            << "backend" << QString::fromStdString(m_backend);
    return m_stats;
}

bool RPacedWriter::retimeAvi(const QString &path, qint64 frames, qint64 elapsedMs)
{
    if (frames <= 0 || elapsedMs <= 0)
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const QByteArray head = file.read(64 * 1024);
    const int avih = head.indexOf("avih");
    int strh = head.indexOf("strh");
    while (strh >= 0 && head.mid(strh + 8, 4) != "vids")
        strh = head.indexOf("strh", strh + 4);
    if (avih < 0 || strh < 0 || strh + 32 > head.size())
        return false;
    auto put = [&file](qint64 at, quint32 value) {
        const char bytes[4] = {char(value & 0xff), char((value >> 8) & 0xff), char((value >> 16) & 0xff),
                               char((value >> 24) & 0xff)};
        return file.seek(at) && file.write(bytes, 4) == 4;
    };
    // avih: dwMicroSecPerFrame after the chunk size; strh: dwScale and dwRate
    // after type, handler, flags, priority, language and initial frames.
    const quint32 usPerFrame = quint32(elapsedMs * 1000 / frames);
    const bool ok = put(avih + 8, usPerFrame) && put(strh + 8 + 20, quint32(elapsedMs))
                    && put(strh + 8 + 24, quint32(frames * 1000));
    qInfo() << "RPacedWriter::retimeAvi:" << path << "frames" << frames << "ms" << elapsedMs << ok;
    return ok;
}
