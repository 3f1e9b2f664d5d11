#include "RRecAudio.h"

#include "RRecorderRules.h"

#include <QDebug>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/time.h>
}

#include <cinttypes>

namespace {

QString avError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, buf, sizeof(buf));
    return QString::fromLocal8Bit(buf);
}

// Everything one request opens, released in one place whatever way it ends.
struct Session {
    AVFormatContext *input = nullptr;
    AVCodecContext *decoder = nullptr;
    AVFormatContext *output = nullptr;
    AVCodecContext *encoder = nullptr;
    AVFilterGraph *graph = nullptr;
    AVFilterContext *source = nullptr;
    AVFilterContext *sink = nullptr;
    AVAudioFifo *fifo = nullptr;
    AVFrame *decoded = nullptr;
    AVFrame *converted = nullptr;
    AVPacket *packet = nullptr;
    int streamIndex = -1;
    bool headerWritten = false;
    int64_t samplesOut = 0;

    ~Session()
    {
        if (output) {
            if (headerWritten)
                av_write_trailer(output);
            if (!(output->oformat->flags & AVFMT_NOFILE))
                avio_closep(&output->pb);
            avformat_free_context(output);
        }
        av_packet_free(&packet);
        av_frame_free(&decoded);
        av_frame_free(&converted);
        if (fifo)
            av_audio_fifo_free(fifo);
        avfilter_graph_free(&graph);
        avcodec_free_context(&encoder);
        avcodec_free_context(&decoder);
        avformat_close_input(&input);
    }
};

bool initFilters(Session &s)
{
    const AVFilter *abuffer = avfilter_get_by_name("abuffer");
    const AVFilter *abuffersink = avfilter_get_by_name("abuffersink");
    if (!abuffer || !abuffersink) {
        qInfo() << "RRecAudio::initFilters: filtering source or sink element not found";
        return false;
    }
    s.graph = avfilter_graph_alloc();
    if (s.decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&s.decoder->ch_layout, s.decoder->ch_layout.nb_channels);
    char layout[128] = {0};
    av_channel_layout_describe(&s.decoder->ch_layout, layout, sizeof(layout));
    const AVRational tb = s.decoder->time_base.num ? s.decoder->time_base : AVRational{1, s.decoder->sample_rate};
    char args[512];
    snprintf(args, sizeof(args), "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s", tb.num, tb.den,
             s.decoder->sample_rate, av_get_sample_fmt_name(s.decoder->sample_fmt), layout);
    if (avfilter_graph_create_filter(&s.source, abuffer, "in", args, nullptr, s.graph) < 0) {
        qInfo() << "RRecAudio::initFilters: Cannot create audio buffer source" << args;
        return false;
    }
    if (avfilter_graph_create_filter(&s.sink, abuffersink, "out", nullptr, nullptr, s.graph) < 0) {
        qInfo() << "RRecAudio::initFilters: Cannot create audio buffer sink";
        return false;
    }
    const int fmts[] = {s.encoder->sample_fmt, -1};
    if (av_opt_set_int_list(s.sink, "sample_fmts", fmts, -1, AV_OPT_SEARCH_CHILDREN) < 0) {
        qInfo() << "RRecAudio::initFilters: Cannot set output sample format";
        return false;
    }
    char outLayout[128] = {0};
    av_channel_layout_describe(&s.encoder->ch_layout, outLayout, sizeof(outLayout));
    if (av_opt_set(s.sink, "ch_layouts", outLayout, AV_OPT_SEARCH_CHILDREN) < 0) {
        qInfo() << "RRecAudio::initFilters: Cannot set output channel layout";
        return false;
    }
    const int rates[] = {s.encoder->sample_rate, -1};
    if (av_opt_set_int_list(s.sink, "sample_rates", rates, -1, AV_OPT_SEARCH_CHILDREN) < 0) {
        qInfo() << "RRecAudio::initFilters: Cannot set output sample rate";
        return false;
    }
    AVFilterInOut *outputs = avfilter_inout_alloc();
    AVFilterInOut *inputs = avfilter_inout_alloc();
    outputs->name = av_strdup("in");
    outputs->filter_ctx = s.source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = s.sink;
    int ret = avfilter_graph_parse_ptr(s.graph, "anull", &inputs, &outputs, nullptr);
    if (ret >= 0)
        ret = avfilter_graph_config(s.graph, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (ret < 0)
        qInfo() << "RRecAudio::initFilters: graph failed" << avError(ret);
    // Frames of the encoder's size come out of the FIFO, so the sink's size does not matter.
    return ret >= 0;
}

// Encodes one frame (null: flush) and writes every packet the encoder has.
void encode(Session &s, AVFrame *frame)
{
    int ret = avcodec_send_frame(s.encoder, frame);
    if (ret < 0) {
        qInfo() << "RRecAudio::encode: Error sending a frame for encoding" << avError(ret);
        return;
    }
    while ((ret = avcodec_receive_packet(s.encoder, s.packet)) >= 0) {
        s.packet->stream_index = 0;
        av_packet_rescale_ts(s.packet, s.encoder->time_base, s.output->streams[0]->time_base);
        const int w = av_write_frame(s.output, s.packet);
        if (w < 0)
            qInfo() << "RRecAudio::encode: write failed" << avError(w);
        av_packet_unref(s.packet);
    }
}

// Moves whole encoder frames out of the FIFO; with flush also the rest.
void drainFifo(Session &s, bool flush)
{
    const int frameSize = s.encoder->frame_size > 0 ? s.encoder->frame_size : 1024;
    while (av_audio_fifo_size(s.fifo) >= frameSize || (flush && av_audio_fifo_size(s.fifo) > 0)) {
        const int n = qMin(frameSize, av_audio_fifo_size(s.fifo));
        AVFrame *frame = av_frame_alloc();
        frame->nb_samples = n;
        av_channel_layout_copy(&frame->ch_layout, &s.encoder->ch_layout);
        frame->format = s.encoder->sample_fmt;
        frame->sample_rate = s.encoder->sample_rate;
        if (av_frame_get_buffer(frame, 0) >= 0
            && av_audio_fifo_read(s.fifo, reinterpret_cast<void **>(frame->data), n) == n) {
            frame->pts = s.samplesOut;
            s.samplesOut += n;
            encode(s, frame);
        }
        av_frame_free(&frame);
    }
}

// Silence of that length into the FIFO.
void padSilence(Session &s, int64_t us)
{
    const int samples = int(av_rescale(us, s.encoder->sample_rate, AV_TIME_BASE));
    uint8_t **data = nullptr;
    if (samples <= 0 || av_samples_alloc_array_and_samples(&data, nullptr, s.encoder->ch_layout.nb_channels, samples,
                                                           s.encoder->sample_fmt, 0) < 0)
        return;
    av_samples_set_silence(data, 0, samples, s.encoder->ch_layout.nb_channels, s.encoder->sample_fmt);
    av_audio_fifo_write(s.fifo, reinterpret_cast<void **>(data), samples);
    av_freep(&data[0]);
    av_freep(&data);
}

// Keeps the sound on the recording's clock: a device that starts late or
// drops out leaves silence in its place instead of pulling the rest earlier.
// atUs: wall-clock time the next samples belong to.
void fillGap(Session &s, int64_t atUs, qint64 startWallMs)
{
    // Only devices that stamp their packets with the wall clock (pulse, alsa) can be aligned.
    if (startWallMs <= 0 || llabs(atUs - av_gettime()) > 10 * AV_TIME_BASE)
        return;
    const int64_t queued = s.samplesOut + av_audio_fifo_size(s.fifo);
    const int64_t expectedUs = startWallMs * 1000 + av_rescale(queued, AV_TIME_BASE, s.encoder->sample_rate);
    const int64_t gapUs = atUs - expectedUs;
    if (gapUs < 200000 || gapUs > 10 * AV_TIME_BASE)
        return;
    padSilence(s, gapUs);
    qInfo() << "RRecAudio::fillGap: silence ms" << gapUs / 1000 << "after samples" << queued;
}

} // namespace

RRecAudio::RRecAudio(QObject *parent) : QObject(parent) {}

void RRecAudio::setDevice(const QString &name, const QString &realm)
{
    m_strAudioName = name;
    m_strRealm = realm;
}

void RRecAudio::setRun(bool brun)
{
    qInfo() << "RRecAudio::setRun:" << brun;
    m_bRun.store(brun);
}

void RRecAudio::ffmpegAudio()
{
    if (m_strAudioName.isEmpty() || m_strOutputPath.isEmpty()) {
        emit response(1, QStringLiteral("no device or output"));
        return;
    }
    avdevice_register_all();
    const QString formatName = RRecorderRules::audioInputFormat(m_strRealm);
    const AVInputFormat *format = av_find_input_format(formatName.toUtf8().constData());
    if (!format) {
        qInfo() << "RRecAudio::ffmpegAudio: no input format" << formatName;
        emit response(1, QStringLiteral("no input format ") + formatName);
        return;
    }
    Session s;
    const QByteArray url = RRecorderRules::audioInputUrl(m_strRealm, m_strAudioName).toUtf8();
    AVDictionary *options = nullptr;
    // Small fragments: the server's default holds about two seconds back, which
    // delays the first sound and loses the last when the recording stops.
    if (formatName == QLatin1String("pulse"))
        av_dict_set(&options, "fragment_size", "4096", 0);
    int ret = avformat_open_input(&s.input, url.constData(), format, &options);
    av_dict_free(&options);
    if (ret < 0) {
        qInfo() << "RRecAudio::ffmpegAudio: avformat_open_input:" << ret << avError(ret) << url;
        emit response(1, QStringLiteral("avformat_open_input: ") + avError(ret));
        return;
    }
    if ((ret = avformat_find_stream_info(s.input, nullptr)) < 0) {
        emit response(1, QStringLiteral("-1"));
        return;
    }
    s.streamIndex = av_find_best_stream(s.input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (s.streamIndex < 0) {
        qInfo() << "RRecAudio::ffmpegAudio: no audio stream";
        emit response(1, QStringLiteral("no audio stream"));
        return;
    }
    AVStream *in = s.input->streams[s.streamIndex];
    const AVCodec *decoder = avcodec_find_decoder(in->codecpar->codec_id);
    s.decoder = avcodec_alloc_context3(decoder);
    if (!decoder || avcodec_parameters_to_context(s.decoder, in->codecpar) < 0
        || avcodec_open2(s.decoder, decoder, nullptr) < 0) {
        qInfo() << "RRecAudio::ffmpegAudio: can not find or open decoder!";
        emit response(1, QStringLiteral("can not find or open decoder!"));
        return;
    }
    s.decoder->pkt_timebase = in->time_base;
    qInfo() << "RRecAudio::ffmpegAudio: rate" << s.decoder->sample_rate << "channels"
            << s.decoder->ch_layout.nb_channels;

    const QByteArray path = m_strOutputPath.toUtf8();
    avformat_alloc_output_context2(&s.output, nullptr, "adts", path.constData());
    const AVCodec *encoder = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!s.output || !encoder) {
        emit response(1, QStringLiteral("no AAC output"));
        return;
    }
    AVStream *out = avformat_new_stream(s.output, nullptr);
    s.encoder = avcodec_alloc_context3(encoder);
    s.encoder->sample_rate = s.decoder->sample_rate;
    av_channel_layout_default(&s.encoder->ch_layout, 2);
    s.encoder->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    s.encoder->time_base = AVRational{1, s.encoder->sample_rate};
    if (s.output->oformat->flags & AVFMT_GLOBALHEADER)
        s.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(s.encoder, encoder, nullptr) < 0) {
        emit response(1, QStringLiteral("编码器打开失败"));
        return;
    }
    if (avcodec_parameters_from_context(out->codecpar, s.encoder) < 0) {
        emit response(1, QStringLiteral("Failed to copy encoder parameters to output stream"));
        return;
    }
    out->time_base = s.encoder->time_base;
    if (!(s.output->oformat->flags & AVFMT_NOFILE) && avio_open(&s.output->pb, path.constData(), AVIO_FLAG_WRITE) < 0) {
        emit response(1, QStringLiteral("Could not open output file"));
        return;
    }
    if (avformat_write_header(s.output, nullptr) < 0) {
        emit response(1, QStringLiteral("Error occurred when opening audio output file"));
        return;
    }
    s.headerWritten = true;
    if (!initFilters(s)) {
        emit response(1, QStringLiteral("init_filters failed"));
        return;
    }
    s.fifo = av_audio_fifo_alloc(s.encoder->sample_fmt, s.encoder->ch_layout.nb_channels, 1);
    s.decoded = av_frame_alloc();
    s.converted = av_frame_alloc();
    s.packet = av_packet_alloc();
    AVPacket *inPacket = av_packet_alloc();

    // After the stop, sound the device captured before it is still read (up to a second).
    int64_t stopUs = 0;
    for (;;) {
        if (!m_bRun.load() && stopUs == 0)
            stopUs = av_gettime();
        ret = av_read_frame(s.input, inPacket);
        if (ret < 0) {
            qInfo() << "RRecAudio::ffmpegAudio: read failed" << avError(ret);
            break;
        }
        if (inPacket->stream_index != s.streamIndex) {
            av_packet_unref(inPacket);
            continue;
        }
        if (stopUs > 0) {
            const int64_t ptsUs = inPacket->pts == AV_NOPTS_VALUE
                                      ? 0 : av_rescale_q(inPacket->pts, in->time_base, AV_TIME_BASE_Q);
            if (llabs(ptsUs - stopUs) > 10 * AV_TIME_BASE || ptsUs >= stopUs || av_gettime() - stopUs > AV_TIME_BASE) {
                av_packet_unref(inPacket);
                break;
            }
        }
        if (inPacket->pts != AV_NOPTS_VALUE)
            fillGap(s, av_rescale_q(inPacket->pts, in->time_base, AV_TIME_BASE_Q), m_startWallMs);
        ret = avcodec_send_packet(s.decoder, inPacket);
        av_packet_unref(inPacket);
        if (ret < 0) {
            qInfo() << "RRecAudio::ffmpegAudio: Send audio packet failed!" << avError(ret);
            continue;
        }
        while (avcodec_receive_frame(s.decoder, s.decoded) >= 0) {
            if (av_buffersrc_add_frame_flags(s.source, s.decoded, 0) < 0) {
                qInfo() << "RRecAudio::ffmpegAudio: Error while feeding the filtergraph";
                av_frame_unref(s.decoded);
                continue;
            }
            while (av_buffersink_get_frame(s.sink, s.converted) >= 0) {
                av_audio_fifo_write(s.fifo, reinterpret_cast<void **>(s.converted->data), s.converted->nb_samples);
                av_frame_unref(s.converted);
            }
        }
        drainFifo(s, false);
    }
    av_packet_free(&inPacket);
    // Keep the last moments: what the filter, the FIFO and the encoder still hold.
    if (av_buffersrc_add_frame_flags(s.source, nullptr, 0) >= 0) {
        while (av_buffersink_get_frame(s.sink, s.converted) >= 0) {
            av_audio_fifo_write(s.fifo, reinterpret_cast<void **>(s.converted->data), s.converted->nb_samples);
            av_frame_unref(s.converted);
        }
    }
    if (stopUs > 0)
        fillGap(s, stopUs, m_startWallMs);
    drainFifo(s, true);
    encode(s, nullptr);
    const int64_t samples = s.samplesOut;
    const int rate = s.encoder->sample_rate;
    qInfo() << "RRecAudio::ffmpegAudio end:" << m_bRun.load() << "samples" << samples << "rate" << rate;
    emit response(0, QStringLiteral("samples %1 rate %2").arg(samples).arg(rate));
}
