#include "VFragmenter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {
constexpr int kIoBuffer = 64 * 1024;
} // namespace

VFragmenter::~VFragmenter()
{
    close();
}

int VFragmenter::write(void *opaque, uint8_t *data, int size)
{
    static_cast<VFragmenter *>(opaque)->m_pending.append(reinterpret_cast<const char *>(data), size);
    return size;
}

QByteArray VFragmenter::take()
{
    avio_flush(m_io);
    QByteArray bytes;
    bytes.swap(m_pending);
    return bytes;
}

QString VFragmenter::codecName(const QByteArray &extradata)
{
    const auto *b = reinterpret_cast<const uchar *>(extradata.constData());
    const int n = extradata.size();
    int at = -1;
    if (n >= 4 && b[0] == 1) {
        at = 1; // already an avcC record: profile, constraints, level
    } else {
        for (int i = 0; i + 4 < n; ++i) {
            if (b[i] == 0 && b[i + 1] == 0 && b[i + 2] == 1 && (b[i + 3] & 0x1f) == 7) {
                at = i + 4;
                break;
            }
        }
    }
    if (at < 0 || at + 3 > n)
        return QStringLiteral("avc1.42e01f"); // constrained baseline 3.1: what ultrafast makes
    return QStringLiteral("avc1.%1%2%3")
        .arg(b[at], 2, 16, QLatin1Char('0'))
        .arg(b[at + 1], 2, 16, QLatin1Char('0'))
        .arg(b[at + 2], 2, 16, QLatin1Char('0'));
}

bool VFragmenter::open(const VStreamInfo &video, QString *error)
{
    close();
    if (!video.isVideo() || video.params->codec_id != AV_CODEC_ID_H264) {
        *error = QStringLiteral("the stream is not H.264 video");
        return false;
    }
    if (avformat_alloc_output_context2(&m_context, nullptr, "mp4", nullptr) < 0) {
        *error = QStringLiteral("no MP4 muxer");
        return false;
    }
    auto *buffer = static_cast<uint8_t *>(av_malloc(kIoBuffer));
    m_io = avio_alloc_context(buffer, kIoBuffer, 1, this, nullptr, &VFragmenter::write, nullptr);
    m_context->pb = m_io;
    m_context->flags |= AVFMT_FLAG_CUSTOM_IO;
    m_stream = avformat_new_stream(m_context, nullptr);
    avcodec_parameters_copy(m_stream->codecpar, video.params.get());
    m_stream->codecpar->codec_tag = 0;
    m_stream->time_base = AVRational{1, 90000};
    AVDictionary *options = nullptr;
    av_dict_set(&options, "movflags", "empty_moov+default_base_moof+frag_every_frame", 0);
    const int ret = avformat_write_header(m_context, &options);
    av_dict_free(&options);
    if (ret < 0) {
        *error = QStringLiteral("the MP4 muxer refused the stream");
        close();
        return false;
    }
    m_init = take();
    m_codec = codecName(QByteArray(reinterpret_cast<const char *>(video.params->extradata),
                                   video.params->extradata_size));
    m_lastKey = false;
    m_lastPtsUs = -1;
    return true;
}

bool VFragmenter::add(const VPacket &packet, Fragment *done)
{
    if (!m_context || !packet.packet)
        return false;
    AVPacket *own = av_packet_clone(packet.packet.get());
    if (!own)
        return false;
    own->stream_index = 0;
    av_packet_rescale_ts(own, AVRational{1, kVMicroseconds}, m_stream->time_base);
    const bool hadPicture = m_lastPtsUs >= 0;
    const bool wasKey = m_lastKey;
    const qint64 wasPts = m_lastPtsUs;
    const int ret = av_write_frame(m_context, own);
    av_packet_free(&own);
    if (ret < 0)
        return false;
    m_lastKey = packet.isKey();
    m_lastPtsUs = packet.packet->pts;
    QByteArray bytes = take();
    if (!hadPicture || bytes.isEmpty())
        return false;
    done->bytes = bytes;
    done->key = wasKey;
    done->ptsUs = wasPts;
    return true;
}

void VFragmenter::close()
{
    if (m_context) {
        // No trailer: a live stream has no end the viewers wait for.
        avformat_free_context(m_context);
        m_context = nullptr;
    }
    if (m_io) {
        av_freep(&m_io->buffer);
        avio_context_free(&m_io);
    }
    m_stream = nullptr;
    m_pending.clear();
}
