#pragma once
// Reads encoded video back for tests: H.264 packets straight from a hub, or
// a finished file, decoded with FFmpeg into RGB32 pictures.

#include "VPacket.h"

#include <QImage>
#include <QList>
#include <QString>

#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace VideoProbe {

struct Decoded {
    QImage picture;
    qint64 ptsUs = 0;
};

class Decoder
{
public:
    explicit Decoder(const AVCodecParameters *params)
    {
        const AVCodec *codec = avcodec_find_decoder(params->codec_id);
        m_ctx = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(m_ctx, params);
        m_ctx->pkt_timebase = AVRational{1, kVMicroseconds};
        if (avcodec_open2(m_ctx, codec, nullptr) < 0)
            avcodec_free_context(&m_ctx);
        m_frame = av_frame_alloc();
    }
    ~Decoder()
    {
        sws_freeContext(m_sws);
        av_frame_free(&m_frame);
        avcodec_free_context(&m_ctx);
    }
    bool isOpen() const { return m_ctx != nullptr; }
    int errors() const { return m_errors; }
    // pts in the packet's own time base, scaled by `toUs`.
    void send(const AVPacket *packet, double toUs = 1.0)
    {
        if (!m_ctx)
            return;
        if (avcodec_send_packet(m_ctx, packet) < 0)
            ++m_errors;
        while (avcodec_receive_frame(m_ctx, m_frame) >= 0) {
            QImage image(m_frame->width, m_frame->height, QImage::Format_RGB32);
            m_sws = sws_getCachedContext(m_sws, m_frame->width, m_frame->height, AVPixelFormat(m_frame->format),
                                         m_frame->width, m_frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr,
                                         nullptr, nullptr);
            uint8_t *planes[1] = {image.bits()};
            int strides[1] = {int(image.bytesPerLine())};
            sws_scale(m_sws, m_frame->data, m_frame->linesize, 0, m_frame->height, planes, strides);
            frames.push_back({image, qint64(m_frame->best_effort_timestamp * toUs)});
        }
    }
    void flush() { send(nullptr); }
    std::vector<Decoded> frames;

private:
    AVCodecContext *m_ctx = nullptr;
    AVFrame *m_frame = nullptr;
    SwsContext *m_sws = nullptr;
    int m_errors = 0;
};

struct FileInfo {
    bool ok = false;
    double videoSeconds = 0;
    double audioSeconds = 0;
    std::vector<Decoded> frames; // every picture, pts from the file's start
};

// Decodes every picture of the file's first video stream.
inline FileInfo readFile(const QString &path)
{
    FileInfo info;
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return info;
    avformat_find_stream_info(format, nullptr);
    const int video = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audio = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (video < 0) {
        avformat_close_input(&format);
        return info;
    }
    const AVRational vtb = format->streams[video]->time_base;
    Decoder decoder(format->streams[video]->codecpar);
    AVPacket *packet = av_packet_alloc();
    qint64 vEnd = 0, aEnd = 0, vStart = -1, aStart = -1;
    while (av_read_frame(format, packet) >= 0) {
        const AVRational tb = format->streams[packet->stream_index]->time_base;
        const qint64 start = av_rescale_q(packet->pts, tb, AVRational{1, kVMicroseconds});
        const qint64 end = start + av_rescale_q(packet->duration, tb, AVRational{1, kVMicroseconds});
        if (packet->stream_index == video) {
            vStart = vStart < 0 ? start : qMin(vStart, start);
            vEnd = qMax(vEnd, end);
            decoder.send(packet, double(kVMicroseconds) * vtb.num / vtb.den);
        } else if (packet->stream_index == audio) {
            aStart = aStart < 0 ? start : qMin(aStart, start);
            aEnd = qMax(aEnd, end);
        }
        av_packet_unref(packet);
    }
    decoder.flush();
    av_packet_free(&packet);
    avformat_close_input(&format);
    info.ok = decoder.errors() == 0 && !decoder.frames.empty();
    info.videoSeconds = (vEnd - qMax<qint64>(0, vStart)) / 1e6;
    info.audioSeconds = aStart < 0 ? 0 : (aEnd - aStart) / 1e6;
    info.frames = std::move(decoder.frames);
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
        const QRgb *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const QRgb *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            sum += qAbs(qRed(p[col]) - qRed(q[col])) + qAbs(qGreen(p[col]) - qGreen(q[col]))
                   + qAbs(qBlue(p[col]) - qBlue(q[col]));
    }
    return double(sum) / (3.0 * x.width() * x.height());
}

} // namespace VideoProbe
