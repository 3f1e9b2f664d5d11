#pragma once
// One lesson recording while it runs: a file consumer of an encoded picture
// that others share (its hub's stream 0), with the microphone's sound of its
// own. Pause and resume cut the paused time out of the one file: packets of
// the pause are dropped, the picture resumes at a key frame it asks for, and
// both streams are shifted back by the time cut, so they stay together.
// The file is the recorder's crash-tolerant temporary one. GUI-free.

#include "VAudioEncoder.h"
#include "VFileMuxer.h"
#include "VPacketHub.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class RRecAudio;
class VPacketQueue;

class RLessonTake
{
public:
    struct Picture {
        VPacketHub *hub = nullptr;        // its stream 0 is the picture
        qint64 originUs = 0;              // the picture's time zero on VClock
        std::function<void()> keyFrame;   // asks the encoder for a key frame; any thread
    };
    struct Options {
        QString tempFile;
        bool sound = false;
        QString device;
        QString realm;
    };
    struct Result {
        qint64 recordedUs = 0;   // the file's length: recorded time without the pauses
        qint64 videoPackets = 0;
        bool sound = false;
        qint64 soundLostAtUs = -1;
        VFileMuxer::Failure failure = VFileMuxer::Failure::None;
    };

    RLessonTake();
    ~RLessonTake();
    RLessonTake(const RLessonTake &) = delete;
    RLessonTake &operator=(const RLessonTake &) = delete;

    // False when the file cannot be written; a microphone that cannot be
    // opened leaves the take without sound and says why in *soundProblem.
    bool start(const Picture &picture, const Options &options, QString *soundProblem = nullptr);
    bool hasSound() const { return m_audio != nullptr; }

    // Any thread.
    void pause();
    void resume();
    bool isPaused() const;
    // Recorded time so far, without the pauses.
    qint64 recordedUs() const;
    VFileMuxer::Failure failure() const { return m_muxer.failure(); }

    // The moment the take ends (at once, any thread).
    void markStop();
    // Stops the microphone, waits for the picture up to the stop and closes
    // the file: up to about a second, so not on the GUI thread. The picture's
    // encoder must keep running until it returns.
    Result finish();

private:
    // A recorded stretch: asked for at requestUs, begun at the first key
    // frame from there (startUs), ended by a pause or the stop.
    struct Span {
        qint64 requestUs = 0;
        qint64 startUs = -1;
        qint64 endUs = -1;       // -1: still open
        qint64 shiftUs = 0;      // subtracted from the span's packets
    };
    void run();
    void take(const VPacket &packet, bool video);
    // Under the lock; the span a packet of time t belongs to, or null.
    Span *spanAt(qint64 t);
    void forward(const VPacket &packet, qint64 t, const Span &span, bool video);
    qint64 nowUs() const;

    Picture m_picture;
    VPacketHub m_fileHub;
    VPacketHub m_soundHub;
    VAudioEncoder m_audioEncoder;
    std::unique_ptr<RRecAudio> m_audio;
    VFileMuxer m_muxer;
    std::shared_ptr<VPacketQueue> m_videoQueue;
    std::shared_ptr<VPacketQueue> m_soundQueue;
    std::thread m_thread;
    qint64 m_originUs = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_progress;
    std::vector<Span> m_spans;
    std::deque<std::pair<VPacket, qint64>> m_heldSound; // waiting for its span's key frame
    qint64 m_stopUs = -1;
    qint64 m_lastVideoUs = -1;
    qint64 m_videoPackets = 0;
    bool m_running = false;
};
