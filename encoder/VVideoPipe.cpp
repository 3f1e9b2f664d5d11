#include "VVideoPipe.h"

#include <cstring>
#include <ctime>

namespace {
constexpr qint64 kWindowUs = 2000000;
// More than this share of pictures dropped over a window: the machine is too slow for the rate.
constexpr double kDropShareToStepDown = 0.15;
} // namespace

VVideoPipe::~VVideoPipe()
{
    stop();
}

bool VVideoPipe::start(const VVideoEncoder::Settings &settings, VPacketHub *hub, qint64 originUs, RateNotice notice)
{
    stop();
    if (!m_encoder.open(settings, hub))
        return false;
    m_notice = std::move(notice);
    m_originUs = originUs;
    m_endPtsUs = -1;
    m_fps = settings.fps;
    m_minGapUs = 0;
    m_lastEncodedUs = -1;
    m_stats = Stats();
    m_stats.fps = m_fps;
    m_hasWaiting = false;
    m_stop = false;
    m_windowStartUs = -1;
    m_windowOffered = m_windowDropped = 0;
    m_thread = std::thread(&VVideoPipe::run, this);
    return true;
}

void VVideoPipe::offer(const uchar *data, int stride, const QSize &size, VVideoEncoder::Pixels pixels, qint64 captureUs)
{
    const qint64 ptsUs = captureUs - m_originUs;
    if (!data || size.isEmpty() || ptsUs < 0)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_stop || !m_thread.joinable() || (m_endPtsUs >= 0 && ptsUs > m_endPtsUs))
        return;
    ++m_stats.offered;
    ++m_windowOffered;
    if (m_hasWaiting) {
        ++m_stats.dropped;
        ++m_windowDropped;
    }
    const int rowBytes = size.width() * (pixels == VVideoEncoder::Pixels::Bgr24 ? 3 : 4);
    m_waiting.bytes.resize(rowBytes * size.height());
    char *to = m_waiting.bytes.data();
    if (stride == rowBytes) {
        std::memcpy(to, data, size_t(rowBytes) * size_t(size.height()));
    } else {
        for (int y = 0; y < size.height(); ++y)
            std::memcpy(to + y * rowBytes, data + qint64(y) * stride, size_t(rowBytes));
    }
    m_waiting.stride = rowBytes;
    m_waiting.size = size;
    m_waiting.pixels = pixels;
    m_waiting.ptsUs = ptsUs;
    m_hasWaiting = true;
    judgeRate(ptsUs);
    m_wake.notify_one();
}

// Under the lock.
void VVideoPipe::judgeRate(qint64 ptsUs)
{
    if (m_windowStartUs < 0)
        m_windowStartUs = ptsUs;
    if (ptsUs - m_windowStartUs < kWindowUs)
        return;
    const bool behind = m_windowOffered > 10 && double(m_windowDropped) / double(m_windowOffered) > kDropShareToStepDown;
    m_windowStartUs = ptsUs;
    m_windowOffered = m_windowDropped = 0;
    // The fastest preset is already the encoder's; halving the rate is the one step left.
    if (!behind || m_minGapUs > 0)
        return;
    m_fps = qMax(1, m_fps / 2);
    // A little under the period: a camera's jitter must not halve the rate again.
    m_minGapUs = qint64(0.9 * kVMicroseconds / m_fps);
    m_stats.fps = m_fps;
    if (m_notice)
        m_notice(m_fps);
}

void VVideoPipe::endAt(qint64 captureUs)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_endPtsUs = captureUs - m_originUs;
}

void VVideoPipe::run()
{
    Picture working;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_hasWaiting || m_stop; });
            if (!m_hasWaiting)
                break;
            std::swap(working, m_waiting);
            m_hasWaiting = false;
        }
        if (m_minGapUs > 0 && m_lastEncodedUs >= 0 && working.ptsUs - m_lastEncodedUs < m_minGapUs)
            continue;
        // The first picture also stands from the start, so the file has no blank
        // beginning while every picture keeps its own capture time.
        if (m_lastEncodedUs < 0 && working.ptsUs > 0 && working.ptsUs < kVMicroseconds)
            m_encoder.encode(reinterpret_cast<const uchar *>(working.bytes.constData()), working.stride, working.size,
                             working.pixels, 0);
        if (m_keyWanted.exchange(false))
            m_encoder.requestKeyFrame();
        if (m_encoder.encode(reinterpret_cast<const uchar *>(working.bytes.constData()), working.stride, working.size,
                             working.pixels, working.ptsUs)) {
            m_lastEncodedUs = working.ptsUs;
            std::lock_guard<std::mutex> lock(m_mutex);
            ++m_stats.encoded;
        }
    }
    m_encoder.flush();
    timespec cpu{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_stats.cpuUs = qint64(cpu.tv_sec) * 1000000 + cpu.tv_nsec / 1000;
}

VVideoPipe::Stats VVideoPipe::stop()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_wake.notify_one();
    }
    if (m_thread.joinable())
        m_thread.join();
    m_encoder.close();
    return stats();
}

VVideoPipe::Stats VVideoPipe::stats() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_stats;
}
