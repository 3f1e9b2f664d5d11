#include "RLessonTake.h"

#include "RRecAudio.h"
#include "VClock.h"
#include "VPacketQueue.h"

#include <QDebug>

#include <chrono>

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace {
// A minute of busy picture: a disk slower than that fails the take, as the file would.
constexpr qint64 kQueueBytes = 64 * 1024 * 1024;
// The longest wait for the picture to reach the stop.
constexpr int kLastPictureMs = 1500;
} // namespace

RLessonTake::RLessonTake() = default;

RLessonTake::~RLessonTake()
{
    if (m_running)
        finish();
}

qint64 RLessonTake::nowUs() const
{
    return VClock::nowUs() - m_originUs;
}

bool RLessonTake::start(const Picture &picture, const Options &options, QString *soundProblem)
{
    if (m_running || !picture.hub)
        return false;
    const std::vector<VStreamInfo> streams = picture.hub->streams();
    if (streams.empty() || !streams[0].isVideo()) {
        qInfo() << "RLessonTake::start: no picture stream";
        return false;
    }
    m_picture = picture;
    m_fileHub.addStream(streams[0]);
    // Every stream is known before the file's header: the microphone is opened first.
    if (options.sound) {
        m_audio = RRecAudio::openWith(&m_audioEncoder, &m_soundHub, options.device, options.realm, soundProblem);
        if (m_audio)
            m_fileHub.addStream(m_soundHub.streams()[0]);
    }
    if (!m_muxer.open(options.tempFile, &m_fileHub)) {
        m_audio.reset();
        m_audioEncoder.close();
        return false;
    }
    m_originUs = VClock::nowUs();
    m_spans.assign(1, Span());
    m_stopUs = -1;
    m_lastVideoUs = -1;
    m_videoPackets = 0;
    m_videoQueue = std::make_shared<VPacketQueue>(kQueueBytes);
    m_soundQueue = std::make_shared<VPacketQueue>(kQueueBytes);
    m_picture.hub->attach(m_videoQueue);
    m_soundHub.attach(m_soundQueue);
    m_running = true;
    m_thread = std::thread(&RLessonTake::run, this);
    if (m_picture.keyFrame)
        m_picture.keyFrame();
    if (m_audio)
        m_audio->start(m_originUs);
    qInfo() << "RLessonTake::start:" << options.tempFile << "sound" << hasSound();
    return true;
}

void RLessonTake::pause()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_running || m_stopUs >= 0 || m_spans.back().endUs >= 0)
        return;
    m_spans.back().endUs = nowUs();
}

void RLessonTake::resume()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_running || m_stopUs >= 0 || m_spans.back().endUs < 0)
            return;
        Span span;
        span.requestUs = nowUs();
        m_spans.push_back(span);
    }
    // The picture resumes at a fresh key frame rather than up to two seconds later.
    if (m_picture.keyFrame)
        m_picture.keyFrame();
}

bool RLessonTake::isPaused() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_running && m_stopUs < 0 && m_spans.back().endUs >= 0;
}

qint64 RLessonTake::recordedUs() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    qint64 total = 0;
    const qint64 now = m_stopUs >= 0 ? m_stopUs : nowUs();
    for (const Span &s : m_spans) {
        if (s.startUs < 0 && s.endUs >= 0)
            continue; // ended before its first key frame: nothing of it is in the file
        const qint64 from = s.startUs >= 0 ? s.startUs : s.requestUs;
        total += qMax<qint64>(0, (s.endUs >= 0 ? s.endUs : now) - from);
    }
    return total;
}

void RLessonTake::markStop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_running || m_stopUs >= 0)
        return;
    m_stopUs = nowUs();
    if (m_spans.back().endUs < 0)
        m_spans.back().endUs = m_stopUs;
}

RLessonTake::Span *RLessonTake::spanAt(qint64 t)
{
    if (m_stopUs >= 0 && t >= m_stopUs)
        return nullptr;
    for (auto it = m_spans.rbegin(); it != m_spans.rend(); ++it)
        if (it->requestUs <= t && (it->endUs < 0 || t < it->endUs))
            return &*it;
    return nullptr;
}

void RLessonTake::forward(const VPacket &packet, qint64 t, const Span &span, bool video)
{
    AVPacket *copy = av_packet_clone(packet.packet.get());
    if (!copy)
        return;
    const qint64 delta = t - copy->pts - span.shiftUs;
    copy->pts += delta;
    if (copy->dts != AV_NOPTS_VALUE)
        copy->dts += delta;
    m_fileHub.publish(video ? 0 : 1, copy, 1, kVMicroseconds);
    av_packet_free(&copy);
    if (video)
        ++m_videoPackets;
}

void RLessonTake::take(const VPacket &packet, bool video)
{
    if (!packet.packet || packet.packet->pts == AV_NOPTS_VALUE || (video && packet.stream != 0))
        return;
    const qint64 t = packet.packet->pts + (video ? m_picture.originUs - m_originUs : 0);
    std::lock_guard<std::mutex> lock(m_mutex);
    if (video && t > m_lastVideoUs) {
        m_lastVideoUs = t;
        m_progress.notify_all();
    }
    Span *span = spanAt(t);
    if (!span)
        return;
    if (span->startUs < 0) {
        if (!video) {
            m_heldSound.emplace_back(packet, t);
            return;
        }
        if (!packet.isKey())
            return;
        // The span starts where the ones before it ended, in the file's time.
        qint64 before = 0;
        for (const Span &s : m_spans) {
            if (&s == span)
                break;
            if (s.startUs >= 0 && s.endUs > s.startUs)
                before += s.endUs - s.startUs;
        }
        span->startUs = t;
        span->shiftUs = t - before;
        forward(packet, t, *span, true);
        // Sound held for this span goes on from the key frame; older sound goes.
        std::deque<std::pair<VPacket, qint64>> held;
        held.swap(m_heldSound);
        for (const auto &h : held) {
            Span *s = spanAt(h.second);
            if (s == span && h.second >= span->startUs)
                forward(h.first, h.second, *span, false);
            else if (s && s->startUs < 0)
                m_heldSound.push_back(h);
        }
        return;
    }
    if (t >= span->startUs)
        forward(packet, t, *span, video);
}

void RLessonTake::run()
{
    VPacket packet;
    for (;;) {
        const bool gotVideo = m_videoQueue->pop(packet, 5);
        if (gotVideo)
            take(packet, true);
        bool gotSound = false;
        while (m_soundQueue->pop(packet, 0)) {
            take(packet, false);
            gotSound = true;
        }
        if (!gotVideo && !gotSound && m_videoQueue->isClosed() && m_soundQueue->isClosed())
            break;
    }
}

RLessonTake::Result RLessonTake::finish()
{
    Result result;
    if (!m_running)
        return result;
    markStop();
    qint64 stopUs;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        stopUs = m_stopUs;
    }
    if (m_audio) {
        m_audio->stop(stopUs);
        result.soundLostAtUs = m_audio->lostAtUs();
        m_audio->join();
        // Silence up to the stop, so the sound lasts as long as the picture.
        m_audioEncoder.padUntil(stopUs);
        m_audioEncoder.flush();
        result.sound = true;
    }
    {
        // The picture up to the stop is still on its way from the encoder.
        std::unique_lock<std::mutex> lock(m_mutex);
        m_progress.wait_for(lock, std::chrono::milliseconds(kLastPictureMs), [&] { return m_lastVideoUs >= stopUs; });
    }
    m_picture.hub->detach(m_videoQueue);
    m_soundHub.detach(m_soundQueue);
    m_videoQueue->close();
    m_soundQueue->close();
    if (m_thread.joinable())
        m_thread.join();
    m_muxer.close();
    m_audio.reset();
    m_audioEncoder.close();
    result.recordedUs = recordedUs();
    result.videoPackets = m_videoPackets;
    result.failure = m_muxer.failure();
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_running = false;
        m_heldSound.clear();
    }
    qInfo() << "RLessonTake::finish: recorded s" << result.recordedUs / 1e6 << "spans" << int(m_spans.size())
            << "video packets" << result.videoPackets << "sound" << result.sound;
    return result;
}
