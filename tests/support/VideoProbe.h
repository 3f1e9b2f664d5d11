#pragma once
// Reads encoded video back for tests with FFmpeg: H.264 packets straight from
// a hub, or a finished file, decoded into RGB32 pictures.

#include <QImage>
#include <QStringList>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace VideoProbe {

struct Pictures {
    int errors = 0;  // packets the decoder refused
    int decoded = 0; // pictures it made
    QImage last;
    QImage at; // the first from the time asked for on
};

// Decodes one video stream.
class Decoder : public Pictures
{
public:
    explicit Decoder(const AVCodecParameters *params, AVRational timeBase = {1, AV_TIME_BASE}, qint64 atUs = -1)
        : m_timeBase(timeBase), m_atUs(atUs)
    {
        const AVCodec *codec = avcodec_find_decoder(params->codec_id);
        m_ctx = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(m_ctx, params);
        m_ctx->pkt_timebase = timeBase;
        if (avcodec_open2(m_ctx, codec, nullptr) < 0)
            avcodec_free_context(&m_ctx);
    }
    ~Decoder()
    {
        sws_freeContext(m_sws);
        av_frame_free(&m_frame);
        avcodec_free_context(&m_ctx);
    }
    // A null packet ends the stream.
    void send(const AVPacket *packet)
    {
        if (!m_ctx || avcodec_send_packet(m_ctx, packet) < 0)
            ++errors;
        while (m_ctx && avcodec_receive_frame(m_ctx, m_frame) >= 0) {
            ++decoded;
            last = QImage(m_frame->width, m_frame->height, QImage::Format_RGB32);
            m_sws = sws_getCachedContext(m_sws, m_frame->width, m_frame->height, AVPixelFormat(m_frame->format),
                                         m_frame->width, m_frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr,
                                         nullptr, nullptr);
            uint8_t *planes[1] = {last.bits()};
            int strides[1] = {int(last.bytesPerLine())};
            sws_scale(m_sws, m_frame->data, m_frame->linesize, 0, m_frame->height, planes, strides);
            if (at.isNull() && m_atUs >= 0
                && av_rescale_q(m_frame->best_effort_timestamp, m_timeBase, {1, AV_TIME_BASE}) >= m_atUs)
                at = last;
        }
    }
private:
    AVRational m_timeBase;
    qint64 m_atUs;
    AVCodecContext *m_ctx = nullptr;
    AVFrame *m_frame = av_frame_alloc();
    SwsContext *m_sws = nullptr;
};

struct FileInfo : Pictures {
    bool ok = false;    // read, and every video packet decoded into a picture
    QStringList codecs; // "video:h264", "audio:aac", ...
    double videoSeconds = 0;
    double audioSeconds = 0;
};

inline FileInfo readFile(const QString &path, qint64 atUs = -1)
{
    FileInfo info;
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return info;
    avformat_find_stream_info(format, nullptr);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters *p = format->streams[i]->codecpar;
        info.codecs << QStringLiteral("%1:%2").arg(av_get_media_type_string(p->codec_type), avcodec_get_name(p->codec_id));
    }
    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video < 0) {
        avformat_close_input(&format);
        return info;
    }
    Decoder decoder(format->streams[video]->codecpar, format->streams[video]->time_base, atUs);
    AVPacket *packet = av_packet_alloc();
    int packets = 0;
    qint64 start[2] = {-1, -1}, end[2] = {0, 0}; // video, sound, in microseconds
    while (av_read_frame(format, packet) >= 0) {
        const int k = packet->stream_index == video ? 0 : packet->stream_index == audio ? 1 : -1;
        const AVRational tb = format->streams[packet->stream_index]->time_base;
        const qint64 from = av_rescale_q(packet->pts == AV_NOPTS_VALUE ? packet->dts : packet->pts, tb, {1, AV_TIME_BASE});
        if (k >= 0) {
            start[k] = start[k] < 0 ? from : qMin(start[k], from);
            end[k] = qMax(end[k], from + av_rescale_q(packet->duration, tb, {1, AV_TIME_BASE}));
        }
        if (k == 0) {
            decoder.send(packet);
            ++packets;
        }
        av_packet_unref(packet);
    }
    decoder.send(nullptr);
    av_packet_free(&packet);
    avformat_close_input(&format);
    static_cast<Pictures &>(info) = decoder;
    info.ok = decoder.errors == 0 && decoder.decoded == packets && packets > 0;
    info.videoSeconds = (end[0] - qMax<qint64>(0, start[0])) / 1e6;
    info.audioSeconds = start[1] < 0 ? 0 : (end[1] - start[1]) / 1e6;
    return info;
}

// Mean absolute difference per channel (0..255) of two pictures of one size.
inline double difference(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const uchar *p = x.constScanLine(row), *q = y.constScanLine(row);
        for (int i = 0; i < x.width() * 4; ++i) // the alpha byte is 0xff in both
            sum += qAbs(p[i] - q[i]);
    }
    return double(sum) / (3.0 * x.width() * x.height());
}

} // namespace VideoProbe
