#pragma once
// Puts the video encoder on a thread of its own. Pictures are offered from
// any thread without waiting: the newest one waits in a slot, and one that
// arrives while the slot is still full replaces it (counted as dropped).
// When the encoder keeps falling behind, the pipe halves the frame rate and
// says so once; the timestamps stay the capture times.

#include "VVideoEncoder.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class VVideoPipe
{
public:
    struct Stats {
        qint64 offered = 0;
        qint64 encoded = 0;
        qint64 dropped = 0;  // offered while the encoder was busy, never encoded
        int fps = 0;         // the rate at the end
        qint64 cpuUs = 0;    // CPU time of the encoding thread (conversion and encoding)
    };
    // Called on the encoding thread when the rate steps down.
    using RateNotice = std::function<void(int fps)>;

    VVideoPipe() = default;
    ~VVideoPipe();
    VVideoPipe(const VVideoPipe &) = delete;
    VVideoPipe &operator=(const VVideoPipe &) = delete;

    // originUs: the recording's start on VClock; earlier pictures are ignored.
    bool start(const VVideoEncoder::Settings &settings, VPacketHub *hub, qint64 originUs, RateNotice notice = {});
    bool isRunning() const { return m_thread.joinable(); }
    QString error() const { return m_encoder.error(); }

    // Any thread; copies the picture. captureUs on VClock.
    void offer(const uchar *data, int stride, const QSize &size, VVideoEncoder::Pixels pixels, qint64 captureUs);

    // The next picture encoded is a key frame. Any thread.
    void requestKeyFrame() { m_keyWanted = true; }

    // Pictures captured after captureUs are not the recording's. Any thread.
    void endAt(qint64 captureUs);
    // Encodes the waiting picture, flushes and stops the thread.
    Stats stop();
    Stats stats() const;

private:
    struct Picture {
        QByteArray bytes;
        int stride = 0;
        QSize size;
        VVideoEncoder::Pixels pixels = VVideoEncoder::Pixels::Bgr24;
        qint64 ptsUs = -1;
    };
    void run();
    void judgeRate(qint64 ptsUs);

    VVideoEncoder m_encoder;
    std::atomic<bool> m_keyWanted{false};
    std::thread m_thread;
    RateNotice m_notice;
    qint64 m_originUs = 0;
    qint64 m_endPtsUs = -1;
    int m_fps = 30;
    qint64 m_minGapUs = 0;       // pictures closer than this are not encoded
    qint64 m_lastEncodedUs = -1;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Picture m_waiting;
    bool m_hasWaiting = false;
    bool m_stop = false;
    Stats m_stats;
    // Drop counting for the rate decision, over windows of two seconds.
    qint64 m_windowStartUs = -1;
    qint64 m_windowOffered = 0;
    qint64 m_windowDropped = 0;
};
