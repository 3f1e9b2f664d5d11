#include "VStreamPublisher.h"

#include "VClock.h"
#include "VPacketHub.h"
#include "VPacketQueue.h"

#include <QDebug>
#include <QRegularExpression>
#include <QUrl>

#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <vector>

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
// How long stop() waits for the thread before leaving it to end alone.
constexpr int kStopWaitMs = 1000;

} // namespace

class VStreamPublisher::Worker
{
public:
    QString url;
    Settings settings;
    std::vector<VStreamInfo> streams; // a copy: the thread never reads the hub
    StatusNotice notice;
    KeyFrameWanted keyFrameWanted;
    std::shared_ptr<VPacketQueue> queue;
    std::atomic<bool> stopping{false};

    void run();
    Status status() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_status;
    }
    // Wakes the thread and waits up to ms for it to end; true when it did.
    bool stop(int ms)
    {
        stopping = true;
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wake.notify_all();
        const bool done = m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_done; });
        lock.unlock();
        // A callback under way finishes first; none starts after this.
        std::lock_guard<std::mutex> calls(m_callMutex);
        return done;
    }
    static int interrupted(void *self) { return static_cast<Worker *>(self)->stopping.load() ? 1 : 0; }

private:
    void loop();
    int connect();
    void disconnect(bool sendTrailer);
    int send(const VPacket &packet);
    void setState(State state, int error = 0);
    void wantKeyFrame();
    void skipped(qint64 count);
    bool pause(int ms);
    void discardQueued();

    AVFormatContext *m_format = nullptr;
    std::vector<int> m_outputOf; // hub stream -> output stream, -1 when not sent
    int m_videoOutput = -1;
    qint64 m_baseUs = -1;        // the first key frame's time on this connection
    qint64 m_seenRefused = 0;
    qint64 m_sentBefore = 0;     // bytes of the connections before this one

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    Status m_status;
    bool m_done = false;
    std::mutex m_callMutex;
};

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
    auto worker = std::make_shared<Worker>();
    worker->streams = hub->streams();
    bool video = false;
    for (const VStreamInfo &info : worker->streams)
        video = video || info.isVideo();
    if (!video) {
        qInfo() << "VStreamPublisher::start: the hub has no picture";
        return false;
    }
    worker->url = url;
    worker->settings = settings;
    worker->notice = std::move(notice);
    worker->keyFrameWanted = std::move(keyFrameWanted);
    worker->queue = std::make_shared<VPacketQueue>(settings.queueBytes);
    m_hub = hub;
    m_queue = worker->queue;
    m_hub->attach(m_queue);
    m_worker = worker;
    m_thread = std::thread([worker] { worker->run(); });
    return true;
}

void VStreamPublisher::stop()
{
    if (!m_worker)
        return;
    m_hub->detach(m_queue);
    m_queue->close();
    if (m_worker->stop(kStopWaitMs)) {
        m_thread.join();
    } else {
        qInfo() << "VStreamPublisher::stop: the connection does not answer; left to end on its own";
        m_thread.detach();
    }
    m_last = m_worker->status();
    if (m_last.state != State::Failed)
        m_last.state = State::Idle;
    m_worker.reset();
    m_queue.reset();
    m_hub = nullptr;
}

VStreamPublisher::Status VStreamPublisher::status() const
{
    return m_worker ? m_worker->status() : m_last;
}

void VStreamPublisher::Worker::setState(State state, int error)
{
    Status copy;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_status.state = state;
        if (error) {
            m_status.error = error;
            m_status.reason = errorText(error);
            ++m_status.failures;
        }
        if (state == State::Publishing)
            ++m_status.connections;
        copy = m_status;
    }
    qInfo() << "VStreamPublisher:" << stateName(state) << copy.reason;
    std::lock_guard<std::mutex> calls(m_callMutex);
    if (notice && !stopping)
        notice(copy);
}

void VStreamPublisher::Worker::wantKeyFrame()
{
    std::lock_guard<std::mutex> calls(m_callMutex);
    if (keyFrameWanted && !stopping)
        keyFrameWanted();
}

void VStreamPublisher::Worker::skipped(qint64 count)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.skippedPackets += count;
}

bool VStreamPublisher::Worker::pause(int ms)
{
    // What arrives meanwhile can never be sent: dropped as it comes.
    const qint64 endUs = VClock::nowUs() + qint64(ms) * 1000;
    for (qint64 left = qint64(ms) * 1000; left > 0; left = endUs - VClock::nowUs()) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (m_wake.wait_for(lock, std::chrono::microseconds(qMin<qint64>(left, 100000)),
                                [this] { return stopping.load(); }))
                return false;
        }
        discardQueued();
    }
    return !stopping;
}

void VStreamPublisher::Worker::discardQueued()
{
    VPacket packet;
    qint64 count = 0;
    while (queue->pop(packet, 0))
        ++count;
    const qint64 refused = queue->refused();
    count += refused - m_seenRefused;
    m_seenRefused = refused;
    skipped(count);
}

int VStreamPublisher::Worker::connect()
{
    const QByteArray address = url.toUtf8();
    const bool srt = url.startsWith(QLatin1String("srt"), Qt::CaseInsensitive);
    int ret = avformat_alloc_output_context2(&m_format, nullptr, srt ? "mpegts" : "flv", address.constData());
    if (ret < 0 || !m_format)
        return ret < 0 ? ret : AVERROR(ENOMEM);
    m_format->interrupt_callback = AVIOInterruptCB{&Worker::interrupted, this};
    // Each packet leaves at once: a viewer waits for no buffer to fill.
    m_format->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    m_outputOf.clear();
    bool haveVideo = false, haveAudio = false;
    for (const VStreamInfo &info : streams) {
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
    av_dict_set_int(&io, "rw_timeout", qint64(settings.ioTimeoutMs) * 1000, 0);
    av_dict_set(&io, "tcp_nodelay", "1", 0);
    if (settings.sendBufferBytes > 0)
        av_dict_set_int(&io, "send_buffer_size", settings.sendBufferBytes, 0);
    if (srt)
        av_dict_set_int(&io, "connect_timeout", settings.ioTimeoutMs, 0);
    ret = avio_open2(&m_format->pb, address.constData(), AVIO_FLAG_WRITE, &m_format->interrupt_callback, &io);
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

void VStreamPublisher::Worker::disconnect(bool sendTrailer)
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

int VStreamPublisher::Worker::send(const VPacket &packet)
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

void VStreamPublisher::Worker::run()
{
    loop();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_done = true;
    m_wake.notify_all();
}

void VStreamPublisher::Worker::loop()
{
    int retryMs = settings.firstRetryMs;
    while (!stopping) {
        setState(State::Connecting);
        int error = connect();
        if (error == 0) {
            setState(State::Publishing);
            const qint64 connectedUs = VClock::nowUs();
            // A viewer can start only at a key frame; what queued while connecting is stale.
            discardQueued();
            bool waitKey = true;
            m_baseUs = -1;
            wantKeyFrame();
            VPacket packet;
            while (!stopping && error == 0) {
                if (!queue->pop(packet, 100))
                    continue;
                if (queue->refused() != m_seenRefused) {
                    // The network fell behind: drop the backlog, go on at the next key frame.
                    discardQueued();
                    skipped(1); // the one just taken
                    waitKey = true;
                    wantKeyFrame();
                    continue;
                }
                if (waitKey) {
                    const bool key = packet.isKey() && packet.stream < int(m_outputOf.size()) &&
                                     m_outputOf[size_t(packet.stream)] == m_videoOutput;
                    if (!key) {
                        skipped(1);
                        continue;
                    }
                    waitKey = false;
                    if (m_baseUs < 0)
                        m_baseUs = packet.packet->dts != AV_NOPTS_VALUE ? packet.packet->dts : packet.packet->pts;
                }
                error = send(packet);
            }
            disconnect(error == 0 && !stopping);
            if (stopping)
                break;
            if (VClock::nowUs() - connectedUs > kSteadyUs)
                retryMs = settings.firstRetryMs;
        } else {
            disconnect(false);
            if (stopping)
                break;
            if (isPermanent(error)) {
                setState(State::Failed, error);
                return;
            }
        }
        setState(State::Retrying, error);
        if (!pause(retryMs))
            break;
        retryMs = qMin(retryMs * 2, settings.maxRetryMs);
    }
    setState(State::Idle);
}
