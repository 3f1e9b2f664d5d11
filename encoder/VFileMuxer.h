#pragma once
// The recording's temporary file: Matroska with clusters of half a second,
// fed by both encoders through one interleaving muxer on a thread of its own.
// A cluster reaches the disk whole, so a file cut off by a crash ends at a
// cluster boundary and plays up to about a second before the cut.

#include "VPacket.h"

#include <QString>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

struct AVFormatContext;
class VPacketHub;
class VPacketQueue;

class VFileMuxer
{
public:
    enum class Failure { None, DiskFull, WriteFailed, TooSlow };

    VFileMuxer() = default;
    ~VFileMuxer();
    VFileMuxer(const VFileMuxer &) = delete;
    VFileMuxer &operator=(const VFileMuxer &) = delete;

    // Writes the header for the hub's streams and starts taking its packets.
    bool open(const QString &path, VPacketHub *hub);
    // Any thread: set when a write failed; the muxer then stops writing.
    Failure failure() const { return m_failure.load(); }
    qint64 bytesWritten() const { return m_bytes.load(); }
    // Writes what is queued and the index, and closes the file.
    void close();

private:
    void run();
    bool write(const VPacket &packet);
    void fail(int code);

    VPacketHub *m_hub = nullptr;
    std::shared_ptr<VPacketQueue> m_queue;
    AVFormatContext *m_format = nullptr;
    std::thread m_thread;
    std::atomic<Failure> m_failure{Failure::None};
    std::atomic<qint64> m_bytes{0};
};
