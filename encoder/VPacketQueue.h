#pragma once
// A bounded queue between the encoders and one consumer. Pushing never
// blocks: an encoder must not wait for a slow disk or network. When the
// queue is full the packet is refused and counted; the consumer decides what
// a refusal means (a file fails, a network output skips to the next key frame).

#include "VPacket.h"

#include <condition_variable>
#include <deque>
#include <mutex>

class VPacketQueue
{
public:
    explicit VPacketQueue(qint64 maxBytes) : m_maxBytes(maxBytes) {}

    // Any thread; false when the queue is full or closed.
    bool push(const VPacket &packet);
    // Waits up to timeoutMs; false when nothing came (or closed and empty).
    bool pop(VPacket &packet, int timeoutMs);
    // No more packets: pop returns the rest, then false at once.
    void close();
    bool isClosed() const;
    qint64 refused() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<VPacket> m_packets;
    qint64 m_maxBytes;
    qint64 m_bytes = 0;
    qint64 m_refused = 0;
    bool m_closed = false;
};
