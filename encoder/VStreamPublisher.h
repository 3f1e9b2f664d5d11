#pragma once
// Sends the hub's streams to a media server (RTMP as FLV, SRT as MPEG-TS) on
// a thread of its own. It never holds the encoder back: its queue is bounded,
// and when the network falls behind it drops what is queued and waits for the
// next key frame. A refused or dropped connection is retried with a growing
// pause; every change of state is reported. Stopping ends a hung connect or
// write through libavformat's interrupt callback.

#include "VPacket.h"

#include <QString>

#include <functional>
#include <memory>
#include <thread>

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
    // Returns within about a second whatever the network does. No callback
    // runs after it returns.
    void stop();
    bool isRunning() const { return m_worker != nullptr; }
    Status status() const;

    static const char *stateName(State state);

private:
    class Worker;

    VPacketHub *m_hub = nullptr;
    std::shared_ptr<VPacketQueue> m_queue;
    // Shared with its thread: a thread stuck where no interrupt reaches (a
    // name lookup) is left to finish on its own, holding its state alive.
    std::shared_ptr<Worker> m_worker;
    std::thread m_thread;
    Status m_last; // after stop
};
