#include "SyncMeter.h"

#include "SyncBeep.h"
#include "SyncBeepDetector.h"
#include "VirtualCameraSyncMarks.h"

#include <QMap>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr double kPairWithinSeconds = 2.0;

// Owners of the libav objects, freed by their own functions.
template <typename T, void (*Free)(T **)>
struct Freer
{
    void operator()(T *p) const { Free(&p); }
};
using CodecPtr = std::unique_ptr<AVCodecContext, Freer<AVCodecContext, avcodec_free_context>>;

CodecPtr openDecoder(const AVStream *stream, int threads)
{
    const AVCodec *codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec)
        return nullptr;
    CodecPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0)
        return nullptr;
    context->thread_count = threads;
    context->pkt_timebase = stream->time_base;
    if (avcodec_open2(context.get(), codec, nullptr) < 0)
        return nullptr;
    return context;
}

// What the picture's marks say: for each clock second, when the picture shows it.
class MarkCollector
{
public:
    struct Mark
    {
        double start = std::numeric_limits<double>::quiet_NaN(); // pts minus the milliseconds into the second
        double flash = std::numeric_limits<double>::quiet_NaN(); // first frame with the flash
        int firstPhase = 1000;
    };

    void add(double pts, const VirtualCameraSyncMarks::Reading &r) { m_readings.push_back({pts, r}); }

    // The code counts seconds mod 256. Every frame says how far the file's
    // time runs from the clock; frames far from the common answer were misread
    // and are dropped, the rest are unwrapped along that answer.
    QMap<int64_t, Mark> marks(int *kept) const
    {
        QMap<int64_t, Mark> result;
        *kept = 0;
        if (m_readings.empty())
            return result;
        const auto clock = [](const Entry &e) { return e.reading.second + e.reading.phaseMs / 1000.0; };
        const double reference = m_readings.front().pts - clock(m_readings.front());
        const auto lead = [&](const Entry &e) {
            const double d = e.pts - clock(e) - reference;
            return reference + d - 256.0 * std::floor(d / 256.0 + 0.5);
        };
        std::vector<double> leads;
        for (const Entry &e : m_readings)
            leads.push_back(lead(e));
        std::nth_element(leads.begin(), leads.begin() + long(leads.size() / 2), leads.end());
        const double median = leads[leads.size() / 2];
        for (const Entry &e : m_readings) {
            const double l = lead(e);
            if (std::abs(l - median) > kMisreadSeconds)
                continue;
            ++*kept;
            const int64_t second = std::llround(e.pts - l - e.reading.phaseMs / 1000.0);
            Mark &m = result[second];
            if (e.reading.phaseMs < m.firstPhase) {
                m.firstPhase = e.reading.phaseMs;
                m.start = e.pts - e.reading.phaseMs / 1000.0;
            }
            if (e.reading.flash && (std::isnan(m.flash) || e.pts < m.flash))
                m.flash = e.pts;
        }
        return result;
    }

private:
    // Further from the common answer than any drift worth measuring.
    static constexpr double kMisreadSeconds = 1.0;
    struct Entry
    {
        double pts;
        VirtualCameraSyncMarks::Reading reading;
    };
    std::vector<Entry> m_readings;
};

// Every recording measured here is planar YUV (the encoder writes 4:2:0), so
// the marks are read straight from the luma plane; other pictures give none.
bool hasLumaPlane(const AVFrame *f)
{
    const AVPixFmtDescriptor *d = av_pix_fmt_desc_get(AVPixelFormat(f->format));
    return d && !(d->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)) && d->comp[0].plane == 0
           && d->comp[0].depth == 8 && d->comp[0].step == 1 && d->comp[0].shift == 0 && d->comp[0].offset == 0;
}

// The sound as one contiguous mono track: channel 0, gaps filled with silence.
class SoundTrack
{
public:
    void add(const AVFrame *f, double pts)
    {
        if (f->nb_samples <= 0 || f->sample_rate <= 0)
            return;
        if (rate == 0) {
            rate = f->sample_rate;
            start = std::isnan(pts) ? 0.0 : pts;
        }
        if (f->sample_rate != rate)
            return;
        int64_t at = std::isnan(pts) ? int64_t(samples.size()) : std::llround((pts - start) * rate);
        if (at < 0)
            return;
        // Small jitter in the stamps is not a gap.
        if (std::llabs(at - int64_t(samples.size())) < rate / 100)
            at = int64_t(samples.size());
        // A gap becomes silence; an overlap is replaced by the later frame.
        samples.resize(size_t(at), 0.0f);
        const AVSampleFormat format = AVSampleFormat(f->format);
        const bool planar = av_sample_fmt_is_planar(format);
        const int channels = f->ch_layout.nb_channels > 0 ? f->ch_layout.nb_channels : 1;
        const int step = planar ? 1 : channels;
        const uint8_t *base = f->extended_data[0];
        for (int i = 0; i < f->nb_samples; ++i) {
            const int k = i * step;
            float v = 0;
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_FLT: v = reinterpret_cast<const float *>(base)[k]; break;
            case AV_SAMPLE_FMT_DBL: v = float(reinterpret_cast<const double *>(base)[k]); break;
            case AV_SAMPLE_FMT_S16: v = reinterpret_cast<const int16_t *>(base)[k] / 32768.0f; break;
            case AV_SAMPLE_FMT_S32: v = float(reinterpret_cast<const int32_t *>(base)[k] / 2147483648.0); break;
            case AV_SAMPLE_FMT_U8: v = (base[k] - 128) / 128.0f; break;
            default: break;
            }
            samples.push_back(v);
        }
    }

    std::vector<float> samples;
    int rate = 0;
    double start = 0;
};

} // namespace

const SyncMeter::Pair *SyncMeter::Result::near(double at, double within) const
{
    const Pair *best = nullptr;
    for (const Pair &p : pairs) {
        if (std::abs(p.at - at) <= within && (!best || std::abs(p.at - at) < std::abs(best->at - at)))
            best = &p;
    }
    return best;
}

double SyncMeter::Result::meanOffsetMs() const
{
    if (pairs.isEmpty())
        return std::numeric_limits<double>::quiet_NaN();
    double sum = 0;
    for (const Pair &p : pairs)
        sum += p.offsetMs;
    return sum / pairs.size();
}

double SyncMeter::Result::maxAbsOffsetMs() const
{
    double worst = pairs.isEmpty() ? std::numeric_limits<double>::quiet_NaN() : 0.0;
    for (const Pair &p : pairs)
        worst = std::max(worst, std::abs(p.offsetMs));
    return worst;
}

SyncMeter::Result SyncMeter::measure(const QString &path)
{
    Result result;
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0) {
        result.error = QStringLiteral("cannot open ") + path;
        return result;
    }
    std::unique_ptr<AVFormatContext, Freer<AVFormatContext, avformat_close_input>> format(raw);
    if (avformat_find_stream_info(format.get(), nullptr) < 0) {
        result.error = QStringLiteral("no stream information");
        return result;
    }
    const int videoIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const int audioIndex = av_find_best_stream(format.get(), AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (videoIndex < 0 || audioIndex < 0) {
        result.error = QStringLiteral("the file needs a picture and a sound stream");
        return result;
    }
    const AVStream *videoStream = format->streams[videoIndex];
    const AVStream *audioStream = format->streams[audioIndex];
    CodecPtr video = openDecoder(videoStream, 2);
    CodecPtr audio = openDecoder(audioStream, 1);
    if (!video || !audio) {
        result.error = QStringLiteral("no decoder for a stream");
        return result;
    }

    std::unique_ptr<AVPacket, Freer<AVPacket, av_packet_free>> packet(av_packet_alloc());
    std::unique_ptr<AVFrame, Freer<AVFrame, av_frame_free>> frame(av_frame_alloc());
    MarkCollector marks;
    SoundTrack sound;
    double firstVideo = std::numeric_limits<double>::quiet_NaN(), videoEnd = 0, lastVideo = 0;

    const auto drain = [&](AVCodecContext *codec, const AVStream *stream) {
        while (avcodec_receive_frame(codec, frame.get()) >= 0) {
            const int64_t stamp = frame->best_effort_timestamp;
            const double pts = stamp == AV_NOPTS_VALUE ? std::numeric_limits<double>::quiet_NaN()
                                                       : stamp * av_q2d(stream->time_base);
            if (codec == video.get()) {
                ++result.videoFrames;
                if (!std::isnan(pts)) {
                    if (std::isnan(firstVideo))
                        firstVideo = pts;
                    const double length = frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(stream->time_base)
                                                                   : pts - lastVideo;
                    lastVideo = pts;
                    videoEnd = std::max(videoEnd, pts + std::max(0.0, length));
                    if (hasLumaPlane(frame.get())) {
                        const VirtualCameraSyncMarks::Reading r = VirtualCameraSyncMarks::read(
                            frame->data[0], frame->linesize[0], QSize(frame->width, frame->height));
                        if (r.valid)
                            marks.add(pts, r);
                    }
                }
            } else {
                sound.add(frame.get(), pts);
            }
            av_frame_unref(frame.get());
        }
    };

    while (av_read_frame(format.get(), packet.get()) >= 0) {
        AVCodecContext *codec = packet->stream_index == videoIndex   ? video.get()
                                : packet->stream_index == audioIndex ? audio.get()
                                                                     : nullptr;
        if (codec) {
            if (avcodec_send_packet(codec, packet.get()) < 0)
                ++result.decodeErrors;
            drain(codec, format->streams[packet->stream_index]);
        }
        av_packet_unref(packet.get());
    }
    avcodec_send_packet(video.get(), nullptr);
    drain(video.get(), videoStream);
    avcodec_send_packet(audio.get(), nullptr);
    drain(audio.get(), audioStream);

    result.videoSeconds = std::isnan(firstVideo) ? 0.0 : videoEnd - firstVideo;
    result.audioSeconds = sound.rate > 0 ? double(sound.samples.size()) / sound.rate : 0.0;

    const QMap<int64_t, MarkCollector::Mark> marked = marks.marks(&result.markedFrames);
    const std::vector<SyncBeepDetector::Beep> beeps = SyncBeepDetector::find(sound.samples, sound.rate, sound.start);
    result.beeps = int(beeps.size());
    for (const SyncBeepDetector::Beep &beep : beeps) {
        const MarkCollector::Mark *best = nullptr;
        for (auto it = marked.cbegin(); it != marked.cend(); ++it) {
            if (SyncBeep::pitchIndex(it.key()) != beep.pitch || std::abs(it->start - beep.at) > kPairWithinSeconds)
                continue;
            if (!best || std::abs(it->start - beep.at) < std::abs(best->start - beep.at))
                best = &it.value();
        }
        if (!best)
            continue;
        Pair p;
        p.at = best->start - firstVideo;
        p.offsetMs = (beep.at - best->start) * 1000.0;
        p.frameOffsetMs = (beep.at - best->flash) * 1000.0;
        result.pairs.append(p);
    }
    return result;
}
