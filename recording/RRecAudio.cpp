#include "RRecAudio.h"

#include "RRecorderRules.h"
#include "VAudioEncoder.h"
#include "VClock.h"

#include <QDebug>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavformat/avformat.h>
#include <libavutil/time.h>
}

// What the worker and the owner share; outlives the owner when a hung
// device keeps the worker in its read.
struct RRecAudio::Shared {
    std::mutex mutex;                 // guards encoder and abandoned
    std::condition_variable done;
    VAudioEncoder *encoder = nullptr;
    bool abandoned = false;
    bool finished = false;
    AVFormatContext *input = nullptr;
    int streamIndex = -1;
    qint64 originUs = 0;
    std::atomic<qint64> stopUs{-1};
    std::atomic<qint64> lastEndUs{-1};   // recording time the delivered sound reaches
    std::atomic<qint64> failedAtUs{-1};  // the device reported an error
};

namespace {
QString avError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, buf, sizeof(buf));
    return QString::fromLocal8Bit(buf);
}
} // namespace

RRecAudio::RRecAudio(VAudioEncoder *encoder) : m_shared(std::make_shared<Shared>())
{
    m_shared->encoder = encoder;
    m_shared->originUs = VClock::nowUs();
}

RRecAudio::~RRecAudio()
{
    stop(VClock::nowUs() - m_shared->originUs);
    join();
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    if (!m_shared->abandoned)
        avformat_close_input(&m_shared->input);
}

std::unique_ptr<RRecAudio> RRecAudio::openWith(VAudioEncoder *encoder, VPacketHub *hub, const QString &name,
                                               const QString &realm, QString *problem)
{
    auto audio = std::make_unique<RRecAudio>(encoder);
    QString why;
    if (audio->open(name, realm, &why) && encoder->open(hub))
        return audio;
    if (problem)
        *problem = why.isEmpty() ? encoder->error() : why;
    return nullptr;
}

bool RRecAudio::open(const QString &name, const QString &realm, QString *why)
{
    avdevice_register_all();
    const QString formatName = RRecorderRules::audioInputFormat(realm);
    const AVInputFormat *format = av_find_input_format(formatName.toUtf8().constData());
    if (!format) {
        if (why)
            *why = QStringLiteral("no input format ") + formatName;
        return false;
    }
    AVDictionary *options = nullptr;
    // Small fragments: the server's default holds about two seconds back.
    if (formatName == QLatin1String("pulse"))
        av_dict_set(&options, "fragment_size", "4096", 0);
    const QByteArray url = RRecorderRules::audioInputUrl(realm, name).toUtf8();
    int ret = avformat_open_input(&m_shared->input, url.constData(), format, &options);
    av_dict_free(&options);
    if (ret >= 0)
        ret = avformat_find_stream_info(m_shared->input, nullptr);
    if (ret >= 0)
        ret = m_shared->streamIndex = av_find_best_stream(m_shared->input, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (ret < 0) {
        qInfo() << "RRecAudio::open:" << url << avError(ret);
        if (why)
            *why = avError(ret);
        avformat_close_input(&m_shared->input);
        return false;
    }
    return true;
}

void RRecAudio::start(qint64 originUs)
{
    m_shared->originUs = originUs;
    if (m_shared->input && !m_thread.joinable())
        m_thread = std::thread(&RRecAudio::run, m_shared);
}

void RRecAudio::stop(qint64 stopUs)
{
    qint64 expected = -1;
    m_shared->stopUs.compare_exchange_strong(expected, qMax<qint64>(0, stopUs));
}

void RRecAudio::join(int timeoutMs)
{
    if (!m_thread.joinable())
        return;
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    if (m_shared->done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return m_shared->finished; })) {
        lock.unlock();
        m_thread.join();
        return;
    }
    // The device hangs in its read: leave the worker; it frees what it opened.
    qInfo() << "RRecAudio::join: the sound device does not return; left behind";
    m_shared->abandoned = true;
    m_shared->encoder = nullptr;
    lock.unlock();
    m_thread.detach();
}

qint64 RRecAudio::lostAtUs(qint64 stalledForUs) const
{
    const qint64 failed = m_shared->failedAtUs.load();
    if (failed >= 0)
        return failed;
    const qint64 last = m_shared->lastEndUs.load();
    const qint64 now = VClock::nowUs() - m_shared->originUs;
    // A device that never delivered has stopped at the start.
    const qint64 reached = last < 0 ? 0 : last;
    return now - reached > stalledForUs ? reached : -1;
}

void RRecAudio::run(std::shared_ptr<Shared> s)
{
    AVStream *in = s->input->streams[s->streamIndex];
    const AVCodec *codec = avcodec_find_decoder(in->codecpar->codec_id);
    AVCodecContext *decoder = avcodec_alloc_context3(codec);
    bool ok = codec && avcodec_parameters_to_context(decoder, in->codecpar) >= 0 && avcodec_open2(decoder, codec, nullptr) >= 0;
    decoder->pkt_timebase = in->time_base;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    qint64 stopSeenUs = -1;
    while (ok) {
        const qint64 stopUs = s->stopUs.load();
        const qint64 nowUs = VClock::nowUs() - s->originUs;
        if (stopUs >= 0) {
            if (stopSeenUs < 0)
                stopSeenUs = nowUs;
            // Sound captured before the stop still arrives; never wait for it long.
            if (s->lastEndUs.load() >= stopUs || nowUs - stopSeenUs > 1000000)
                break;
        }
        const int ret = av_read_frame(s->input, packet);
        if (ret < 0) {
            qInfo() << "RRecAudio::run: the device stopped:" << avError(ret);
            s->failedAtUs = qMax<qint64>(0, s->lastEndUs.load());
            break;
        }
        if (packet->stream_index != s->streamIndex) {
            av_packet_unref(packet);
            continue;
        }
        // The device stamps its packets with the wall clock (less its latency):
        // the same moment on the recording's clock.
        qint64 captureUs;
        if (packet->pts != AV_NOPTS_VALUE) {
            const qint64 wallUs = av_rescale_q(packet->pts, in->time_base, AVRational{1, 1000000});
            captureUs = wallUs + (VClock::nowUs() - av_gettime()) - s->originUs;
        } else {
            captureUs = -1;
        }
        const int sent = avcodec_send_packet(decoder, packet);
        av_packet_unref(packet);
        if (sent < 0)
            continue;
        while (avcodec_receive_frame(decoder, frame) >= 0) {
            qint64 lengthUs = av_rescale(frame->nb_samples, 1000000, qMax(1, frame->sample_rate));
            if (captureUs < 0)
                captureUs = VClock::nowUs() - s->originUs - lengthUs;
            // Sound after the stop is not the lesson's.
            const qint64 stopUs = s->stopUs.load();
            if (stopUs >= 0 && captureUs + lengthUs > stopUs) {
                frame->nb_samples = int(qMax<qint64>(0, av_rescale(stopUs - captureUs, frame->sample_rate, 1000000)));
                lengthUs = stopUs - captureUs;
            }
            if (frame->nb_samples > 0) {
                std::lock_guard<std::mutex> lock(s->mutex);
                if (s->encoder)
                    s->encoder->push(frame, captureUs);
            }
            s->lastEndUs = captureUs + lengthUs;
            captureUs += lengthUs;
            av_frame_unref(frame);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    std::lock_guard<std::mutex> lock(s->mutex);
    if (s->abandoned)
        avformat_close_input(&s->input);
    s->finished = true;
    s->done.notify_all();
}
