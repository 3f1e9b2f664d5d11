#include "VRemuxer.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavcodec/bsf.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace {

struct Track {
    AVStream *out = nullptr;
    AVBSFContext *bsf = nullptr;
    // Sound that is encoded again.
    AVCodecContext *decoder = nullptr;
    AVCodecContext *encoder = nullptr;
    SwrContext *swr = nullptr;
    AVAudioFifo *fifo = nullptr;
    int64_t nextSample = AV_NOPTS_VALUE;
    int64_t lastDts = AV_NOPTS_VALUE;
    int64_t endPts = 0; // in the output's time base
    bool video = false;
};

struct Job {
    AVFormatContext *in = nullptr;
    AVFormatContext *out = nullptr;
    std::vector<Track> tracks;
    int writeError = 0;
    ~Job()
    {
        for (Track &t : tracks) {
            av_bsf_free(&t.bsf);
            avcodec_free_context(&t.decoder);
            avcodec_free_context(&t.encoder);
            swr_free(&t.swr);
            if (t.fifo)
                av_audio_fifo_free(t.fifo);
        }
        if (out) {
            avio_closep(&out->pb);
            avformat_free_context(out);
        }
        avformat_close_input(&in);
    }
};

const char *soundEncoderFor(const QString &format)
{
    if (format == QLatin1String("avi"))
        return "libmp3lame";
    if (format == QLatin1String("asf"))
        return "wmav2";
    return nullptr; // AAC is copied
}

void write(Job &job, Track &t, AVPacket *pkt)
{
    if (pkt->dts != AV_NOPTS_VALUE) {
        // Timestamps rounded to a coarser time base must still increase.
        if (t.lastDts != AV_NOPTS_VALUE && pkt->dts <= t.lastDts)
            pkt->dts = t.lastDts + 1;
        if (pkt->pts != AV_NOPTS_VALUE && pkt->pts < pkt->dts)
            pkt->pts = pkt->dts;
        t.lastDts = pkt->dts;
    }
    if (pkt->pts != AV_NOPTS_VALUE)
        t.endPts = qMax<int64_t>(t.endPts, pkt->pts + qMax<int64_t>(0, pkt->duration));
    pkt->stream_index = t.out->index;
    const int ret = av_interleaved_write_frame(job.out, pkt);
    if (ret < 0 && !job.writeError)
        job.writeError = ret;
}

void encodeSound(Job &job, Track &t, AVFrame *frame)
{
    AVPacket *pkt = av_packet_alloc();
    if (avcodec_send_frame(t.encoder, frame) >= 0) {
        while (avcodec_receive_packet(t.encoder, pkt) >= 0) {
            av_packet_rescale_ts(pkt, t.encoder->time_base, t.out->time_base);
            write(job, t, pkt);
            av_packet_unref(pkt);
        }
    }
    av_packet_free(&pkt);
}

void drainFifo(Job &job, Track &t, bool all)
{
    const int size = t.encoder->frame_size > 0 ? t.encoder->frame_size : 1152;
    while (av_audio_fifo_size(t.fifo) >= size || (all && av_audio_fifo_size(t.fifo) > 0)) {
        const int n = qMin(size, av_audio_fifo_size(t.fifo));
        AVFrame *f = av_frame_alloc();
        f->nb_samples = size; // a short last frame is padded with silence
        av_channel_layout_copy(&f->ch_layout, &t.encoder->ch_layout);
        f->format = t.encoder->sample_fmt;
        f->sample_rate = t.encoder->sample_rate;
        if (av_frame_get_buffer(f, 0) >= 0) {
            av_samples_set_silence(f->extended_data, 0, size, f->ch_layout.nb_channels, t.encoder->sample_fmt);
            av_audio_fifo_read(t.fifo, reinterpret_cast<void **>(f->extended_data), n);
            f->pts = t.nextSample;
            t.nextSample += n;
            encodeSound(job, t, f);
        }
        av_frame_free(&f);
    }
}

void transcode(Job &job, Track &t, const AVPacket *pkt, AVRational inBase)
{
    if (avcodec_send_packet(t.decoder, pkt) < 0)
        return;
    AVFrame *decoded = av_frame_alloc();
    while (avcodec_receive_frame(t.decoder, decoded) >= 0) {
        if (t.nextSample == AV_NOPTS_VALUE) {
            const int64_t pts = decoded->pts != AV_NOPTS_VALUE ? decoded->pts : 0;
            t.nextSample = av_rescale_q(pts, inBase, t.encoder->time_base);
        }
        const int room = swr_get_out_samples(t.swr, decoded->nb_samples);
        uint8_t **buf = nullptr;
        if (room > 0 && av_samples_alloc_array_and_samples(&buf, nullptr, t.encoder->ch_layout.nb_channels, room,
                                                           t.encoder->sample_fmt, 0) >= 0) {
            const int got = swr_convert(t.swr, buf, room, const_cast<const uint8_t **>(decoded->extended_data),
                                        decoded->nb_samples);
            if (got > 0)
                av_audio_fifo_write(t.fifo, reinterpret_cast<void **>(buf), got);
            av_freep(&buf[0]);
            av_freep(&buf);
        }
        av_frame_unref(decoded);
        drainFifo(job, t, false);
    }
    av_frame_free(&decoded);
}

bool openTranscoder(Track &t, const AVStream *in, const char *encoderName, const AVOutputFormat *format)
{
    const AVCodec *dec = avcodec_find_decoder(in->codecpar->codec_id);
    const AVCodec *enc = avcodec_find_encoder_by_name(encoderName);
    if (!enc && qstrcmp(encoderName, "libmp3lame") == 0)
        enc = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!dec || !enc)
        return false;
    t.decoder = avcodec_alloc_context3(dec);
    avcodec_parameters_to_context(t.decoder, in->codecpar);
    t.decoder->pkt_timebase = in->time_base;
    if (avcodec_open2(t.decoder, dec, nullptr) < 0)
        return false;
    t.encoder = avcodec_alloc_context3(enc);
    t.encoder->sample_rate = t.decoder->sample_rate;
    av_channel_layout_default(&t.encoder->ch_layout, 2);
    t.encoder->sample_fmt = enc->sample_fmts ? enc->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
    t.encoder->bit_rate = 128000;
    t.encoder->time_base = AVRational{1, t.encoder->sample_rate};
    if (format->flags & AVFMT_GLOBALHEADER)
        t.encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(t.encoder, enc, nullptr) < 0)
        return false;
    AVChannelLayout inLayout;
    if (t.decoder->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&inLayout, t.decoder->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&inLayout, &t.decoder->ch_layout);
    swr_alloc_set_opts2(&t.swr, &t.encoder->ch_layout, t.encoder->sample_fmt, t.encoder->sample_rate, &inLayout,
                        t.decoder->sample_fmt, t.decoder->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&inLayout);
    if (!t.swr || swr_init(t.swr) < 0)
        return false;
    t.fifo = av_audio_fifo_alloc(t.encoder->sample_fmt, t.encoder->ch_layout.nb_channels, 4096);
    return avcodec_parameters_from_context(t.out->codecpar, t.encoder) >= 0;
}

} // namespace

QString VRemuxer::formatName(const QString &extension)
{
    const QString e = extension.toLower();
    if (e == QLatin1String(".mp4"))
        return QStringLiteral("mp4");
    if (e == QLatin1String(".avi"))
        return QStringLiteral("avi");
    if (e == QLatin1String(".flv"))
        return QStringLiteral("flv");
    if (e == QLatin1String(".wmv"))
        return QStringLiteral("asf");
    if (e == QLatin1String(".mkv"))
        return QStringLiteral("matroska");
    return QString();
}

VRemuxer::Outcome VRemuxer::remux(const QString &input, const QString &output, const QString &extension,
                                  const std::function<void(double)> &progress)
{
    Outcome outcome;
    const QString format = formatName(extension);
    Job job;
    const QByteArray inPath = input.toUtf8(), outPath = output.toUtf8();
    if (format.isEmpty() || avformat_open_input(&job.in, inPath.constData(), nullptr, nullptr) < 0
        || avformat_find_stream_info(job.in, nullptr) < 0) {
        outcome.result = Result::NoInput;
        return outcome;
    }
    if (avformat_alloc_output_context2(&job.out, nullptr, format.toUtf8().constData(), outPath.constData()) < 0)
        return outcome;
    const bool annexB = format == QLatin1String("avi") || format == QLatin1String("asf");
    const char *soundEncoder = soundEncoderFor(format);
    job.tracks.resize(job.in->nb_streams);
    bool haveVideo = false;
    for (unsigned i = 0; i < job.in->nb_streams; ++i) {
        const AVStream *in = job.in->streams[i];
        Track &t = job.tracks[i];
        const AVMediaType type = in->codecpar->codec_type;
        if (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)
            continue;
        t.video = type == AVMEDIA_TYPE_VIDEO;
        t.out = avformat_new_stream(job.out, nullptr);
        if (t.video) {
            haveVideo = true;
            const AVCodecParameters *params = in->codecpar;
            if (annexB && in->codecpar->codec_id == AV_CODEC_ID_H264) {
                const AVBitStreamFilter *filter = av_bsf_get_by_name("h264_mp4toannexb");
                if (filter && av_bsf_alloc(filter, &t.bsf) >= 0) {
                    avcodec_parameters_copy(t.bsf->par_in, in->codecpar);
                    t.bsf->time_base_in = in->time_base;
                    if (av_bsf_init(t.bsf) >= 0)
                        params = t.bsf->par_out;
                }
            }
            avcodec_parameters_copy(t.out->codecpar, params);
            // AVI counts frames: its time base is the nominal rate, gaps become empty frames.
            const AVRational rate = in->avg_frame_rate.num > 0 ? in->avg_frame_rate : AVRational{30, 1};
            t.out->time_base = format == QLatin1String("avi") ? av_inv_q(rate) : in->time_base;
            t.out->avg_frame_rate = rate;
        } else if (soundEncoder) {
            if (!openTranscoder(t, in, soundEncoder, job.out->oformat)) {
                qInfo() << "VRemuxer::remux: cannot encode sound with" << soundEncoder;
                return outcome;
            }
            t.out->time_base = t.encoder->time_base;
        } else {
            avcodec_parameters_copy(t.out->codecpar, in->codecpar);
            t.out->time_base = in->time_base;
        }
        t.out->codecpar->codec_tag = 0;
    }
    if (!haveVideo) {
        outcome.result = Result::NoInput;
        return outcome;
    }
    AVDictionary *options = nullptr;
    if (format == QLatin1String("mp4"))
        av_dict_set(&options, "movflags", "+faststart", 0);
    int ret = avio_open(&job.out->pb, outPath.constData(), AVIO_FLAG_WRITE);
    if (ret >= 0)
        ret = avformat_write_header(job.out, &options);
    av_dict_free(&options);
    if (ret < 0) {
        outcome.result = ret == AVERROR(ENOSPC) || ret == AVERROR(EFBIG) ? Result::NoSpace : Result::Failed;
        return outcome;
    }
    const double total = job.in->duration > 0 ? double(job.in->duration) / AV_TIME_BASE : 0.0;
    AVPacket *pkt = av_packet_alloc();
    while (!job.writeError && av_read_frame(job.in, pkt) >= 0) {
        if (pkt->stream_index < 0 || pkt->stream_index >= int(job.tracks.size()) || !job.tracks[pkt->stream_index].out) {
            av_packet_unref(pkt);
            continue;
        }
        Track &t = job.tracks[pkt->stream_index];
        const AVStream *in = job.in->streams[pkt->stream_index];
        if (progress && total > 0 && t.video && pkt->pts != AV_NOPTS_VALUE)
            progress(qBound(0.0, pkt->pts * av_q2d(in->time_base) / total, 1.0));
        if (t.encoder) {
            transcode(job, t, pkt, in->time_base);
            av_packet_unref(pkt);
            continue;
        }
        if (t.bsf) {
            if (av_bsf_send_packet(t.bsf, pkt) < 0) {
                av_packet_unref(pkt);
                continue;
            }
            while (av_bsf_receive_packet(t.bsf, pkt) >= 0) {
                av_packet_rescale_ts(pkt, in->time_base, t.out->time_base);
                write(job, t, pkt);
                ++outcome.videoPackets;
                av_packet_unref(pkt);
            }
            continue;
        }
        av_packet_rescale_ts(pkt, in->time_base, t.out->time_base);
        write(job, t, pkt);
        if (t.video)
            ++outcome.videoPackets;
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    for (Track &t : job.tracks) {
        if (t.encoder && !job.writeError) {
            transcode(job, t, nullptr, AVRational{1, 1});
            drainFifo(job, t, true);
            encodeSound(job, t, nullptr);
        }
    }
    if (!job.writeError)
        job.writeError = av_write_trailer(job.out);
    if (!job.writeError && job.out->pb->error < 0)
        job.writeError = job.out->pb->error;
    avio_flush(job.out->pb);
    if (!job.writeError && job.out->pb->error < 0)
        job.writeError = job.out->pb->error;
    for (const Track &t : job.tracks) {
        if (!t.out)
            continue;
        const double seconds = t.endPts * av_q2d(t.out->time_base);
        (t.video ? outcome.videoSeconds : outcome.audioSeconds) = seconds;
    }
    if (job.writeError < 0) {
        const int e = job.writeError;
        outcome.result = e == AVERROR(ENOSPC) || e == AVERROR(EFBIG) || e == AVERROR(EDQUOT) ? Result::NoSpace
                                                                                             : Result::Failed;
        return outcome;
    }
    outcome.result = outcome.videoPackets > 0 ? Result::Ok : Result::NoInput;
    if (progress && outcome.result == Result::Ok)
        progress(1.0);
    return outcome;
}

QString VRemuxer::publish(const QString &partial, const QString &desired)
{
    const QByteArray from = QFile::encodeName(partial);
    const QFileInfo info(desired);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString stem = desired.left(desired.size() - suffix.size());
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? desired : stem + QLatin1Char('-') + QString::number(n) + suffix;
        const QByteArray to = QFile::encodeName(candidate);
        // Atomic and never replacing: two recorders finishing at once get two names.
        if (renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return candidate;
        if (errno == EEXIST)
            continue;
        if (errno != EINVAL && errno != ENOSYS)
            return QString();
        // A file system without that rename: a hard link is just as exclusive.
        if (::link(from.constData(), to.constData()) == 0) {
            ::unlink(from.constData());
            return candidate;
        }
        if (errno == EEXIST)
            continue;
        // Neither (FAT on a USB stick): claim the name, then move the file over the claim.
        const int fd = ::open(to.constData(), O_CREAT | O_EXCL | O_WRONLY, 0644);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return QString();
        }
        ::close(fd);
        return ::rename(from.constData(), to.constData()) == 0 ? candidate : QString();
    }
    return QString();
}
