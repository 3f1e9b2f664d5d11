#include "VPacketHub.h"

#include "VPacketQueue.h"

#include <algorithm>

extern "C" {
#include <libavcodec/avcodec.h>
}

qint64 VPacket::bytes() const
{
    return packet ? packet->size : 0;
}

bool VPacket::isKey() const
{
    return packet && (packet->flags & AV_PKT_FLAG_KEY);
}

bool VStreamInfo::isVideo() const
{
    return params && params->codec_type == AVMEDIA_TYPE_VIDEO;
}

int VPacketHub::addStream(const AVCodecContext *encoder)
{
    AVCodecParameters *params = avcodec_parameters_alloc();
    avcodec_parameters_from_context(params, encoder);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_streams.push_back(VStreamInfo{std::shared_ptr<const AVCodecParameters>(params, [](const AVCodecParameters *p) {
        auto *q = const_cast<AVCodecParameters *>(p);
        avcodec_parameters_free(&q);
    })});
    return int(m_streams.size()) - 1;
}

int VPacketHub::addStream(const VStreamInfo &info)
{
    AVCodecParameters *params = avcodec_parameters_alloc();
    if (info.params)
        avcodec_parameters_copy(params, info.params.get());
    std::lock_guard<std::mutex> lock(m_mutex);
    m_streams.push_back(VStreamInfo{std::shared_ptr<const AVCodecParameters>(params, [](const AVCodecParameters *p) {
        auto *q = const_cast<AVCodecParameters *>(p);
        avcodec_parameters_free(&q);
    })});
    return int(m_streams.size()) - 1;
}

std::vector<VStreamInfo> VPacketHub::streams() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_streams;
}

void VPacketHub::attach(const std::shared_ptr<VPacketQueue> &queue)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queues.push_back(queue);
}

void VPacketHub::detach(const std::shared_ptr<VPacketQueue> &queue)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queues.erase(std::remove(m_queues.begin(), m_queues.end(), queue), m_queues.end());
}

void VPacketHub::publish(int stream, AVPacket *packet, int timeBaseNum, int timeBaseDen)
{
    AVPacket *own = av_packet_alloc();
    av_packet_move_ref(own, packet);
    av_packet_rescale_ts(own, AVRational{timeBaseNum, timeBaseDen}, AVRational{1, kVMicroseconds});
    own->stream_index = stream;
    VPacket shared{std::shared_ptr<const AVPacket>(own, [](const AVPacket *p) {
                       auto *q = const_cast<AVPacket *>(p);
                       av_packet_free(&q);
                   }),
                   stream};
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto &queue : m_queues)
        queue->push(shared);
}
