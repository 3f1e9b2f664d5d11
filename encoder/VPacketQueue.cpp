#include "VPacketQueue.h"

#include <chrono>

bool VPacketQueue::push(const VPacket &packet)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const qint64 bytes = packet.bytes();
    // One packet always fits, however large: a key frame must never stall a queue.
    if (m_closed || (!m_packets.empty() && m_bytes + bytes > m_maxBytes)) {
        ++m_refused;
        return false;
    }
    m_packets.push_back(packet);
    m_bytes += bytes;
    m_wake.notify_one();
    return true;
}

bool VPacketQueue::pop(VPacket &packet, int timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !m_packets.empty() || m_closed; });
    if (m_packets.empty())
        return false;
    packet = std::move(m_packets.front());
    m_packets.pop_front();
    m_bytes -= packet.bytes();
    return true;
}

void VPacketQueue::close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_closed = true;
    m_wake.notify_all();
}

bool VPacketQueue::isClosed() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_closed;
}

qint64 VPacketQueue::refused() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_refused;
}
