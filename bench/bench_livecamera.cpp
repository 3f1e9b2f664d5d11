// Live picture of the presenter's camera widget from the virtual document
// camera: frames shown per second inside the presenter's full-screen scene
// view, CPU time per shown frame, how far the screen falls behind, and the
// time from process start to the first live frame; beside each, a bare
// QCamera + QCameraViewfinder shown full-screen on the same virtual camera,
// measured in the same run, and the ratio of the two.
//
// Each case runs in a child process of its own so the start-up figure really
// starts at process start. Run under Xvfb (xvfb-run -s "-screen 0 1920x1080x24")
// or with QT_QPA_PLATFORM=offscreen.
//
//   bench_livecamera [seconds]
//   VISORA_PLUGIN_DIR  folder holding mediaservice/libvirtualcam.so
//                      (default: ../bin/plugins beside this program)
//   BENCH_SMOOTH=1     view with smooth pixmap scaling, for comparison
//   BENCH_AUTOCUT=1    with the 500 ms document detection running
//   BENCH_SCAN=1       with QR scanning's 200 ms reads running
//   BENCH_MIRROR=1     with the live picture mirrored left-right

#include "RCamera.h"
#include "RDragScene.h"
#include "RNoScrollGraphicsView.h"
#include "RQrScanner.h"

#include <QApplication>
#include <QCamera>
#include <QCameraInfo>
#include <QCameraViewfinder>
#include <QCameraViewfinderSettings>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGraphicsProxyWidget>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QMutex>
#include <QPaintEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QStackedLayout>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double cpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

// Seconds since this process started, from the kernel's own record.
double sinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    const QList<QByteArray> fields = s.mid(s.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 20)
        return -1;
    const double start = fields.at(19).toDouble() / sysconf(_SC_CLK_TCK);
    return uptime.readAll().split(' ').value(0).toDouble() - start;
}

QMutex g_logLock;
qint64 g_skipped = 0;
void logHandler(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    static const QRegularExpression skipped(QStringLiteral("frames skipped while the consumer was busy: (\\d+)"));
    const QRegularExpressionMatch m = skipped.match(msg);
    if (m.hasMatch()) {
        QMutexLocker lock(&g_logLock);
        g_skipped += m.captured(1).toLongLong();
    }
}

// Runs the event loop for `ms` without spinning.
void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class BenchView : public RNoScrollGraphicsView
{
public:
    using RNoScrollGraphicsView::RNoScrollGraphicsView;
    bool painting = false;
    int paints = 0;
    double paintMs = 0;
    double worstPaintMs = 0;

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QElapsedTimer t;
        t.start();
        painting = true;
        RNoScrollGraphicsView::paintEvent(event);
        painting = false;
        const double ms = t.nsecsElapsed() / 1e6;
        ++paints;
        paintMs += ms;
        worstPaintMs = std::max(worstPaintMs, ms);
    }
};

// Counts the viewfinder's paints made for the screen (not for a grab): in
// the presenter's view while the view paints, the bare viewfinder's own.
class FrameCounter : public QObject
{
public:
    const BenchView *view = nullptr;
    bool grabbing = false;
    QCamera *camera = nullptr;
    int frames = 0;
    double firstFrameSinceStart = -1;
    double firstFrameSinceMain = -1;
    QElapsedTimer *mainClock = nullptr;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && (view ? view->painting : !grabbing) && camera
            && camera->status() == QCamera::ActiveStatus) {
            ++frames;
            if (firstFrameSinceStart < 0) {
                firstFrameSinceStart = sinceProcessStart();
                firstFrameSinceMain = mainClock->nsecsElapsed() / 1e9;
            }
        }
        return false;
    }
};

// The presenter's case ("presenter") or the bare viewer's ("bare").
int runCase(int argc, char **argv, const QString &mode, const QString &resolutions, double seconds)
{
    QElapsedTimer mainClock;
    mainClock.start();
    qInstallMessageHandler(logHandler);
    const bool bare = mode == QLatin1String("bare");

    QTemporaryDir tmp;
    qputenv("HOME", tmp.path().toUtf8()); // the presenter's settings stay out of the user's
    QStringList list;
    for (const QString &r : resolutions.split(','))
        list << QStringLiteral("\"%1\"").arg(r);
    const QString json = QStringLiteral(
                             "{\"cameras\":[{\"description\":\"Bench Document Camera\","
                             "\"deviceName\":\"usb#vid_1b17&pid_0501&mi_00#bench\",\"resolutions\":[%1],"
                             "\"pixelFormats\":[\"jpeg\",\"yuyv\"],\"source\":\"pattern\",\"fps\":30,"
                             "\"present\":true,\"busy\":false}]}")
                             .arg(list.join(','));
    QFile cfg(tmp.filePath(QStringLiteral("virtualcam.json")));
    cfg.open(QIODevice::WriteOnly);
    cfg.write(json.toUtf8());
    cfg.close();
    qputenv("VISORA_VIRTUAL_CAMERA", cfg.fileName().toUtf8());

    QApplication app(argc, argv);
    QString pluginDir = QString::fromLocal8Bit(qgetenv("VISORA_PLUGIN_DIR"));
    if (pluginDir.isEmpty())
        pluginDir = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral("../bin/plugins"));
    QCoreApplication::addLibraryPath(pluginDir);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();

    FrameCounter counter;
    counter.mainClock = &mainClock;
    QSize size;
    QCamera *camera = nullptr;

    // Bare: a full-screen viewfinder and its camera, nothing else.
    QCameraViewfinder *bareViewfinder = nullptr;
    // Presenter: the main window's layout, its view and scene; the scene adds
    // the camera item as the program does.
    QWidget *window = nullptr;
    RDragScene *scene = nullptr;
    BenchView *view = nullptr;
    const bool smooth = qEnvironmentVariableIntValue("BENCH_SMOOTH") != 0;
    RQrScanner scanner;
    QTimer scanTick;
    scanTick.setInterval(200);
    double scanMs = 0, scanWorstMs = 0;
    int scanTicks = 0;
    QObject::connect(&scanTick, &QTimer::timeout, &app, [&] {
        QElapsedTimer t;
        t.start();
        scanner.tick(scene->camera());
        const double ms = t.nsecsElapsed() / 1e6;
        scanMs += ms;
        scanWorstMs = std::max(scanWorstMs, ms);
        ++scanTicks;
    });
    if (bare) {
        bareViewfinder = new QCameraViewfinder;
        bareViewfinder->setGeometry(screen);
        bareViewfinder->showFullScreen();
    } else {
        window = new QWidget;
        scene = new RDragScene(window);
        view = new BenchView;
        view->setScene(scene);
        view->setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
        view->setDragMode(QGraphicsView::ScrollHandDrag);
        view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view->setFrameShape(QFrame::NoFrame);
        // What a view with smooth scaling would cost (the presenter's view does not set it).
        view->setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        auto *layout = new QStackedLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view);
        // Without a window manager (Xvfb) full-screen alone does not resize.
        window->setGeometry(screen);
        window->showFullScreen();
        counter.view = view;
    }

    QTimer::singleShot(1, &app, [&] {
        if (bare) {
            const QList<QCameraInfo> cameras = QCameraInfo::availableCameras();
            for (const QCameraInfo &info : cameras) {
                if (info.description() == QLatin1String("Bench Document Camera"))
                    camera = new QCamera(info, &app);
            }
            if (!camera) {
                std::printf("no camera opened\n");
                app.exit(2);
                return;
            }
            QCameraViewfinderSettings settings;
            const QString first = resolutions.section(',', 0, 0);
            size = QSize(first.section('x', 0, 0).toInt(), first.section('x', 1, 1).toInt());
            settings.setResolution(size);
            camera->setViewfinderSettings(settings);
            camera->setViewfinder(bareViewfinder);
            camera->start();
            bareViewfinder->installEventFilter(&counter);
        } else {
            size = scene->AddCameraItem(QString());
            if (size.isEmpty()) {
                std::printf("no camera opened\n");
                app.exit(2);
                return;
            }
            camera = scene->camera()->camera();
            scene->camera()->viewfinder()->installEventFilter(&counter);
            const int w = size.width(), h = size.height();
            scene->setSceneRect(1 - 3 * w, 1 - 3 * h, 6 * w - 2, 6 * h - 2);
            const double s = std::min(double(view->width()) / w, double(view->height()) / h);
            const int n = int(50 * std::log2(s));
            const double f = std::pow(2.0, n / 50.0);
            view->setTransform(QTransform::fromScale(f, f));
            view->setFactor(f);
            view->centerOn(0, 0);
            if (qEnvironmentVariableIntValue("BENCH_AUTOCUT") != 0)
                scene->camera()->setCameraAuto(true, false);
            if (qEnvironmentVariableIntValue("BENCH_SCAN") != 0)
                scanTick.start();
            if (qEnvironmentVariableIntValue("BENCH_MIRROR") != 0)
                scene->setOrientation(true, false);
        }
        counter.camera = camera;
    });

    // Wait for the first frame, then warm up for a second.
    QElapsedTimer wait;
    wait.start();
    while (counter.firstFrameSinceStart < 0 && wait.elapsed() < 15000)
        runFor(5);
    if (counter.firstFrameSinceStart < 0) {
        std::printf("no frame shown within 15 s\n");
        return 3;
    }
    const double firstStart = counter.firstFrameSinceStart;
    const double firstMain = counter.firstFrameSinceMain;
    runFor(1000);

    // How late the GUI thread runs a posted call: the screen's backlog.
    double lateSum = 0, lateWorst = 0;
    int lateCount = 0;
    QTimer probe;
    probe.setInterval(100);
    QObject::connect(&probe, &QTimer::timeout, &app, [&] {
        QElapsedTimer *posted = new QElapsedTimer;
        posted->start();
        QTimer::singleShot(0, &app, [&, posted] {
            const double ms = posted->nsecsElapsed() / 1e6;
            delete posted;
            lateSum += ms;
            lateWorst = std::max(lateWorst, ms);
            ++lateCount;
        });
    });

    {
        QMutexLocker lock(&g_logLock);
        g_skipped = 0;
    }
    const int frames0 = counter.frames;
    const int paints0 = view ? view->paints : 0;
    const double paintMs0 = view ? view->paintMs : 0;
    if (view)
        view->worstPaintMs = 0;
    const double cpu0 = cpuSeconds(RUSAGE_SELF);
    const double gui0 = cpuSeconds(RUSAGE_THREAD);
    QElapsedTimer run;
    run.start();
    probe.start();
    runFor(int(seconds * 1000));
    probe.stop();
    const double secs = run.nsecsElapsed() / 1e9;
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    const double gui = cpuSeconds(RUSAGE_THREAD) - gui0;
    const int frames = counter.frames - frames0;
    const int paints = view ? view->paints - paints0 : 0;
    const double paintMs = view ? view->paintMs - paintMs0 : 0;
    scanTick.stop();
    scanner.cancel();
    camera->stop(); // the virtual camera reports its skipped ticks at stop
    app.processEvents();

    const double fps = frames / secs;
    const QSize shown = bare ? bareViewfinder->size() : view->size();
    std::printf("case %s %s%s on %s, screen %dx%d, window %dx%d, scale %.3f\n", qPrintable(mode),
                qPrintable(resolutions),
                smooth ? " (smooth scaling)" : qEnvironmentVariableIntValue("BENCH_AUTOCUT") ? " (document detection on)"
                                             : qEnvironmentVariableIntValue("BENCH_MIRROR") ? " (mirrored)" : "",
                qPrintable(QGuiApplication::platformName()), screen.width(), screen.height(), shown.width(),
                shown.height(), view ? view->transform().m11() : 0.0);
    std::printf("  picture             %dx%d\n", size.width(), size.height());
    std::printf("  first live frame    %.3f s after process start (%.3f s after main)\n", firstStart, firstMain);
    std::printf("  frames shown        %.1f per second (%d in %.1f s; camera 30 fps)\n", fps, frames, secs);
    std::printf("  CPU per frame       %.2f ms process, %.2f ms GUI thread\n", frames ? cpu * 1000 / frames : 0.0,
                frames ? gui * 1000 / frames : 0.0);
    std::printf("  CPU load            %.0f%% of one core (GUI thread %.0f%%)\n", 100 * cpu / secs, 100 * gui / secs);
    if (view)
        std::printf("  view paint          %.2f ms average, %.2f ms worst (%d paints)\n",
                    paints ? paintMs / paints : 0.0, view->worstPaintMs, paints);
    std::printf("  backlog             posted call late by %.2f ms average, %.2f ms worst; %lld camera ticks "
                "skipped while a frame was unshown (%.1f%%)\n",
                lateCount ? lateSum / lateCount : 0.0, lateWorst, static_cast<long long>(g_skipped),
                100.0 * g_skipped / std::max(1.0, 30.0 * (secs + 1.0)));
    if (scanTicks)
        std::printf("  scan tick           %.2f ms average, %.2f ms worst on the GUI thread (%d ticks; decoding "
                    "runs on a worker)\n",
                    scanMs / scanTicks, scanWorstMs, scanTicks);
    // For the parent's side-by-side summary.
    std::printf("RESULT fps=%.2f cpu=%.4f gui=%.4f first=%.3f\n", fps, frames ? cpu * 1000 / frames : 0.0,
                frames ? gui * 1000 / frames : 0.0, firstStart);
    std::fflush(stdout);
    delete window;
    delete bareViewfinder;
    return 0;
}

struct Figures
{
    bool ok = false;
    double fps = 0, cpu = 0, gui = 0, first = 0;
};

// Runs one case in a child process, echoes its report and returns its figures.
Figures runChild(const char *program, const QString &mode, const QString &resolutions, double seconds)
{
    Figures f;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QString::fromLocal8Bit(program), {QStringLiteral("--case"), mode, resolutions, QString::number(seconds)});
    if (!child.waitForFinished(int(seconds * 1000) + 60000) || child.exitCode() != 0) {
        std::printf("%s", child.readAllStandardOutput().constData());
        std::printf("case %s %s failed\n", qPrintable(mode), qPrintable(resolutions));
        return f;
    }
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        if (!line.startsWith("RESULT ")) {
            if (!line.isEmpty())
                std::printf("%s\n", line.constData());
            continue;
        }
        for (const QByteArray &field : line.mid(7).split(' ')) {
            const QByteArray key = field.left(field.indexOf('='));
            const double value = field.mid(field.indexOf('=') + 1).toDouble();
            if (key == "fps")
                f.fps = value;
            else if (key == "cpu")
                f.cpu = value;
            else if (key == "gui")
                f.gui = value;
            else if (key == "first")
                f.first = value;
        }
        f.ok = true;
    }
    std::fflush(stdout);
    return f;
}

} // namespace

int main(int argc, char **argv)
{
    for (int i = 1; i + 3 < argc; ++i) {
        if (qstrcmp(argv[i], "--case") == 0)
            return runCase(argc, argv, QString::fromLatin1(argv[i + 1]), QString::fromLatin1(argv[i + 2]),
                           QByteArray(argv[i + 3]).toDouble());
    }
    const double seconds = argc > 1 ? QByteArray(argv[1]).toDouble() : 10.0;
    const QStringList cases{
        // What the presenter opens by default: the largest height of the device.
        QStringLiteral("3264x2448,1920x1080,1280x720,800x600,640x480"),
        QStringLiteral("1920x1080"),
        QStringLiteral("3840x2160"),
    };
    int failures = 0;
    QStringList summary;
    for (const QString &c : cases) {
        // The bare viewer first, then the presenter, on the same virtual camera.
        const Figures b = runChild(argv[0], QStringLiteral("bare"), c, seconds);
        const Figures p = runChild(argv[0], QStringLiteral("presenter"), c, seconds);
        if (!b.ok || !p.ok) {
            ++failures;
            continue;
        }
        summary << QString::asprintf("  %-10s presenter %5.2f ms/frame at %4.1f fps, bare viewer %5.2f ms/frame at "
                                     "%4.1f fps: ratio %.2f (GUI thread %.2f / %.2f ms); first frame %.2f / %.2f s",
                                     qPrintable(c.section(',', 0, 0)), p.cpu, p.fps, b.cpu, b.fps,
                                     b.cpu > 0 ? p.cpu / b.cpu : 0.0, p.gui, b.gui, p.first, b.first);
    }
    std::printf("\nCPU per shown frame, presenter beside a bare QCamera + QCameraViewfinder (same run)\n%s\n",
                qPrintable(summary.join('\n')));
    return failures ? 1 : 0;
}
