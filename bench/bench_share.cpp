// Sharing the class view with browsers, beside the bare encode in the same run:
//  - latency camera -> browser: the virtual camera's time marks read back from
//    the picture headless Chromium shows, against the clock; beside it the
//    encoder's own latency (capture -> packet);
//  - this process's CPU with 1 and with 41 viewers (Chromium plus forty light
//    WebSocket clients in a child process) beside the bare encode;
//  - bytes per second per viewer beside the encoder's output;
//  - the rate the camera feed (the live view's source) holds with sharing on.
// All on 127.0.0.1.
//
//   bench_share [seconds per phase, default 8] [width height, default 1280 720]
//   BENCH_SCREENSHOT=file.png  also keeps the page as a phone-sized browser shows it

#include "BrowserDriver.h"
#include "VClock.h"
#include "VPacketHub.h"
#include "VPacketQueue.h"
#include "VShareServer.h"
#include "VVideoPipe.h"
#include "VirtualCameraFrameSource.h"
#include "VirtualCameraSyncMarks.h"

#include <QCoreApplication>
#include <QWebSocket>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {
constexpr int kFps = 30;

qint64 cpuUs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 + usage.ru_utime.tv_usec
           + usage.ru_stime.tv_usec;
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double percentile90(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, v.size() * 9 / 10)];
}

// The child: n viewers that only count what they receive, then print it.
int runClients(int n, const QUrl &url, int seconds)
{
    std::vector<std::unique_ptr<QWebSocket>> clients;
    qint64 bytes = 0;
    int open = 0;
    for (int i = 0; i < n; ++i) {
        clients.push_back(std::make_unique<QWebSocket>());
        QObject::connect(clients.back().get(), &QWebSocket::binaryMessageReceived,
                         [&bytes](const QByteArray &m) { bytes += m.size(); });
        QObject::connect(clients.back().get(), &QWebSocket::connected, [&open] { ++open; });
        clients.back()->open(url);
    }
    // Counted over the parent's measuring window: the catch-up a joiner gets is left out.
    BrowserDriver::pause(1500);
    bytes = 0;
    BrowserDriver::pause(seconds * 1000);
    std::printf("%d %lld\n", open, bytes);
    return 0;
}

struct Phase {
    double cpuPercent = 0;
    double feedFps = 0;
    double encodedBps = 0; // the encoder's output over the same time
    std::vector<double> latencyMs;
    std::vector<double> bufferedMs; // of it, waiting in the page's buffer
};
} // namespace

class Bench
{
public:
    Bench(QSize size, int seconds) : m_size(size), m_seconds(seconds) {}

    bool start()
    {
        VirtualCameraFrameSource::Parameters camera;
        camera.size = m_size;
        camera.syncMarks = true;
        m_camera.setParameters(camera);
        VVideoEncoder::Settings video;
        video.size = m_size;
        video.fps = kFps;
        m_origin = VClock::nowUs();
        if (!m_pipe.start(video, &m_hub, m_origin))
            return false;
        // The encoder's own latency and output, read as the packets leave it.
        m_tap = std::make_shared<VPacketQueue>(8 << 20);
        m_hub.attach(m_tap);
        m_tapThread = std::thread([this] {
            VPacket packet;
            while (!m_tap->isClosed()) {
                if (!m_tap->pop(packet, 100))
                    continue;
                m_encodedBytes += packet.bytes();
                m_encodeLatencyUsSum += VClock::nowUs() - (m_origin + packet.packet->pts);
                ++m_encodedPackets;
            }
        });
        QObject::connect(&m_feed, &QTimer::timeout, [this] {
            const qint64 now = VClock::nowUs();
            const QImage frame = m_camera.nextFrame(now * 1000);
            m_pipe.offer(frame.constBits(), frame.bytesPerLine(), frame.size(), VVideoEncoder::Pixels::Bgra32, now);
            ++m_fed;
        });
        m_feed.setTimerType(Qt::PreciseTimer);
        m_feed.start(1000 / kFps);
        return true;
    }

    void stop()
    {
        m_feed.stop();
        m_pipe.stop();
        m_tap->close();
        m_tapThread.join();
    }

    // Runs a phase; the browser (when given) is sampled for latency meanwhile.
    Phase run(BrowserDriver *browser)
    {
        Phase phase;
        const qint64 cpu0 = cpuUs(), fed0 = m_fed, bytes0 = m_encodedBytes;
        QElapsedTimer wall;
        wall.start();
        while (wall.elapsed() < m_seconds * 1000) {
            if (browser) {
                double buffered = 0;
                const double ms = sampleLatency(browser, &buffered);
                if (ms >= 0) {
                    phase.latencyMs.push_back(ms);
                    phase.bufferedMs.push_back(buffered);
                }
            }
            BrowserDriver::pause(200);
        }
        phase.cpuPercent = 100.0 * (cpuUs() - cpu0) / (wall.elapsed() * 1000.0);
        phase.feedFps = (m_fed - fed0) * 1000.0 / wall.elapsed();
        phase.encodedBps = (m_encodedBytes - bytes0) * 1000.0 / wall.elapsed();
        return phase;
    }

    // The picture the page shows now: its time mark against the clock.
    double sampleLatency(BrowserDriver *browser, double *bufferedMs)
    {
        const QJsonObject shown = browser->run(QStringLiteral(
            "const v = document.getElementById('video'); if (!v.videoWidth) return null;"
            "const t0 = performance.now(), w = 640, h = 360, c = document.createElement('canvas');"
            "c.width = w; c.height = h; const g = c.getContext('2d'); g.drawImage(v, 0, 0, w, h);"
            "const t1 = performance.now(); const d = g.getImageData(0, 0, w, h / 12).data, y = [];"
            "for (let i = 0; i < d.length; i += 4) y.push(Math.round(0.299 * d[i] + 0.587 * d[i + 1] + 0.114 * d[i + 2]));"
            "return { y: y, sinceDraw: performance.now() - (t0 + t1) / 2, lag: shareStatus.lag };")).toObject();
        const qint64 nowUs = VClock::nowUs();
        const QJsonArray y = shown.value(QStringLiteral("y")).toArray();
        if (y.isEmpty())
            return -1;
        const QSize size(640, 360);
        std::vector<uint8_t> luma(size_t(size.width() * size.height()), 0);
        for (int i = 0; i < y.size(); ++i)
            luma[size_t(i)] = uint8_t(y.at(i).toInt());
        *bufferedMs = shown.value(QStringLiteral("lag")).toDouble() * 1000;
        const auto mark = VirtualCameraSyncMarks::read(luma.data(), size.width(), size);
        if (!mark.valid)
            return -1;
        const qint64 drawnMs = (nowUs / 1000) - qint64(shown.value(QStringLiteral("sinceDraw")).toDouble());
        // The mark carries the second mod 256: the capture time nearest before the drawing.
        const qint64 markMs = mark.second * 1000 + mark.phaseMs;
        const qint64 cycle = 256 * 1000;
        qint64 captureMs = drawnMs - ((drawnMs - markMs) % cycle + cycle) % cycle;
        return double(drawnMs - captureMs);
    }

    double encodeLatencyMs() const { return m_encodedPackets ? m_encodeLatencyUsSum / 1000.0 / m_encodedPackets : -1; }
    qint64 encodedBytes() const { return m_encodedBytes; }
    VPacketHub *hub() { return &m_hub; }

private:
    QSize m_size;
    int m_seconds;
    VirtualCameraFrameSource m_camera;
    VPacketHub m_hub;
    VVideoPipe m_pipe;
    QTimer m_feed;
    qint64 m_origin = 0;
    qint64 m_fed = 0;
    std::shared_ptr<VPacketQueue> m_tap;
    std::thread m_tapThread;
    std::atomic<qint64> m_encodedBytes{0};
    std::atomic<qint64> m_encodeLatencyUsSum{0};
    std::atomic<qint64> m_encodedPackets{0};
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 5 && args.at(1) == QLatin1String("--clients"))
        return runClients(args.at(2).toInt(), QUrl(args.at(3)), args.at(4).toInt());
    const int seconds = args.size() > 1 ? qMax(3, args.at(1).toInt()) : 8;
    const QSize size = args.size() > 3 ? QSize(args.at(2).toInt(), args.at(3).toInt()) : QSize(1280, 720);

    double load[3] = {};
    getloadavg(load, 3);
    std::printf("bench_share: %dx%d at %d fps, %d s per phase, load %.2f %.2f %.2f\n", size.width(), size.height(),
                kFps, seconds, load[0], load[1], load[2]);
    BrowserDriver browser;
    QString error;
    if (!browser.start(&error)) {
        std::fprintf(stderr, "bench_share: %s\n", qPrintable(error));
        return 1;
    }
    Bench bench(size, seconds);
    if (!bench.start()) {
        std::fprintf(stderr, "bench_share: no encoder\n");
        return 1;
    }
    BrowserDriver::pause(1000);
    const Phase bare = bench.run(nullptr);

    VShareServer share;
    VShareServer::Settings settings;
    settings.address = QHostAddress::LocalHost;
    settings.port = 0;
    if (!share.start(bench.hub(), settings, &error)) {
        std::fprintf(stderr, "bench_share: %s\n", qPrintable(error));
        return 1;
    }
    const QString url = share.address(QStringLiteral("127.0.0.1"));
    browser.open(url);
    browser.waitFor(QStringLiteral("return shareStatus.state === 'playing'"), 15000);
    BrowserDriver::pause(2000);
    const double pageBytes0 = browser.run(QStringLiteral("return shareStatus.bytes")).toDouble();
    QElapsedTimer oneWall;
    oneWall.start();
    const Phase one = bench.run(&browser);
    const double pageBps = (browser.run(QStringLiteral("return shareStatus.bytes")).toDouble() - pageBytes0) * 1000.0
                           / oneWall.elapsed();

    const QString screenshot = QString::fromLocal8Bit(qgetenv("BENCH_SCREENSHOT"));
    if (!screenshot.isEmpty()) {
        browser.resize(412, 860);
        BrowserDriver::pause(1500);
        QFile file(screenshot);
        if (file.open(QIODevice::WriteOnly))
            file.write(browser.screenshot());
        browser.resize(800, 600);
    }
    QProcess clients;
    clients.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    clients.start(QCoreApplication::applicationFilePath(),
                  {QStringLiteral("--clients"), QStringLiteral("40"),
                   QString(url + QStringLiteral("/ws")).replace(QStringLiteral("http://"), QStringLiteral("ws://")),
                   QString::number(seconds)});
    BrowserDriver::pause(1500);
    const int viewersSeen = share.viewers();
    const Phase forty = bench.run(&browser);
    clients.waitForFinished((seconds + 10) * 1000);
    const QList<QByteArray> counted = clients.readAllStandardOutput().trimmed().split(' ');
    const int clientsOpen = counted.value(0).toInt();
    const double clientBps = counted.value(1).toDouble() / seconds / qMax(1, clientsOpen);
    share.stop();
    bench.stop();
    browser.quit();

    std::printf("encoder latency capture->packet %.1f ms\n", bench.encodeLatencyMs());
    std::printf("%-30s %8s %10s %12s %12s %12s\n", "", "CPU %", "feed fps", "latency ms", "p90 ms", "buffered ms");
    std::printf("%-30s %8.1f %10.1f %12s %12s %12s\n", "bare encode", bare.cpuPercent, bare.feedFps, "-", "-", "-");
    std::printf("%-30s %8.1f %10.1f %12.0f %12.0f %12.0f\n", "sharing, 1 browser", one.cpuPercent, one.feedFps,
                median(one.latencyMs), percentile90(one.latencyMs), median(one.bufferedMs));
    std::printf("%-30s %8.1f %10.1f %12.0f %12.0f %12.0f\n", "sharing, browser + 40 clients", forty.cpuPercent,
                forty.feedFps, median(forty.latencyMs), percentile90(forty.latencyMs), median(forty.bufferedMs));
    std::printf("bytes/s per viewer: browser %.0f (encoder %.0f meanwhile), each of %d clients %.0f (encoder %.0f"
                " meanwhile); viewers seen %d\n",
                pageBps, one.encodedBps, clientsOpen, clientBps, forty.encodedBps, viewersSeen);
    std::printf("latency samples: %zu with 1 viewer, %zu with 41\n", one.latencyMs.size(), forty.latencyMs.size());
    return 0;
}
