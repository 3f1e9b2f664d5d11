#pragma once
// Sends the hub's streams to a media server (RTMP as FLV, SRT as MPEG-TS) on
// a thread of its own. It never holds the encoder back: its queue is bounded,
// and when the network falls behind it drops what is queued and waits for the
// next key frame. A refused or dropped connection is retried with a growing
// pause; every change of state is reported. Stopping ends a hung connect or
// write through libavformat's interrupt callback.

#include "VPacket.h"

#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct AVFormatContext;
class VPacketHub;
class VPacketQueue;

class VStreamPublisher
{
public:
    enum class State { Idle, Connecting, Publishing, Retrying, Failed };
    struct Status {
        State state = State::Idle;
        QString reason;            // libavformat's words for the last failure
        int error = 0;             // its AVERROR code, for a translated message
        int failures = 0;          // failed connects and dropped connections since start
        int connections = 0;       // connections that reached publishing
        qint64 bytesSent = 0;      // over every connection
        qint64 skippedPackets = 0; // dropped to catch up or while disconnected
    };
    struct Settings {
        qint64 queueBytes = 4 * 1024 * 1024; // several seconds of a 6 Mbit/s picture
        int firstRetryMs = 1000;
        int maxRetryMs = 10000;
        int ioTimeoutMs = 5000; // a connect or write that makes no progress for this long fails
        int sendBufferBytes = 0; // the socket's send buffer; 0: the system's
    };
    // Called on the publishing thread after every change of state.
    using StatusNotice = std::function<void(const Status &)>;
    // Called on the publishing thread when it waits for a key frame.
    using KeyFrameWanted = std::function<void()>;

    VStreamPublisher() = default;
    ~VStreamPublisher();
    VStreamPublisher(const VStreamPublisher &) = delete;
    VStreamPublisher &operator=(const VStreamPublisher &) = delete;

    // rtmp://, rtmps:// or srt:// with a host; `why` says what is wrong.
    static bool isPublishAddress(const QString &url, QString *why = nullptr);

    // Starts connecting to `url` and taking the hub's packets. False (nothing
    // started) for an address isPublishAddress refuses or a hub without video.
    bool start(const QString &url, VPacketHub *hub, const Settings &settings, StatusNotice notice = {},
               KeyFrameWanted keyFrameWanted = {});
    bool start(const QString &url, VPacketHub *hub) { return start(url, hub, Settings()); }
    // Returns within about a second whatever the network does.
    void stop();
    bool isRunning() const { return m_thread.joinable(); }
    Status status() const;

    static const char *stateName(State state);

private:
    void run();
    // 0 or the AVERROR code of the failure.
    int connect();
    void disconnect(bool sendTrailer);
    int send(const VPacket &packet);
    void setState(State state, int error = 0, const QString &reason = QString());
    // Sleeps up to ms unless stopped; false when stopped.
    bool pause(int ms);
    void discardQueued();
    static int interrupted(void *self);

    QString m_url;
    Settings m_settings;
    VPacketHub *m_hub = nullptr;
    StatusNotice m_notice;
    KeyFrameWanted m_keyFrameWanted;
    std::shared_ptr<VPacketQueue> m_queue;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};

    // Publishing thread only.
    AVFormatContext *m_format = nullptr;
    std::vector<int> m_outputOf; // hub stream -> output stream, -1 when not sent
    int m_videoOutput = -1;
    qint64 m_baseUs = -1;        // the first key frame's time on this connection
    qint64 m_seenRefused = 0;
    qint64 m_sentBefore = 0;     // bytes of the connections before this one

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Status m_status;
};
