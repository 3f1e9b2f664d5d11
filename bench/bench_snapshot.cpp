// Scene snapshot from the button to the file on disk, and the one-page PDF
// capture, on the virtual camera. Prints the figures; the GUI-thread stall is
// how late a 5 ms timer fires while the work runs.
//
//   VISORA_PLUGIN_DIR  folder holding mediaservice/libvirtualcam.so
//                      (default: ../bin/plugins beside this program)

#include "RCamera.h"
#include "RDragScene.h"
#include "RImageSaver.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsView>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>

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
    double worstMs() const { return worst / 1e6; }
};

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return done();
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

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QString pluginDir = QString::fromLocal8Bit(qgetenv("VISORA_PLUGIN_DIR"));
    if (pluginDir.isEmpty())
        pluginDir = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../bin/plugins");
    QCoreApplication::addLibraryPath(pluginDir);
    qputenv("QT_LOGGING_RULES", "*.debug=false");

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
    scene.setSaveDir(dir.path());
    StallWatch stall;

    auto snapshots = [&](const QString &ext, int rounds) {
        QList<double> total;
        double worstStall = 0;
        double worstCall = 0;
        for (int i = 0; i < rounds; ++i) {
            waitFor([] { return false; }, 150); // fresh frames between rounds
            int finished = 0;
            const auto c = QObject::connect(&scene, &RDragScene::sSnapFinish, [&] { ++finished; });
            stall.start();
            QElapsedTimer t;
            t.start();
            scene.slotSnap(0, ext);
            worstCall = std::max(worstCall, t.nsecsElapsed() / 1e6);
            waitFor([&] { return finished > 0; }, 20000);
            QObject::disconnect(c);
            total << t.nsecsElapsed() / 1e6;
            stall.timer.stop();
            worstStall = std::max(worstStall, stall.worstMs());
        }
        std::sort(total.begin(), total.end());
        std::printf("  %-4s button to file: median %7.1f ms, max %7.1f ms; GUI part of the call max %6.1f ms; "
                    "longest GUI stall %6.1f ms\n",
                    qPrintable(ext), total[total.size() / 2], total.last(), worstCall, worstStall);
    };

    std::printf("bench_snapshot: scene snapshot at %dx%d\n", big.width(), big.height());
    snapshots("jpg", 7);
    snapshots("png", 5);

    const QSize hd = scene.setCameraResolution(scene.resolutionList().indexOf(QSize(1920, 1080)));
    std::printf("bench_snapshot: scene snapshot at %dx%d\n", hd.width(), hd.height());
    snapshots("jpg", 9);
    snapshots("png", 5);

    // PDF capture at the largest resolution.
    scene.setCameraResolution(scene.resolutionList().indexOf(QSize(3264, 2448)));
    for (int colour : {0, 2}) {
        scene.setCameraParam(0, colour, 1, "B", 4, false, false, false);
        QList<double> times;
        double worstStall = 0;
        for (int i = 0; i < 3; ++i) {
            waitFor([] { return false; }, 200);
            const int before = QDir(dir.path()).entryList({"*.pdf"}).size();
            stall.start();
            QElapsedTimer t;
            t.start();
            scene.slotPDF(0);
            waitFor([&] { return QDir(dir.path()).entryList({"*.pdf"}).size() > before; }, 30000);
            RImageSaver::instance()->waitForIdle(30000);
            times << t.nsecsElapsed() / 1e6;
            stall.timer.stop();
            worstStall = std::max(worstStall, stall.worstMs());
        }
        std::sort(times.begin(), times.end());
        std::printf("bench_snapshot: PDF capture 3264x2448 %s: median %7.1f ms, longest GUI stall %6.1f ms\n",
                    colour == 0 ? "colour" : "black-and-white", times[times.size() / 2], worstStall);
    }
    return 0;
}
