#include "VVideoEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

VVideoEncoder::~VVideoEncoder()
{
    close();
}

bool VVideoEncoder::open(const Settings &settings, VPacketHub *hub)
{
    close();
    // x264 reports its settings and figures at the default level; keep only warnings.
    if (av_log_get_level() == AV_LOG_INFO)
        av_log_set_level(AV_LOG_WARNING);
    m_settings = settings;
    m_hub = hub;
    const AVCodec *codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        m_error = QStringLiteral("no libx264 encoder");
        return false;
    }
    m_codec = avcodec_alloc_context3(codec);
    m_codec->width = settings.size.width() & ~1;
    m_codec->height = settings.size.height() & ~1;
    m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
    // Capture times in microseconds: the frame rate may vary, the clock does not.
    m_codec->time_base = AVRational{1, kVMicroseconds};
    m_codec->framerate = AVRational{settings.fps, 1};
    m_codec->gop_size = 2 * settings.fps;
    m_codec->max_b_frames = 0;
    m_codec->thread_count = settings.threads;
    m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (settings.maxKbps > 0) {
        m_codec->rc_max_rate = int64_t(settings.maxKbps) * 1000;
        m_codec->rc_buffer_size = int(m_codec->rc_max_rate * 2);
    }
    AVDictionary *options = nullptr;
    av_dict_set(&options, "preset", settings.preset.toUtf8().constData(), 0);
    if (!settings.tune.isEmpty())
        av_dict_set(&options, "tune", settings.tune.toUtf8().constData(), 0);
    av_dict_set_int(&options, "crf", settings.crf, 0);
    // A requested key frame is a point a new consumer can start decoding from.
    av_dict_set(&options, "forced-idr", "1", 0);
    const int ret = avcodec_open2(m_codec, codec, &options);
    av_dict_free(&options);
    if (ret < 0) {
        m_error = QStringLiteral("libx264 refused the settings");
        avcodec_free_context(&m_codec);
        return false;
    }
    m_picture = av_frame_alloc();
    m_picture->format = m_codec->pix_fmt;
    m_picture->width = m_codec->width;
    m_picture->height = m_codec->height;
    av_frame_get_buffer(m_picture, 0);
    m_packet = av_packet_alloc();
    m_stream = m_hub ? m_hub->addStream(m_codec) : -1;
    m_lastPts = -1;
    m_frames = 0;
    return true;
}

bool VVideoEncoder::encode(const uchar *data, int stride, const QSize &size, Pixels pixels, qint64 ptsUs)
{
    if (!m_codec || !data || size.isEmpty() || ptsUs <= m_lastPts)
        return false;
    const AVPixelFormat in = pixels == Pixels::Bgr24 ? AV_PIX_FMT_BGR24 : AV_PIX_FMT_BGRA;
    m_sws = sws_getCachedContext(m_sws, size.width(), size.height(), in, m_codec->width, m_codec->height,
                                 m_codec->pix_fmt, SWS_FAST_BILINEAR, nullptr, nullptr, nullptr);
    if (!m_sws || av_frame_make_writable(m_picture) < 0)
        return false;
    const uint8_t *planes[1] = {data};
    const int strides[1] = {stride};
    sws_scale(m_sws, planes, strides, 0, size.height(), m_picture->data, m_picture->linesize);
    m_picture->pts = ptsUs;
    m_picture->pict_type = m_keyWanted ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    m_keyWanted = false;
    m_lastPts = ptsUs;
    if (avcodec_send_frame(m_codec, m_picture) < 0)
        return false;
    ++m_frames;
    drain();
    return true;
}

void VVideoEncoder::drain()
{
    while (avcodec_receive_packet(m_codec, m_packet) >= 0) {
        // The file needs each picture's length for its last one; one nominal frame.
        if (m_packet->duration <= 0)
            m_packet->duration = kVMicroseconds / qMax(1, m_settings.fps);
        if (m_hub)
            m_hub->publish(m_stream, m_packet, m_codec->time_base.num, m_codec->time_base.den);
        av_packet_unref(m_packet);
    }
}

void VVideoEncoder::flush()
{
    if (!m_codec)
        return;
    avcodec_send_frame(m_codec, nullptr);
    drain();
}

void VVideoEncoder::close()
{
    sws_freeContext(m_sws);
    m_sws = nullptr;
    av_frame_free(&m_picture);
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
}
