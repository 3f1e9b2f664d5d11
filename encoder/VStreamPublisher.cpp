#include "VStreamPublisher.h"

#include "VClock.h"
#include "VPacketHub.h"
#include "VPacketQueue.h"

#include <QDebug>
#include <QRegularExpression>
#include <QUrl>

#include <cerrno>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

QString errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(code, text, sizeof(text));
    return QString::fromUtf8(text);
}

// Failures that another attempt cannot mend: the address itself is wrong.
bool isPermanent(int code)
{
    return code == AVERROR_PROTOCOL_NOT_FOUND || code == AVERROR_MUXER_NOT_FOUND || code == AVERROR(EINVAL) ||
           code == AVERROR(ENOSYS);
}

// A connection that published this long starts its retries from the first pause again.
constexpr qint64 kSteadyUs = 10 * 1000000LL;

} // namespace

VStreamPublisher::~VStreamPublisher()
{
    stop();
}

bool VStreamPublisher::isPublishAddress(const QString &url, QString *why)
{
    const auto refuse = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    const QString trimmed = url.trimmed();
    if (trimmed.isEmpty())
        return refuse(QStringLiteral("empty address"));
    if (trimmed != url || trimmed.size() > 2000 || trimmed.contains(QRegularExpression(QStringLiteral("\\s"))))
        return refuse(QStringLiteral("spaces or an over-long address"));
    const QUrl parsed(url, QUrl::StrictMode);
    const QString scheme = parsed.scheme().toLower();
    if (!parsed.isValid() || (scheme != "rtmp" && scheme != "rtmps" && scheme != "srt"))
        return refuse(QStringLiteral("not an rtmp://, rtmps:// or srt:// address"));
    if (parsed.host().isEmpty())
        return refuse(QStringLiteral("no server named"));
    if (scheme == "srt" && parsed.port() <= 0)
        return refuse(QStringLiteral("an srt:// address needs a port"));
    if (scheme != "srt" && parsed.path().size() < 2)
        return refuse(QStringLiteral("no application or stream name"));
    return true;
}

const char *VStreamPublisher::stateName(State state)
{
    switch (state) {
    case State::Idle: return "idle";
    case State::Connecting: return "connecting";
    case State::Publishing: return "publishing";
    case State::Retrying: return "retrying";
    case State::Failed: return "failed";
    }
    return "?";
}

bool VStreamPublisher::start(const QString &url, VPacketHub *hub, const Settings &settings, StatusNotice notice,
                             KeyFrameWanted keyFrameWanted)
{
    stop();
    QString why;
    if (!hub || !isPublishAddress(url, &why)) {
        qInfo() << "VStreamPublisher::start: refused" << url << why;
        return false;
    }
    bool video = false;
    for (const VStreamInfo &info : hub->streams())
        video = video || info.isVideo();
    if (!video) {
        qInfo() << "VStreamPublisher::start: the hub has no picture";
        return false;
    }
    m_url = url;
    m_settings = settings;
    m_hub = hub;
    m_notice = std::move(notice);
    m_keyFrameWanted = std::move(keyFrameWanted);
    m_stop = false;
    m_seenRefused = 0;
    m_sentBefore = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_status = Status();
    }
    m_queue = std::make_shared<VPacketQueue>(settings.queueBytes);
    m_hub->attach(m_queue);
    m_thread = std::thread(&VStreamPublisher::run, this);
    return true;
}

void VStreamPublisher::stop()
{
    if (!m_thread.joinable())
        return;
    m_stop = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wake.notify_all();
    }
    m_hub->detach(m_queue);
    m_queue->close();
    m_thread.join();
    m_queue.reset();
    m_hub = nullptr;
}

VStreamPublisher::Status VStreamPublisher::status() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

void VStreamPublisher::setState(State state, int error, const QString &reason)
{
    Status copy;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_status.state = state;
        if (error) {
            m_status.error = error;
            m_status.reason = reason.isEmpty() ? errorText(error) : reason;
            ++m_status.failures;
        }
        if (state == State::Publishing)
            ++m_status.connections;
        copy = m_status;
    }
    qInfo() << "VStreamPublisher:" << stateName(state) << copy.reason;
    if (m_notice)
        m_notice(copy);
}

int VStreamPublisher::interrupted(void *self)
{
    return static_cast<VStreamPublisher *>(self)->m_stop.load() ? 1 : 0;
}

bool VStreamPublisher::pause(int ms)
{
    // What arrives meanwhile can never be sent: dropped as it comes.
    const qint64 endUs = VClock::nowUs() + qint64(ms) * 1000;
    for (qint64 left = qint64(ms) * 1000; left > 0; left = endUs - VClock::nowUs()) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::microseconds(qMin<qint64>(left, 100000)),
                                [this] { return m_stop.load(); }))
                return false;
        }
        discardQueued();
    }
    return !m_stop;
}

void VStreamPublisher::discardQueued()
{
    VPacket packet;
    qint64 count = 0;
    while (m_queue->pop(packet, 0))
        ++count;
    const qint64 refused = m_queue->refused();
    count += refused - m_seenRefused;
    m_seenRefused = refused;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.skippedPackets += count;
}

int VStreamPublisher::connect()
{
    const QByteArray url = m_url.toUtf8();
    const bool srt = m_url.startsWith(QLatin1String("srt"), Qt::CaseInsensitive);
    int ret = avformat_alloc_output_context2(&m_format, nullptr, srt ? "mpegts" : "flv", url.constData());
    if (ret < 0 || !m_format)
        return ret < 0 ? ret : AVERROR(ENOMEM);
    m_format->interrupt_callback = AVIOInterruptCB{&VStreamPublisher::interrupted, this};
    // Each packet leaves at once: a viewer waits for no buffer to fill.
    m_format->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    m_outputOf.clear();
    bool haveVideo = false, haveAudio = false;
    for (const VStreamInfo &info : m_hub->streams()) {
        // FLV carries one picture and one sound stream.
        const bool audio = info.params->codec_type == AVMEDIA_TYPE_AUDIO;
        if ((info.isVideo() && haveVideo) || (audio && haveAudio) || (!info.isVideo() && !audio)) {
            m_outputOf.push_back(-1);
            continue;
        }
        haveVideo = haveVideo || info.isVideo();
        haveAudio = haveAudio || audio;
        AVStream *st = avformat_new_stream(m_format, nullptr);
        if (!st)
            return AVERROR(ENOMEM);
        avcodec_parameters_copy(st->codecpar, info.params.get());
        st->codecpar->codec_tag = 0;
        st->time_base = AVRational{1, kVMicroseconds};
        m_outputOf.push_back(st->index);
        if (info.isVideo())
            m_videoOutput = st->index;
    }
    AVDictionary *io = nullptr;
    av_dict_set_int(&io, "rw_timeout", qint64(m_settings.ioTimeoutMs) * 1000, 0);
    av_dict_set(&io, "tcp_nodelay", "1", 0);
    if (m_settings.sendBufferBytes > 0)
        av_dict_set_int(&io, "send_buffer_size", m_settings.sendBufferBytes, 0);
    if (srt)
        av_dict_set_int(&io, "connect_timeout", m_settings.ioTimeoutMs, 0);
    ret = avio_open2(&m_format->pb, url.constData(), AVIO_FLAG_WRITE, &m_format->interrupt_callback, &io);
    av_dict_free(&io);
    if (ret < 0)
        return ret;
    AVDictionary *mux = nullptr;
    // A live stream has no end to seek back to for the duration.
    if (!srt)
        av_dict_set(&mux, "flvflags", "no_duration_filesize", 0);
    ret = avformat_write_header(m_format, &mux);
    av_dict_free(&mux);
    if (ret >= 0 && m_format->pb->error < 0)
        ret = m_format->pb->error;
    return ret < 0 ? ret : 0;
}

void VStreamPublisher::disconnect(bool sendTrailer)
{
    if (!m_format)
        return;
    if (m_format->pb) {
        if (sendTrailer)
            av_write_trailer(m_format);
        m_sentBefore += qMax<qint64>(0, avio_tell(m_format->pb));
        avio_closep(&m_format->pb);
    }
    avformat_free_context(m_format);
    m_format = nullptr;
}

int VStreamPublisher::send(const VPacket &packet)
{
    const int out = packet.stream < int(m_outputOf.size()) ? m_outputOf[size_t(packet.stream)] : -1;
    if (out < 0)
        return 0;
    const AVPacket *in = packet.packet.get();
    const qint64 dts = in->dts != AV_NOPTS_VALUE ? in->dts : in->pts;
    if (dts < m_baseUs)
        return 0; // sound from before the first picture of this connection
    AVPacket *copy = av_packet_clone(in);
    if (!copy)
        return AVERROR(ENOMEM);
    if (copy->pts != AV_NOPTS_VALUE)
        copy->pts -= m_baseUs;
    if (copy->dts != AV_NOPTS_VALUE)
        copy->dts -= m_baseUs;
    AVStream *st = m_format->streams[out];
    av_packet_rescale_ts(copy, AVRational{1, kVMicroseconds}, st->time_base);
    copy->stream_index = out;
    int ret = av_write_frame(m_format, copy);
    av_packet_free(&copy);
    if (ret >= 0 && m_format->pb->error < 0)
        ret = m_format->pb->error;
    if (ret >= 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_status.bytesSent = m_sentBefore + avio_tell(m_format->pb);
    }
    return ret < 0 ? ret : 0;
}

void VStreamPublisher::run()
{
    int retryMs = m_settings.firstRetryMs;
    while (!m_stop) {
        setState(State::Connecting);
        int error = connect();
        if (error == 0) {
            setState(State::Publishing);
            const qint64 connectedUs = VClock::nowUs();
            // A viewer can start only at a key frame; what queued while connecting is stale.
            discardQueued();
            bool waitKey = true;
            m_baseUs = -1;
            if (m_keyFrameWanted)
                m_keyFrameWanted();
            VPacket packet;
            while (!m_stop && error == 0) {
                if (!m_queue->pop(packet, 100))
                    continue;
                if (m_queue->refused() != m_seenRefused) {
                    // The network fell behind: drop the backlog, go on at the next key frame.
                    discardQueued();
                    {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        ++m_status.skippedPackets; // the one just taken
                    }
                    waitKey = true;
                    if (m_keyFrameWanted)
                        m_keyFrameWanted();
                    continue;
                }
                if (waitKey) {
                    const bool key = packet.isKey() && packet.stream < int(m_outputOf.size()) &&
                                     m_outputOf[size_t(packet.stream)] == m_videoOutput;
                    if (!key) {
                        std::lock_guard<std::mutex> lock(m_mutex);
                        ++m_status.skippedPackets;
                        continue;
                    }
                    waitKey = false;
                    if (m_baseUs < 0)
                        m_baseUs = packet.packet->dts != AV_NOPTS_VALUE ? packet.packet->dts : packet.packet->pts;
                }
                error = send(packet);
            }
            disconnect(error == 0 && !m_stop);
            if (m_stop)
                break;
            if (VClock::nowUs() - connectedUs > kSteadyUs)
                retryMs = m_settings.firstRetryMs;
        } else {
            disconnect(false);
            if (m_stop)
                break;
            if (isPermanent(error)) {
                setState(State::Failed, error);
                return;
            }
        }
        setState(State::Retrying, error);
        if (!pause(retryMs))
            break;
        retryMs = qMin(retryMs * 2, m_settings.maxRetryMs);
    }
    setState(State::Idle);
}
