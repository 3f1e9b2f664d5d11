// Recorder figures, each beside its bare-library counterpart from the same run:
//   libx264 presets and tunings on one core at 1920x1080 (the measurement behind
//   the recorder's choice), bare sws + libx264 through libavcodec;
//   a recording from the 30 fps virtual camera with sound: frames written per
//   second, dropped share, CPU per frame of the encoding thread
//                              vs. the same frames through bare sws + libx264, same settings;
//   mark-to-beep offset (sound minus picture) at 10, 30 and 55 s;
//   stop to finished file, and its projection to a 45-minute lesson
//                              vs. the ffmpeg program's stream copy of the same file;
//   peak memory while recording and while finishing.
// Usage: bench_recorder [seconds]   (default 60; needs a sound server: scripts/virtual-mic.sh)
#include "RCameraCV.h"
#include "RFinisher.h"
#include "RRecordingSession.h"
#include "SyncBeeper.h"
#include "SyncMeter.h"
#include "VClock.h"
#include "VRemuxer.h"
#include "VVideoEncoder.h"
#include "VirtualCameraFrameSource.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

namespace {

qint64 rssKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

qint64 threadCpuUs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// Peak resident memory while running, sampled every 50 ms.
struct PeakMemory {
    std::atomic<bool> run{true};
    std::atomic<qint64> peak{0};
    std::thread thread{[this] {
        while (run) {
            peak = qMax(peak.load(), rssKb());
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }};
    qint64 stop()
    {
        run = false;
        thread.join();
        return peak;
    }
};

// Bare: the same BGR frames through libswscale and libx264 (via libavcodec)
// on this thread; microseconds of CPU per frame.
double bareCpuPerFrame(const std::vector<QByteArray> &frames, const QSize &size, const VVideoEncoder::Settings &s, int count)
{
    VVideoEncoder encoder;
    if (!encoder.open(s, nullptr))
        return 0;
    const qint64 cpu0 = threadCpuUs();
    for (int i = 0; i < count; ++i) {
        const QByteArray &f = frames[size_t(i) % frames.size()];
        encoder.encode(reinterpret_cast<const uchar *>(f.constData()), size.width() * 3, size, VVideoEncoder::Pixels::Bgr24,
                       qint64(i) * 33333);
    }
    encoder.flush();
    return double(threadCpuUs() - cpu0) / count;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(5, atoi(argv[1])) : 60;
    const QSize size(1920, 1080);
    QTemporaryDir dir;
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);

    // The virtual camera's own frames, converted as the recorder converts them.
    std::vector<QByteArray> frames;
    {
        VirtualCameraFrameSource source;
        VirtualCameraFrameSource::Parameters p;
        p.size = size;
        source.setParameters(p);
        for (int i = 0; i < 30; ++i) {
            const QImage rgb = source.nextFrame().convertToFormat(QImage::Format_BGR888);
            QByteArray bytes(size.width() * size.height() * 3, Qt::Uninitialized);
            for (int y = 0; y < size.height(); ++y)
                memcpy(bytes.data() + y * size.width() * 3, rgb.constScanLine(y), size_t(size.width()) * 3);
            frames.push_back(bytes);
        }
    }
    std::printf("load before the run: %.2f %.2f %.2f (2 cores)\n", load[0], load[1], load[2]);
    std::printf("libx264 on one core at %dx%d, bare sws + libavcodec (frames per second of CPU time):\n", size.width(),
                size.height());
    const VVideoEncoder::Settings chosen;
    const struct { const char *preset, *tune; } ladder[] = {
        {"ultrafast", ""}, {"ultrafast", "zerolatency"}, {"superfast", "zerolatency"}, {"veryfast", "zerolatency"}};
    for (const auto &l : ladder) {
        VVideoEncoder::Settings s = chosen;
        s.preset = l.preset;
        s.tune = l.tune;
        const double us = bareCpuPerFrame(frames, size, s, 90);
        std::printf("  %-10s %-12s %6.1f fps%s\n", l.preset, l.tune, 1e6 / qMax(1.0, us),
                    s.preset == chosen.preset && s.tune == chosen.tune ? "   <- the recorder's choice" : "");
    }

    // The recorder: camera worker and recording session, as the window runs them.
    QFile cam(dir.filePath("camera.json"));
    cam.open(QIODevice::WriteOnly);
    cam.write(QJsonDocument(QJsonObject{{"cameras", QJsonArray{QJsonObject{
        {"description", "Bench Camera"}, {"deviceName", "/dev/video9"}, {"fps", 30}, {"present", true}, {"syncMarks", true}}}}}).toJson());
    cam.close();
    qputenv("VISORA_VIRTUAL_CAMERA", cam.fileName().toUtf8());
    RCameraCV worker;
    worker.setCameraName("Bench Camera");
    QThread thread;
    worker.moveToThread(&thread);
    thread.start();
    QObject::connect(&worker, &RCameraCV::sPixmap, &app, [&](QPixmap) { worker.previewShown(); });
    worker.setRun(true);
    QMetaObject::invokeMethod(&worker, "recVideo", Qt::QueuedConnection, Q_ARG(int, 9), Q_ARG(QSize, size));
    SyncBeeper beeper;
    QString beeperError;
    if (!beeper.start(&beeperError))
        std::printf("no sync beeps: %s\n", qPrintable(beeperError));
    QThread::msleep(1500);

    const qint64 idleKb = rssKb();
    auto session = std::make_shared<RRecordingSession>();
    RRecordingSession::Options o;
    o.size = size;
    o.tempFile = dir.filePath("temp.mkv");
    o.sound = true;
    o.device = QStringLiteral("Visora_Microphone");
    QString soundProblem;
    if (!session->start(o, &soundProblem) || !session->hasSound()) {
        std::printf("cannot record (sound: %s)\n", qPrintable(soundProblem));
        return 1;
    }
    PeakMemory recordMemory;
    worker.setPipe(session->pipe());
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000)
        app.processEvents(QEventLoop::AllEvents, 50);
    getloadavg(load, 3);
    QElapsedTimer finishClock;
    finishClock.start();
    session->markStop();
    worker.setPipe(nullptr);
    const RRecordingSession::Result rec = session->finish();
    beeper.stop();
    const qint64 recordPeakKb = recordMemory.stop();
    const double stopMs = finishClock.nsecsElapsed() / 1e6;
    worker.setRun(false);
    thread.quit();
    thread.wait();
    const qint64 tempBytes = QFileInfo(o.tempFile).size();
    QFile::copy(o.tempFile, dir.filePath("copy.mkv"));

    // Finishing: the copy into .mp4 and the rename.
    PeakMemory finishMemory;
    QElapsedTimer copyClock;
    copyClock.start();
    const QString partial = dir.filePath(".partial.mp4");
    const VRemuxer::Outcome out = VRemuxer::remux(o.tempFile, partial, ".mp4");
    const QString file = VRemuxer::publish(partial, dir.filePath("lesson.mp4"));
    const double copyMs = copyClock.nsecsElapsed() / 1e6;
    const qint64 finishPeakKb = finishMemory.stop();
    QElapsedTimer bareClock;
    bareClock.start();
    QProcess::execute("ffmpeg", {"-v", "error", "-y", "-i", dir.filePath("copy.mkv"), "-c", "copy", "-movflags",
                                 "+faststart", dir.filePath("bare.mp4")});
    const double bareCopyMs = bareClock.nsecsElapsed() / 1e6;

    // CPU per frame: the recorder's encoding thread against bare sws + libx264, same settings.
    const double barePerFrame = bareCpuPerFrame(frames, size, chosen, 300);
    const double recPerFrame = double(rec.video.cpuUs) / qMax<qint64>(1, rec.video.encoded);

    const double lengthS = rec.durationUs / 1e6;
    const qint64 finalBytes = QFileInfo(file).size();
    const double bytesPerS = finalBytes / qMax(0.001, lengthS);
    const double lessonS = 45 * 60;
    const double projectedS = stopMs / 1000.0 + copyMs / 1000.0 * lessonS / qMax(0.001, lengthS);
    std::printf("recording %.1f s at %dx%d from a 30 fps virtual camera with sound (load at the end: %.2f %.2f %.2f)\n",
                lengthS, size.width(), size.height(), load[0], load[1], load[2]);
    std::printf("  frames written per second   %7.2f   (camera offered %.2f/s; frames are never repeated)\n",
                rec.video.encoded / lengthS, rec.video.offered / lengthS);
    std::printf("  dropped while encoding      %6.2f %%  (frame rate at the end: %d fps)\n",
                100.0 * rec.video.dropped / qMax<qint64>(1, rec.video.offered), rec.video.fps);
    std::printf("  CPU per frame, encoder      %7.2f ms (bare sws + libx264, same settings: %.2f ms; ratio %.2f)\n",
                recPerFrame / 1000, barePerFrame / 1000, recPerFrame / qMax(1.0, barePerFrame));
    std::printf("  file video / sound          %7.2f s / %.2f s\n", out.videoSeconds, out.audioSeconds);
    const SyncMeter::Result sync = SyncMeter::measure(file);
    for (double at : {10.0, 30.0, 55.0}) {
        if (const SyncMeter::Pair *p = sync.near(at))
            std::printf("  sync at %2.0f s                %+7.1f ms sound minus picture (%+.1f ms to the first flash frame)\n", at,
                        p->offsetMs, p->frameOffsetMs);
        else
            std::printf("  sync at %2.0f s                    n/a (recording shorter or no beep)\n", at);
    }
    std::printf("  sync over all beeps         %+7.1f ms mean, %.1f ms worst (target: -45..+125 ms)\n",
                sync.meanOffsetMs(), sync.maxAbsOffsetMs());
    std::printf("  peak memory recording       %7lld MB (idle camera: %lld MB)\n", recordPeakKb / 1024, idleKb / 1024);
    std::printf("finishing into .mp4 %s\n", out.result == VRemuxer::Result::Ok && !file.isEmpty() ? "ok" : "FAILED");
    std::printf("  stop to finished file       %7.2f s (stopping %.0f ms, copy %.0f ms; ffmpeg -c copy alone: %.0f ms)\n",
                (stopMs + copyMs) / 1000, stopMs, copyMs, bareCopyMs);
    std::printf("  bytes per second            %7.0f kB/s (temporary file %lld kB/s)\n", bytesPerS / 1000,
                qint64(tempBytes / qMax(0.001, lengthS) / 1000));
    std::printf("  45-minute lesson            %7.1f s to finish, %.2f GB\n", projectedS, bytesPerS * lessonS / 1e9);
    std::printf("  peak memory finishing       %7lld MB\n", finishPeakKb / 1024);
    return out.result == VRemuxer::Result::Ok ? 0 : 1;
}
