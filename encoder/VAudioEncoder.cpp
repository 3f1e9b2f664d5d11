#include "VAudioEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {
constexpr int kRate = 48000;
// A jump in the capture times below this is the device's jitter, not a gap.
constexpr qint64 kGapUs = 200000;
// Sound this far ahead of its capture time is cut back to it.
constexpr qint64 kAheadUs = 40000;
} // namespace

VAudioEncoder::~VAudioEncoder()
{
    close();
}

bool VAudioEncoder::open(VPacketHub *hub)
{
    close();
    m_hub = hub;
    const AVCodec *codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) {
        m_error = QStringLiteral("no AAC encoder");
        return false;
    }
    m_codec = avcodec_alloc_context3(codec);
    m_codec->sample_rate = kRate;
    av_channel_layout_default(&m_codec->ch_layout, 2);
    m_codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
    m_codec->bit_rate = 128000;
    m_codec->time_base = AVRational{1, kRate};
    m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(m_codec, codec, nullptr) < 0) {
        m_error = QStringLiteral("AAC encoder refused to open");
        avcodec_free_context(&m_codec);
        return false;
    }
    m_fifo = av_audio_fifo_alloc(m_codec->sample_fmt, m_codec->ch_layout.nb_channels, kRate);
    m_packet = av_packet_alloc();
    m_stream = m_hub ? m_hub->addStream(m_codec) : -1;
    m_nextSample = -1;
    return true;
}

void VAudioEncoder::push(const AVFrame *frame, qint64 startUs)
{
    if (!m_codec || !frame || frame->nb_samples <= 0)
        return;
    const int channels = frame->ch_layout.nb_channels;
    if (!m_swr || m_swrFormat != frame->format || m_swrRate != frame->sample_rate || m_swrChannels != channels) {
        swr_free(&m_swr);
        AVChannelLayout inLayout;
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&inLayout, channels);
        else
            av_channel_layout_copy(&inLayout, &frame->ch_layout);
        swr_alloc_set_opts2(&m_swr, &m_codec->ch_layout, m_codec->sample_fmt, kRate, &inLayout,
                            AVSampleFormat(frame->format), frame->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&inLayout);
        if (!m_swr || swr_init(m_swr) < 0) {
            swr_free(&m_swr);
            m_error = QStringLiteral("sound format not convertible");
            return;
        }
        m_swrFormat = frame->format;
        m_swrRate = frame->sample_rate;
        m_swrChannels = channels;
    }
    const int room = swr_get_out_samples(m_swr, frame->nb_samples);
    uint8_t **out = nullptr;
    if (room <= 0 || av_samples_alloc_array_and_samples(&out, nullptr, m_codec->ch_layout.nb_channels, room,
                                                        m_codec->sample_fmt, 0) < 0)
        return;
    int got = swr_convert(m_swr, out, room, const_cast<const uint8_t **>(frame->extended_data), frame->nb_samples);
    // Each block goes where its capture time says: a late device is preceded
    // by silence, sound from before the start or repeated by a device running
    // ahead of the clock is cut; small jitter is left alone.
    const bool first = m_nextSample < 0;
    if (first)
        m_nextSample = 0;
    const qint64 expected = m_nextSample + av_audio_fifo_size(m_fifo);
    const qint64 diff = av_rescale(startUs, kRate, kVMicroseconds) - expected;
    int skip = 0;
    if (diff > (first ? 0 : av_rescale(kGapUs, kRate, kVMicroseconds)))
        writeSilence(diff);
    else if (diff < (first ? 0 : -av_rescale(kAheadUs, kRate, kVMicroseconds)))
        skip = int(qMin<qint64>(got, -diff));
    if (got > skip) {
        uint8_t *planes[AV_NUM_DATA_POINTERS] = {nullptr};
        const int bytesPerSample = av_get_bytes_per_sample(m_codec->sample_fmt);
        for (int c = 0; c < m_codec->ch_layout.nb_channels; ++c)
            planes[c] = out[c] + skip * bytesPerSample;
        av_audio_fifo_write(m_fifo, reinterpret_cast<void **>(planes), got - skip);
    }
    av_freep(&out[0]);
    av_freep(&out);
    drainFifo(false);
}

void VAudioEncoder::writeSilence(qint64 samples)
{
    while (samples > 0) {
        const int n = int(qMin<qint64>(samples, kRate));
        uint8_t **data = nullptr;
        if (av_samples_alloc_array_and_samples(&data, nullptr, m_codec->ch_layout.nb_channels, n, m_codec->sample_fmt, 0) < 0)
            return;
        av_samples_set_silence(data, 0, n, m_codec->ch_layout.nb_channels, m_codec->sample_fmt);
        av_audio_fifo_write(m_fifo, reinterpret_cast<void **>(data), n);
        av_freep(&data[0]);
        av_freep(&data);
        samples -= n;
        drainFifo(false);
    }
}

void VAudioEncoder::padUntil(qint64 us)
{
    if (!m_codec)
        return;
    if (m_nextSample < 0)
        m_nextSample = 0;
    const qint64 until = av_rescale(us, kRate, kVMicroseconds);
    writeSilence(until - (m_nextSample + av_audio_fifo_size(m_fifo)));
}

void VAudioEncoder::drainFifo(bool all)
{
    const int frameSize = m_codec->frame_size > 0 ? m_codec->frame_size : 1024;
    while (av_audio_fifo_size(m_fifo) >= frameSize || (all && av_audio_fifo_size(m_fifo) > 0)) {
        const int n = qMin(frameSize, av_audio_fifo_size(m_fifo));
        AVFrame *frame = av_frame_alloc();
        frame->nb_samples = n;
        av_channel_layout_copy(&frame->ch_layout, &m_codec->ch_layout);
        frame->format = m_codec->sample_fmt;
        frame->sample_rate = kRate;
        if (av_frame_get_buffer(frame, 0) >= 0 && av_audio_fifo_read(m_fifo, reinterpret_cast<void **>(frame->data), n) == n) {
            frame->pts = m_nextSample;
            m_nextSample += n;
            send(frame);
        }
        av_frame_free(&frame);
    }
}

void VAudioEncoder::send(AVFrame *frame)
{
    if (avcodec_send_frame(m_codec, frame) < 0)
        return;
    while (avcodec_receive_packet(m_codec, m_packet) >= 0) {
        if (m_hub)
            m_hub->publish(m_stream, m_packet, 1, kRate);
        av_packet_unref(m_packet);
    }
}

void VAudioEncoder::flush()
{
    if (!m_codec)
        return;
    drainFifo(true);
    send(nullptr);
}

qint64 VAudioEncoder::encodedUs() const
{
    return m_nextSample < 0 ? 0 : av_rescale(m_nextSample, kVMicroseconds, kRate);
}

void VAudioEncoder::close()
{
    swr_free(&m_swr);
    if (m_fifo)
        av_audio_fifo_free(m_fifo);
    m_fifo = nullptr;
    av_packet_free(&m_packet);
    avcodec_free_context(&m_codec);
}
