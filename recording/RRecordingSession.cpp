#include "RRecordingSession.h"

#include "RRecAudio.h"
#include "VClock.h"

#include <QDebug>

RRecordingSession::RRecordingSession(QObject *parent) : QObject(parent), m_pipe(std::make_shared<VVideoPipe>()) {}

RRecordingSession::~RRecordingSession()
{
    if (m_running)
        finish();
}

bool RRecordingSession::start(const Options &options, QString *soundProblem)
{
    // Every stream is known before the file's header: the microphone is opened first.
    if (options.sound)
        m_audio = RRecAudio::openWith(&m_audioEncoder, &m_hub, options.device, options.realm, soundProblem);
    // The clock starts when everything is open, so neither stream begins late.
    m_originUs = VClock::nowUs();
    VVideoEncoder::Settings video;
    video.size = options.size;
    video.fps = options.fps;
    if (!m_pipe->start(video, &m_hub, m_originUs, [this](int fps) { emit sRateLowered(fps); })) {
        qInfo() << "RRecordingSession::start: video encoder:" << m_pipe->error();
        return false;
    }
    if (!m_muxer.open(options.tempFile, &m_hub)) {
        m_pipe->stop();
        return false;
    }
    if (m_audio)
        m_audio->start(m_originUs);
    m_running = true;
    m_stopUs = -1;
    qInfo() << "RRecordingSession::start:" << options.tempFile << options.size << "sound" << hasSound();
    return true;
}

qint64 RRecordingSession::elapsedUs() const
{
    const qint64 stop = m_stopUs.load();
    return stop >= 0 ? stop : VClock::nowUs() - m_originUs;
}

qint64 RRecordingSession::soundLostAtUs() const
{
    return m_audio ? m_audio->lostAtUs() : -1;
}

void RRecordingSession::markStop()
{
    qint64 expected = -1;
    const qint64 now = VClock::nowUs();
    if (m_stopUs.compare_exchange_strong(expected, now - m_originUs))
        m_pipe->endAt(now);
}

RRecordingSession::Result RRecordingSession::finish()
{
    Result result;
    if (!m_running)
        return result;
    markStop();
    const qint64 stopUs = m_stopUs.load();
    if (m_audio)
        m_audio->stop(stopUs);
    result.video = m_pipe->stop();
    if (m_audio) {
        result.soundLostAtUs = m_audio->lostAtUs();
        m_audio->join();
        // Silence up to the stop, so both streams last as long as the recording.
        m_audioEncoder.padUntil(stopUs);
        m_audioEncoder.flush();
        result.sound = true;
    }
    m_muxer.close();
    m_audio.reset();
    m_audioEncoder.close();
    result.durationUs = stopUs;
    result.failure = m_muxer.failure();
    m_running = false;
    qInfo() << "RRecordingSession::finish: s" << stopUs / 1e6 << "offered" << result.video.offered << "encoded"
            << result.video.encoded << "dropped" << result.video.dropped << "fps" << result.video.fps << "sound lost at"
            << result.soundLostAtUs;
    return result;
}
