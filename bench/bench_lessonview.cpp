// Lesson-view recording figures, each beside its bare counterpart from the same run:
//   live view frames painted per second, without and with the recording;
//   GUI-thread time per recorded frame (mean, worst)
//                              vs. grabbing the view's widget once (what a screen grab costs);
//   CPU per recorded frame (whole process, minus the live view's own share)
//                              vs. a bare encode (sws + libx264) of the same composed frames on one thread,
//                              and bare compose + encode;
//   mark-to-beep offset (sound minus picture) at 10, 30 and 55 s; stop to finished file.
// Usage: bench_lessonview [seconds]   (default 60; needs a sound server: scripts/virtual-mic.sh)
#include "BenchSupport.h"
#include "RAudioSources.h"
#include "RClassView.h"
#include "RDragScene.h"
#include "RLessonRecorder.h"
#include "RNoScrollGraphicsView.h"
#include "ROverlayLayer.h"
#include "RCamera.h"
#include "RTavWidget.h"
#include "SyncBeeper.h"
#include "SyncMeter.h"
#include "VVideoEncoder.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <ctime>
#include <sys/resource.h>

namespace {

qint64 cpuUs(int who)
{
    timespec t{};
    clock_gettime(who, &t);
    return qint64(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// Counts the view's paints: what the class sees per second.
struct PaintCounter : QObject
{
    int paints = 0;
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Window
{
    double fps = 0;
    double cpuPerSecondUs = 0;
};

Window watch(QWidget *viewport, PaintCounter &counter, int ms)
{
    counter.paints = 0;
    const qint64 cpu0 = cpuUs(CLOCK_PROCESS_CPUTIME_ID);
    QElapsedTimer t;
    t.start();
    QTest::qWait(ms);
    Window w;
    w.fps = counter.paints * 1000.0 / t.elapsed();
    w.cpuPerSecondUs = (cpuUs(CLOCK_PROCESS_CPUTIME_ID) - cpu0) * 1000.0 / t.elapsed();
    (void)viewport;
    return w;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? qMax(12, atoi(argv[1])) : 60;
    QTemporaryDir dir;
    double load[3] = {0, 0, 0};
    getloadavg(load, 3);
    std::printf("load before the run: %.2f %.2f %.2f (2 cores)\n", load[0], load[1], load[2]);
    const RAudioSources::Listing mics = RAudioSources::list();
    if (mics.preferred < 0) {
        std::printf("no microphone: %s (run scripts/virtual-mic.sh and export PULSE_SERVER)\n", qPrintable(mics.error));
        return 1;
    }
    QFile cam(dir.filePath("camera.json"));
    cam.open(QIODevice::WriteOnly);
    cam.write(QJsonDocument(QJsonObject{{"cameras", QJsonArray{QJsonObject{
        {"description", "Bench Camera"}, {"deviceName", "usb#vid_1b17&pid_0501&mi_00#6&2&0&0000"}, {"fps", 30},
        {"resolutions", QJsonArray{"1920x1080"}}, {"pixelFormats", QJsonArray{"jpeg"}}, {"syncMarks", true}}}}}).toJson());
    cam.close();
    qputenv("VISORA_VIRTUAL_CAMERA", cam.fileName().toUtf8());

    RTavWidget window;
    window.resize(1920, 1080);
    window.show();
    if (!QTest::qWaitFor([&] { return window.isCameraOpen(); }, 10000)) {
        std::printf("the virtual camera did not open\n");
        return 1;
    }
    QTest::qWait(1500);
    // Ink and a picture over the page, so the overlay layer is part of every frame.
    QVector<QPoint> stroke;
    for (int i = 0; i < 80; ++i)
        stroke << QPoint(200 + 9 * i, 300 + (i % 7) * 8);
    window.scene()->setPen(7, QColor(255, 0, 0));
    window.scene()->slotCreateWritingItem(stroke, stroke.last(), QPointF(), CurPen);
    QImage placed(300, 200, QImage::Format_RGB32);
    placed.fill(QColor(0, 160, 0));
    placed.save(dir.filePath("placed.png"));
    window.scene()->showImageItem(dir.path(), "placed.png");
    (void)QTest::qWaitFor([&] { return window.scene()->picturesDecoding() == 0; }, 10000);

    QWidget *viewport = window.view()->viewport();
    PaintCounter counter;
    viewport->installEventFilter(&counter);
    const Window idle = watch(viewport, counter, 5000);
    const double grabMs = BenchSupport::medianMs(15, [&] { (void)viewport->grab(); });

    SyncBeeper beeper;
    QString error;
    if (!beeper.start(&error)) {
        std::printf("no sync beeper: %s\n", qPrintable(error));
        return 1;
    }
    RLessonRecorder *lesson = window.lessonRecorder();
    QSignalSpy finished(lesson, &RLessonRecorder::sFinished);
    RLessonRecorder::Setup setup;
    setup.folder = dir.filePath("videos");
    setup.device = mics.sources.at(mics.preferred).name;
    if (!lesson->start(setup)) {
        std::printf("the lesson recording did not start: %s\n", qPrintable(lesson->lastMessage()));
        return 1;
    }
    QTest::qWait(1000);
    const Window recording = watch(viewport, counter, (seconds - 1) * 1000);
    const RClassView::Stats live = window.classView()->stats();
    // The composed frames the encoder got, for the bare encode below.
    const QSize out = window.classView()->outputSize();
    RFrameCompositor::View view = RClassView::viewOf(window.scene(), window.view(), out);
    ROverlayLayer *layer = window.scene()->overlayLayer();
    view.layerArea = layer->contentRect();
    const QImage frame = window.scene()->camera()->currentFrame().copy();
    QElapsedTimer stopClock;
    stopClock.start();
    lesson->stop();
    (void)QTest::qWaitFor([&] { return !finished.isEmpty(); }, 60000);
    const qint64 readyMs = stopClock.elapsed();
    beeper.stop();
    const RClassView::Stats total = window.classView()->stats();
    const QString file = finished.isEmpty() ? QString() : finished.at(0).at(1).toString();

    // Bare: compose and encode the same picture on this thread, one core.
    const int bareFrames = 150;
    std::vector<QImage> composed;
    const qint64 c0 = cpuUs(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < 30; ++i)
        composed.push_back(RFrameCompositor::compose(frame, layer->image(), view).copy());
    const double bareComposeUs = double(cpuUs(CLOCK_THREAD_CPUTIME_ID) - c0) / 30;
    VVideoEncoder encoder;
    VVideoEncoder::Settings settings;
    settings.size = out;
    encoder.open(settings, nullptr);
    const qint64 e0 = cpuUs(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 0; i < bareFrames; ++i) {
        const QImage &p = composed[size_t(i) % composed.size()];
        encoder.encode(p.constBits(), p.bytesPerLine(), p.size(), VVideoEncoder::Pixels::Bgra32, qint64(i) * 33333);
    }
    encoder.flush();
    const double bareEncodeUs = double(cpuUs(CLOCK_THREAD_CPUTIME_ID) - e0) / bareFrames;

    getloadavg(load, 3);
    std::printf("camera 1920x1080 at 30 fps, window 1920x1080, recorded %dx%d, %d s, ink and a picture on the page\n",
                out.width(), out.height(), seconds);
    std::printf("live view painted:        %6.1f fps without recording, %6.1f fps while recording\n", idle.fps,
                recording.fps);
    std::printf("GUI thread per recorded frame: %6.2f ms mean, %6.2f ms worst   vs. one grab of the view: %6.2f ms\n",
                live.ticks ? live.guiUs / 1000.0 / live.ticks : 0.0, live.guiMaxUs / 1000.0, grabMs);
    const double frames = qMax<qint64>(1, live.video.encoded);
    const double ourCpuUs = (recording.cpuPerSecondUs - idle.cpuPerSecondUs) * (seconds - 1) / frames;
    std::printf("frames: %lld composed, %lld encoded, %lld dropped by the encoder, rate at the end %d fps\n",
                static_cast<long long>(total.composed), static_cast<long long>(total.video.encoded),
                static_cast<long long>(total.video.dropped), total.video.fps);
    std::printf("CPU per recorded frame:   %6.2f ms (process, above the live view's own)\n", ourCpuUs / 1000.0);
    std::printf("   encoding thread alone: %6.2f ms   vs. bare encode of the same frames: %6.2f ms, bare compose + encode: %6.2f ms\n",
                total.video.encoded ? total.video.cpuUs / 1000.0 / total.video.encoded : 0.0, bareEncodeUs / 1000.0,
                (bareComposeUs + bareEncodeUs) / 1000.0);
    std::printf("stop to finished file:    %lld ms\n", static_cast<long long>(readyMs));
    if (!file.isEmpty()) {
        const SyncMeter::Result sync = SyncMeter::measure(file);
        std::printf("file: %.2f s picture, %.2f s sound, %d of %d frames marked, %d beeps\n", sync.videoSeconds,
                    sync.audioSeconds, sync.markedFrames, sync.videoFrames, sync.beeps);
        for (double at : {10.0, 30.0, 55.0}) {
            if (const SyncMeter::Pair *p = sync.near(at))
                std::printf("sync at %4.0f s:          %+6.1f ms (sound minus picture)\n", at, p->offsetMs);
            else
                std::printf("sync at %4.0f s:          no pair\n", at);
        }
    } else {
        std::printf("no file: %s\n", qPrintable(lesson->lastMessage()));
    }
    std::printf("load after the run: %.2f %.2f %.2f\n", load[0], load[1], load[2]);
    window.closeTavNoConfirm();
    return 0;
}
