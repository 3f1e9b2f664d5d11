// Scene snapshot from the button to the file on disk, and the one-page PDF
// capture, on the virtual camera. Every snapshot figure is printed beside
// QImage::save of the same frame in the same run. "GUI part" is the time the
// snapshot call itself takes; the GUI stall is how late a 5 ms timer fires
// while the work runs. With ink, the overlay layer's redraw is the GUI work
// moved from the snapshot to the moment the ink changes; it is printed too.
// Waits sit in an event loop, never a busy loop.
//
//   VISORA_PLUGIN_DIR  folder holding mediaservice/libvirtualcam.so
//                      (default: ../bin/plugins beside this program)

#include "RCamera.h"
#include "RCapturePipeline.h"
#include "RDragScene.h"
#include "RFrameCompositor.h"
#include "RImageSaver.h"
#include "ROverlayLayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

struct StallWatch
{
    QTimer timer;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 worst = 0;
    StallWatch()
    {
        timer.setInterval(5);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [this] {
            const qint64 now = clock.nsecsElapsed();
            worst = std::max(worst, now - last);
            last = now;
        });
    }
    void start()
    {
        worst = 0;
        clock.start();
        last = 0;
        timer.start();
    }
    double stop()
    {
        timer.stop();
        return worst / 1e6;
    }
};

// Runs the event loop until `done` holds, re-checked whenever `sender` emits
// `signal` and every 50 ms; false on timeout.
template <typename Sender, typename Signal>
bool waitFor(const Sender *sender, Signal signal, const std::function<bool()> &done, int ms)
{
    if (done())
        return true;
    QEventLoop loop;
    QTimer tick;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    auto check = [&] {
        if (done())
            loop.quit();
    };
    const auto c = QObject::connect(sender, signal, &loop, check, Qt::QueuedConnection);
    QObject::connect(&tick, &QTimer::timeout, &loop, check);
    tick.start(50);
    loop.exec();
    QObject::disconnect(c);
    return done();
}

void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU time of the calling thread: the GUI thread's own share of a call,
// whatever else the machine runs meanwhile.
double threadCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double median(QList<double> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

QString writeConfig(const QString &dir)
{
    const QString json = dir + "/bench.json";
    QFile f(json);
    f.open(QIODevice::WriteOnly);
    f.write(R"({"cameras": [{"description": "Bench Camera", "deviceName": "usb#vid_1b17&pid_0501&mi_00#6&9&0&0000",
        "resolutions": ["3264x2448", "1920x1080"], "pixelFormats": ["jpeg"], "source": "pattern", "fps": 30}]})");
    return json;
}

// Strokes across the picture, as a teacher writes them.
void addInk(RDragScene &scene, QGraphicsView &view)
{
    const QRect area = view.viewport()->rect();
    for (int s = 0; s < 12; ++s) {
        QVector<QPoint> points;
        for (int i = 0; i < 80; ++i)
            points << QPoint(area.width() * (5 + i) / 100, area.height() * (8 + 7 * s) / 100 + (i % 7) * 3);
        scene.slotCreateWritingItem(points, points.last(), QPointF(), CurPen);
    }
}

struct Figures
{
    double snap = 0;     // button to file, median
    double gui = 0;      // the snapshot call, wall time, worst
    double cpu = 0;      // the snapshot call, GUI-thread CPU time, worst
    double stall = 0;    // longest GUI stall
    double bare = 0;     // QImage::save of the same frame, median
    double bareCpu = 0;  // the same, CPU time of the calling thread, median
    double compose = 0;  // laying the overlay layer over the frame (save worker), CPU time, median
    double job = 0;      // the save worker's whole job (composing, then writing), CPU time, median
};

Figures measure(RDragScene &scene, StallWatch &stall, const QString &dir, const QString &ext, int rounds)
{
    Figures f;
    QList<double> totals, bares, bareCpus, composes, jobs;
    for (int i = 0; i < rounds; ++i) {
        idle(150); // fresh frames between rounds
        int finished = 0;
        const auto c = QObject::connect(&scene, &RDragScene::sSnapFinish, [&] { ++finished; });
        stall.start();
        QElapsedTimer t;
        t.start();
        const double cpu0 = threadCpuMs();
        scene.slotSnap(0, ext);
        f.cpu = std::max(f.cpu, threadCpuMs() - cpu0);
        f.gui = std::max(f.gui, t.nsecsElapsed() / 1e6);
        waitFor(&scene, &RDragScene::sSnapFinish, [&] { return finished > 0; }, 20000);
        totals << t.nsecsElapsed() / 1e6;
        f.stall = std::max(f.stall, stall.stop());
        QObject::disconnect(c);

        // The bare library on the same frame, in the same run.
        const QImage frame = scene.camera()->currentFrame().copy();
        QElapsedTimer b;
        b.start();
        const double bareCpu0 = threadCpuMs();
        frame.save(dir + "/bare." + ext);
        bares << b.nsecsElapsed() / 1e6;
        bareCpus << threadCpuMs() - bareCpu0;

        // The save worker's job on the same frame, run here so its CPU time
        // can be read whatever else the machine runs: the layer laid over
        // the frame (when there is ink), then the file written.
        const QImage layer = scene.overlayLayer()->image();
        RFrameCompositor::View v;
        v.layerArea = scene.overlayLayer()->contentRect();
        const double job0 = threadCpuMs();
        const QImage picture = layer.isNull() ? frame : RFrameCompositor::compose(frame, layer, v);
        const double composed = threadCpuMs();
        RImageSaver::writeImage(picture, dir + "/job." + ext);
        jobs << threadCpuMs() - job0;
        composes << composed - job0;
    }
    f.snap = median(totals);
    f.bare = median(bares);
    f.bareCpu = median(bareCpus);
    f.compose = median(composes);
    f.job = median(jobs);
    return f;
}

void print(const char *label, const QString &ext, const Figures &f)
{
    std::printf("  %-8s %-3s button to file %7.1f ms | QImage::save %7.1f ms | ratio %4.2f | GUI part %5.1f ms "
                "(CPU %5.1f ms) | longest GUI stall %5.1f ms\n"
                "  %-8s %-3s CPU: QImage::save %7.1f ms | save worker's job %7.1f ms (of which composing %5.1f ms) | "
                "ratio %4.2f\n",
                label, qPrintable(ext), f.snap, f.bare, f.bare > 0 ? f.snap / f.bare : 0.0, f.gui, f.cpu, f.stall,
                label, qPrintable(ext), f.bareCpu, f.job, f.compose, f.bareCpu > 0 ? f.job / f.bareCpu : 0.0);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QString pluginDir = QString::fromLocal8Bit(qgetenv("VISORA_PLUGIN_DIR"));
    if (pluginDir.isEmpty())
        pluginDir = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../bin/plugins");
    QCoreApplication::addLibraryPath(pluginDir);
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false");

    QTemporaryDir dir;
    qputenv("VISORA_VIRTUAL_CAMERA", writeConfig(dir.path()).toUtf8());

    RDragScene scene;
    const QSize big = scene.AddCameraItem("Bench Camera");
    if (big.isEmpty()) {
        std::printf("bench_snapshot: the virtual camera did not open (plugin dir %s)\n", qPrintable(pluginDir));
        return 1;
    }
    QGraphicsView view(&scene);
    view.resize(1280, 720);
    view.show();
    view.fitInView(scene.sceneRect(), Qt::KeepAspectRatio);
    scene.setSaveDir(dir.path());
    StallWatch stall;
    waitFor(&scene, &RDragScene::sSnapFinish, [&] { return !scene.camera()->currentFrame().isNull(); }, 5000);

    auto run = [&](const QSize &size) {
        std::printf("bench_snapshot: scene snapshot at %dx%d\n", size.width(), size.height());
        for (const QString ext : {"jpg", "png"}) {
            const int rounds = ext == "jpg" ? 7 : 3;
            print("no ink", ext, measure(scene, stall, dir.path(), ext, rounds));
        }
        addInk(scene, view);
        {
            ROverlayLayer *layer = scene.overlayLayer();
            // GUI-thread CPU time: what the live view gives up, whatever else the machine runs.
            double cpu0 = threadCpuMs();
            layer->refresh();
            const double all = threadCpuMs() - cpu0;
            const QRect area = view.viewport()->rect();
            QVector<QPoint> points;
            for (int i = 0; i < 80; ++i)
                points << QPoint(area.width() * (5 + i) / 100, area.height() * 95 / 100 - (i % 7) * 3);
            scene.slotCreateWritingItem(points, points.last(), QPointF(), CurPen);
            cpu0 = threadCpuMs();
            layer->refresh();
            const double one = threadCpuMs() - cpu0;
            cpu0 = threadCpuMs();
            layer->refresh();
            std::printf("  overlay layer redraw (GUI-thread CPU, once per change): 12 strokes %5.1f ms | one more "
                        "stroke %5.1f ms | unchanged %5.2f ms\n",
                        all, one, threadCpuMs() - cpu0);
        }
        for (const QString ext : {"jpg", "png"})
            print("with ink", ext, measure(scene, stall, dir.path(), ext, ext == "jpg" ? 7 : 3));
        scene.clearAllMyItem();
    };
    run(big);
    const QSize hd = scene.setCameraResolution(scene.resolutionList().indexOf(QSize(1920, 1080)));
    view.fitInView(scene.sceneRect(), Qt::KeepAspectRatio);
    waitFor(&scene, &RDragScene::sSnapFinish, [&] { return scene.camera()->currentFrame().size() == hd; }, 5000);
    run(hd);

    // PDF capture at the largest resolution, once the stream runs at it (the
    // restart's own stalls are not the capture's). Beside each figure the
    // pipeline itself on the same frame: what the GUI thread would stall for
    // if it ran there.
    const QSize full = scene.setCameraResolution(scene.resolutionList().indexOf(QSize(3264, 2448)));
    waitFor(&scene, &RDragScene::sSnapFinish, [&] { return scene.camera()->currentFrame().size() == full; }, 5000);
    idle(500);
    struct Case
    {
        const char *label;
        ColourMode colour;
        bool perspective;
    };
    for (const Case &c : {Case{"colour", ColourMode::Colour, false}, Case{"black-and-white", ColourMode::BlackWhite, false},
                          Case{"perspective cut", ColourMode::Colour, true}}) {
        RCamera *camera = scene.camera();
        RCaptureSettings settings;
        settings.m_iSaveColorType = c.colour;
        settings.m_iNameType = NameMode::Number;
        settings.m_strNamePrefix = "B";
        settings.m_iNameNumLength = 4;
        settings.m_bAutoCut = settings.m_bAutoPerspective = c.perspective;
        scene.setCameraParam(settings);
        if (c.perspective && !waitFor(&scene, &RDragScene::sSnapFinish, [&] { return camera->keystoneQuad().size() == 4; }, 5000))
            std::printf("bench_snapshot: no page detected, the cut is the whole picture\n");
        QList<double> times, bares, stalls;
        for (int i = 0; i < 5; ++i) {
            idle(200);
            const int before = QDir(dir.path()).entryList({"*.pdf"}).size();
            stall.start();
            QElapsedTimer t;
            t.start();
            scene.slotPDF(0);
            waitFor(RImageSaver::instance(), &RImageSaver::finished,
                    [&] { return QDir(dir.path()).entryList({"*.pdf"}).size() > before; }, 30000);
            times << t.nsecsElapsed() / 1e6;
            stalls << stall.stop();

            const QImage frame = camera->currentFrame().copy();
            RCardState card;
            QElapsedTimer b;
            b.start();
            RCapturePipeline::process(frame, camera->captureParams(), camera->rotatedRect(), card,
                                      camera->keystoneQuad());
            bares << b.nsecsElapsed() / 1e6;
        }
        std::printf("bench_snapshot: PDF capture 3264x2448 %s: median %7.1f ms, longest GUI stall %6.1f ms "
                    "(median %5.1f ms) | pipeline alone %6.1f ms\n",
                    c.label, median(times), *std::max_element(stalls.begin(), stalls.end()), median(stalls),
                    median(bares));
    }
    scene.setCameraParam(RCaptureSettings());
    return 0;
}
