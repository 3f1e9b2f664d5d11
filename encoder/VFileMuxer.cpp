#include "VFileMuxer.h"

#include "VPacketHub.h"
#include "VPacketQueue.h"

#include <QDebug>

#include <cerrno>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {
// About a minute of a busy 1080p picture: a disk slower than that fails the recording.
constexpr qint64 kQueueBytes = 64 * 1024 * 1024;
} // namespace

VFileMuxer::~VFileMuxer()
{
    close();
}

bool VFileMuxer::open(const QString &path, VPacketHub *hub)
{
    close();
    m_failure = Failure::None;
    m_bytes = 0;
    const QByteArray file = path.toUtf8();
    if (avformat_alloc_output_context2(&m_format, nullptr, "matroska", file.constData()) < 0 || !m_format)
        return false;
    for (const VStreamInfo &info : hub->streams()) {
        AVStream *st = avformat_new_stream(m_format, nullptr);
        avcodec_parameters_copy(st->codecpar, info.params.get());
        st->codecpar->codec_tag = 0;
        st->time_base = AVRational{1, kVMicroseconds};
    }
    // Sound must not wait long for picture (or the other way round) before reaching the disk.
    m_format->max_interleave_delta = 300000;
    m_format->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "cluster_time_limit", "500", 0);
    int ret = avio_open(&m_format->pb, file.constData(), AVIO_FLAG_WRITE);
    if (ret >= 0)
        ret = avformat_write_header(m_format, &options);
    av_dict_free(&options);
    if (ret < 0) {
        qInfo() << "VFileMuxer::open: cannot write" << path;
        avio_closep(&m_format->pb);
        avformat_free_context(m_format);
        m_format = nullptr;
        return false;
    }
    m_hub = hub;
    m_queue = std::make_shared<VPacketQueue>(kQueueBytes);
    m_hub->attach(m_queue);
    m_thread = std::thread(&VFileMuxer::run, this);
    return true;
}

void VFileMuxer::fail(int code)
{
    const bool full = code == AVERROR(ENOSPC) || code == AVERROR(EFBIG) || code == AVERROR(EDQUOT);
    Failure expected = Failure::None;
    m_failure.compare_exchange_strong(expected, full ? Failure::DiskFull : Failure::WriteFailed);
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, text, sizeof(text));
    qInfo() << "VFileMuxer: write failed:" << text;
}

bool VFileMuxer::write(const VPacket &packet)
{
    AVPacket *copy = av_packet_clone(packet.packet.get());
    if (!copy)
        return false;
    AVStream *st = m_format->streams[packet.stream];
    av_packet_rescale_ts(copy, AVRational{1, kVMicroseconds}, st->time_base);
    copy->stream_index = packet.stream;
    const int ret = av_interleaved_write_frame(m_format, copy);
    av_packet_free(&copy);
    if (ret < 0 || (m_format->pb && m_format->pb->error < 0)) {
        fail(ret < 0 ? ret : m_format->pb->error);
        return false;
    }
    m_bytes = avio_tell(m_format->pb);
    return true;
}

void VFileMuxer::run()
{
    VPacket packet;
    for (;;) {
        if (!m_queue->pop(packet, 200)) {
            if (m_queue->isClosed())
                break;
            continue;
        }
        if (m_failure.load() == Failure::None)
            write(packet);
        if (m_queue->refused() > 0) {
            Failure expected = Failure::None;
            m_failure.compare_exchange_strong(expected, Failure::TooSlow);
        }
    }
}

void VFileMuxer::close()
{
    if (!m_format)
        return;
    if (m_hub)
        m_hub->detach(m_queue);
    m_queue->close();
    if (m_thread.joinable())
        m_thread.join();
    // The interleaver's last packets and the index; both fail harmlessly on a full disk.
    if (m_failure.load() == Failure::None) {
        if (av_write_trailer(m_format) < 0 || m_format->pb->error < 0)
            fail(m_format->pb->error < 0 ? m_format->pb->error : AVERROR(EIO));
    }
    avio_closep(&m_format->pb);
    avformat_free_context(m_format);
    m_format = nullptr;
    m_hub = nullptr;
    m_queue.reset();
}
