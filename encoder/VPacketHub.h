#pragma once
// Hands every encoded packet to each attached consumer's queue. The streams
// are registered first (one per encoder); consumers read their parameters
// and then receive the packets of all streams in the order they were encoded.

#include "VPacket.h"

#include <memory>
#include <mutex>
#include <vector>

struct AVCodecContext;
class VPacketQueue;

class VPacketHub
{
public:
    // Registers an opened encoder's stream; returns its index.
    int addStream(const AVCodecContext *encoder);
    // Registers a stream of another hub (a consumer that hands packets on); returns its index.
    int addStream(const VStreamInfo &info);
    std::vector<VStreamInfo> streams() const;

    void attach(const std::shared_ptr<VPacketQueue> &queue);
    void detach(const std::shared_ptr<VPacketQueue> &queue);

    // Takes over the packet's data (the packet is left blank), any thread.
    // Timestamps are expected in the encoder's time base and are rescaled.
    void publish(int stream, AVPacket *packet, int timeBaseNum, int timeBaseDen);

private:
    mutable std::mutex m_mutex;
    std::vector<VStreamInfo> m_streams;
    std::vector<std::shared_ptr<VPacketQueue>> m_queues;
};
