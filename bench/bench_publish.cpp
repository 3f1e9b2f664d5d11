// Publishing figures, each beside the bare encode measured in the same run:
//   process CPU while the class view is encoded (the virtual camera's page with
//   a moving bar, 1280x720 at 30 fps) with nobody taking the packets
//                         vs. the same encode published to a local nginx (RTMP);
//   frames encoded per second in both (publishing must not cost frames);
//   bytes per second sent, and the CPU nginx itself used.
// The two runs alternate (bare, published, bare, published) so both see the same
// load on a shared machine. Usage: bench_publish [seconds per run] (default 10)
#include "NginxRtmp.h"
#include "PublishFeed.h"
#include "VStreamPublisher.h"

#include <QApplication>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

qint64 processCpuUs()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return qint64(r.ru_utime.tv_sec + r.ru_stime.tv_sec) * 1000000 + r.ru_utime.tv_usec + r.ru_stime.tv_usec;
}

// utime + stime of another process, from /proc.
qint64 otherCpuUs(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = f.readAll().split(')').value(1).trimmed().split(' ');
    const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
    return ticks * 1000000 / sysconf(_SC_CLK_TCK);
}

double loadAverage()
{
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

struct Run {
    double cpu = 0;     // share of one core
    double fps = 0;
    double bytesPerS = 0;
    double serverCpu = 0;
    int failures = 0;
};

Run measure(int seconds, NginxRtmp *server)
{
    PublishFeed feed;
    feed.background = QImage(QStringLiteral(VISORA_SAMPLE_PAGE));
    Run out;
    if (!feed.start(QSize(1280, 720), 30, false))
        return out;
    VStreamPublisher publisher;
    if (server && !publisher.start(server->url(), &feed.hub))
        return out;
    QThread::msleep(1500); // connected and past the first key frame
    const qint64 cpu0 = processCpuUs(), frames0 = feed.stats().encoded;
    const qint64 bytes0 = publisher.status().bytesSent;
    const qint64 server0 = server ? otherCpuUs(server->pid()) : 0;
    QElapsedTimer clock;
    clock.start();
    QThread::msleep(qulonglong(seconds) * 1000);
    const double secs = clock.nsecsElapsed() / 1e9;
    out.cpu = (processCpuUs() - cpu0) / 1e6 / secs;
    out.fps = (feed.stats().encoded - frames0) / secs;
    out.bytesPerS = (publisher.status().bytesSent - bytes0) / secs;
    out.serverCpu = server ? (otherCpuUs(server->pid()) - server0) / 1e6 / secs : 0;
    out.failures = publisher.status().failures;
    publisher.stop();
    feed.stop();
    return out;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(2, atoi(argv[1])) : 10;
    NginxRtmp server;
    if (!server.start()) {
        std::fprintf(stderr, "bench_publish: %s\n", qPrintable(server.error()));
        return 1;
    }
    std::printf("Publishing the class view, 1280x720 at 30 fps, %d s a run, load average %.2f on %ld cores\n",
                seconds, loadAverage(), sysconf(_SC_NPROCESSORS_ONLN));
    Run bare, published;
    for (int round = 0; round < 2; ++round) {
        const Run b = measure(seconds, nullptr);
        const Run p = measure(seconds, &server);
        bare.cpu += b.cpu / 2;
        bare.fps += b.fps / 2;
        published.cpu += p.cpu / 2;
        published.fps += p.fps / 2;
        published.bytesPerS += p.bytesPerS / 2;
        published.serverCpu += p.serverCpu / 2;
        published.failures += p.failures;
    }
    std::printf("  process CPU          %5.1f%% of a core published   vs %5.1f%% bare encode (+%.1f points)\n",
                100 * published.cpu, 100 * bare.cpu, 100 * (published.cpu - bare.cpu));
    std::printf("  frames encoded       %5.1f fps published          vs %5.1f fps bare encode\n", published.fps,
                bare.fps);
    std::printf("  sent                 %5.0f kB/s (%.2f Mbit/s), connection failures %d\n", published.bytesPerS / 1000,
                published.bytesPerS * 8 / 1e6, published.failures);
    std::printf("  nginx CPU            %5.1f%% of a core\n", 100 * published.serverCpu);
    std::printf("  load average after   %.2f\n", loadAverage());
    return 0;
}
