// Recorder figures, each beside its bare-library counterpart from the same run:
//   frames written per second at 1920x1080 from a 30 fps virtual camera, and the
//   share of repeated frames   vs. cv::VideoWriter MJPG writing flat out;
//   the join's frames per second and the GUI thread's longest stall
//                              vs. the ffmpeg program run alone, and an idle event loop;
//   peak memory while recording and while joining (recorder + ffmpeg).
// Usage: bench_recorder [seconds]   (default 60)
#include "RCameraCV.h"
#include "RJoiner.h"
#include "RRecorderRules.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

#include <cstdio>

namespace {

qint64 rssKb(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

// Longest gap between ticks of a 2 ms timer on this thread while cond() holds.
qint64 longestStall(const std::function<bool()> &running, const std::function<void()> &sample)
{
    QElapsedTimer gap;
    gap.start();
    qint64 worst = 0;
    QTimer tick;
    tick.setInterval(2);
    QEventLoop loop;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worst = qMax(worst, gap.restart());
        sample();
        if (!running())
            loop.quit();
    });
    tick.start();
    loop.exec();
    return worst;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(5, atoi(argv[1])) : 60;
    const QSize size(1920, 1080);
    QTemporaryDir dir;

    QFile cam(dir.filePath("camera.json"));
    cam.open(QIODevice::WriteOnly);
    cam.write(QJsonDocument(QJsonObject{{"cameras", QJsonArray{QJsonObject{
        {"description", "Bench Camera"}, {"deviceName", "/dev/video9"}, {"fps", 30}, {"present", true}}}}}).toJson());
    cam.close();
    qputenv("VISORA_VIRTUAL_CAMERA", cam.fileName().toUtf8());

    // Bare library: how fast cv::VideoWriter alone writes 1080p Motion JPEG.
    double bareWriterFps = 0;
    {
        cv::VideoWriter w(dir.filePath("bare.avi").toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 30.0,
                          cv::Size(size.width(), size.height()));
        cv::Mat frame(size.height(), size.width(), CV_8UC3);
        cv::randu(frame, 0, 255);
        cv::GaussianBlur(frame, frame, cv::Size(9, 9), 3);
        QElapsedTimer t;
        t.start();
        int n = 0;
        while (t.elapsed() < 5000) {
            w.write(frame);
            ++n;
        }
        bareWriterFps = n * 1000.0 / t.elapsed();
    }

    // The recorder's camera worker recording from the virtual camera.
    const QString video = dir.filePath("rec.avi");
    RCameraCV worker;
    worker.setCameraName("Bench Camera");
    QThread thread;
    worker.moveToThread(&thread);
    thread.start();
    QString stats;
    QObject::connect(&worker, &RCameraCV::response, &app, [&](int, QString s) { stats = s; }, Qt::DirectConnection);
    QObject::connect(&worker, &RCameraCV::sPixmap, &app, [&](QPixmap) { worker.previewShown(); });
    const qint64 idleKb = rssKb(QCoreApplication::applicationPid());
    qint64 recordPeakKb = idleKb;
    worker.setRun(true);
    QMetaObject::invokeMethod(&worker, "recVideo", Qt::QueuedConnection, Q_ARG(int, 9), Q_ARG(QSize, size),
                              Q_ARG(QString, video));
    QElapsedTimer clock;
    clock.start();
    const qint64 recordStall = longestStall([&] { return clock.elapsed() < seconds * 1000; },
                                            [&] { recordPeakKb = qMax(recordPeakKb, rssKb(QCoreApplication::applicationPid())); });
    worker.setRun(false);
    thread.quit();
    thread.wait();
    const QStringList f = stats.split(' ');
    const double written = f.value(1).toDouble(), repeated = f.value(3).toDouble(), ms = f.value(7).toDouble();
    double videoSeconds = 0;
    {
        cv::VideoCapture check(video.toStdString());
        if (check.isOpened() && check.get(cv::CAP_PROP_FPS) > 0)
            videoSeconds = check.get(cv::CAP_PROP_FRAME_COUNT) / check.get(cv::CAP_PROP_FPS);
    }

    // The join through RJoiner, with the GUI thread's stalls and both processes' memory.
    const qint64 idleStall = longestStall([&, t = QElapsedTimer()]() mutable {
        if (!t.isValid())
            t.start();
        return t.elapsed() < 2000;
    }, [] {});
    RJoiner joiner;
    bool joinOk = false;
    QObject::connect(&joiner, &RJoiner::sFinished, [&](bool ok, QString) { joinOk = ok; });
    const QString out = dir.filePath("joined.mp4");
    const QString ffmpeg = RRecorderRules::findFfmpeg(QString());
    qint64 joinPeakKb = 0;
    QElapsedTimer joinClock;
    joinClock.start();
    joiner.start(ffmpeg, RRecorderRules::joinArguments(QString(), video, out, false), out, ms / 1000.0);
    const qint64 joinStall = longestStall([&] { return joiner.isRunning(); }, [&] {
        static int n = 0;
        if (++n % 25)
            return;
        qint64 kb = rssKb(QCoreApplication::applicationPid());
        const auto procs = joiner.findChildren<QProcess *>();
        for (QProcess *p : procs)
            kb += rssKb(p->processId());
        joinPeakKb = qMax(joinPeakKb, kb);
    });
    const double joinSec = joinClock.elapsed() / 1000.0;

    // Bare: the same ffmpeg command alone.
    QElapsedTimer bareClock;
    bareClock.start();
    QProcess::execute(ffmpeg, {"-v", "error", "-y", "-i", video, "-c:v", "libx264", dir.filePath("bare.mp4")});
    const double bareJoinSec = bareClock.elapsed() / 1000.0;

    std::printf("recording %d s at %dx%d from a 30 fps virtual camera\n", seconds, size.width(), size.height());
    std::printf("  frames written per second   %7.2f   (bare cv::VideoWriter MJPG flat out: %.1f fps)\n",
                written * 1000.0 / qMax(1.0, ms), bareWriterFps);
    std::printf("  repeated frames             %6.2f %%  (%s)\n", 100.0 * repeated / qMax(1.0, written), qPrintable(stats));
    std::printf("  frames missing at the stop  %7.0f   (a machine too slow for the rate)\n", f.value(9).toDouble());
    std::printf("  video length                %7.2f s (recording: %.2f s)\n", videoSeconds, ms / 1000.0);
    std::printf("  GUI longest stall recording %7lld ms (idle loop: %lld ms)\n", recordStall, idleStall);
    std::printf("  peak memory recording       %7lld MB (idle: %lld MB)\n", recordPeakKb / 1024, idleKb / 1024);
    std::printf("join %s to H.264 (%s)\n", joinOk ? "ok" : "FAILED", qPrintable(ffmpeg));
    std::printf("  join speed                  %7.1f fps (ffmpeg alone: %.1f fps)\n", written / joinSec, written / bareJoinSec);
    std::printf("  GUI longest stall joining   %7lld ms (idle loop: %lld ms)\n", joinStall, idleStall);
    std::printf("  peak memory joining         %7lld MB (recorder + ffmpeg)\n", joinPeakKb / 1024);
    return joinOk ? 0 : 1;
}
