// Thumbnail strip on a folder of 500 camera photos (4000 x 3000 JPEG):
// time to the first screenful of thumbnails, time to all thumbnails, the
// longest stall of the GUI thread while loading, and peak memory.
//
//   bench_strip [folder]     (default: <temp>/visora-bench-strip-500)
// The photos are generated once by a child run and reused.
//
// Then the bad-picture corpus (a 16-bit 10000 x 10000 PNG bomb and a 108 MP
// JPEG, written at run time): the strip's peak memory on it beside a bare
// QImageReader decode of each file, each measured in a fresh child process.
//   bench_strip --only-bad-corpus     runs only this part.
//
// Then a folder of many pictures (default 10 000; small photos, since every
// thumbnail has the same size whatever the photo's): the strip's peak memory
// once every thumbnail was made, beside a bare QListWidget holding a
// QImageReader thumbnail icon for each file, each in a fresh child process.
//   bench_strip --only-many [count]   runs only this part.

#include "RImageList.h"
#include "RListWidget.h"
#include "BadPictures.h"

#include "BenchSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QImageReader>
#include <QListWidget>
#include <QProcess>
#include <QTimer>
#include <QtConcurrent>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kPhotos = 500;
constexpr QSize kPhotoSize(4000, 3000);
constexpr int kFirstScreen = 10;

QString photoName(int i)
{
    return QString("photo_%1.jpg").arg(i, 3, 10, QChar('0'));
}


int generate(const QString &dir)
{
    QDir().mkpath(dir);
    QList<int> missing;
    for (int i = 0; i < kPhotos; ++i)
        if (!QFileInfo::exists(dir + "/" + photoName(i)))
            missing << i;
    std::printf("generating %d photos in %s\n", int(missing.size()), qPrintable(dir));
    std::fflush(stdout);
    QtConcurrent::blockingMap(missing, [&dir](int i) { BenchSupport::writePhoto(dir + "/" + photoName(i), kPhotoSize, i); });
    return 0;
}

QString loadAverage()
{
    QFile f("/proc/loadavg");
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).section(' ', 0, 2) : QString("?");
}

double maxRssMiB()
{
    rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

struct CorpusFile {
    const char *name;
    const char *what;
};
const CorpusFile kCorpus[] = {
    {"bomb16.png", "16-bit PNG 10000x10000"},
    {"photo108.jpg", "JPEG 12000x9000 (108 MP)"},
};

int writeCorpus(const QString &dir)
{
    QDir().mkpath(dir);
    const QString bomb = dir + "/" + kCorpus[0].name;
    const QString photo = dir + "/" + kCorpus[1].name;
    if (!QFileInfo::exists(bomb) && !BadPictures::writeFlatPng(bomb, QSize(10000, 10000), 16))
        return 1;
    if (!QFileInfo::exists(photo) && !BadPictures::writeFlatJpeg(photo, QSize(12000, 9000)))
        return 1;
    return 0;
}

// The shown strip lists `dir` until every thumbnail is done or `limitMs`
// passed; the milliseconds that took.
qint64 listUntilDone(RImageList &strip, const QString &dir, qint64 limitMs)
{
    strip.show();
    QElapsedTimer clock;
    clock.start();
    strip.changeDir(dir);
    while (strip.pendingThumbnailCount() > 0 && clock.elapsed() < limitMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return clock.elapsed();
}

// Child: the strip lists the corpus folder until every thumbnail is done.
int corpusStrip(const QString &dir)
{
    RImageList strip(QSize(1920, 1080));
    const qint64 ms = listUntilDone(strip, dir, 300000);
    std::printf("%.1f %lld\n", maxRssMiB(), ms);
    return strip.pendingThumbnailCount() == 0 ? 0 : 1;
}

// Child: what the bare library does with one file, in full or to a thumbnail.
int corpusBare(const QString &path, bool scaled)
{
    QElapsedTimer clock;
    clock.start();
    QImageReader reader(path);
    if (scaled)
        reader.setScaledSize(reader.size().scaled(QSize(180, 135), Qt::KeepAspectRatio));
    const QImage image = reader.read();
    std::printf("%.1f %lld %dx%d\n", maxRssMiB(), clock.elapsed(), image.width(), image.height());
    return 0;
}

// Runs this program as a child with `args`; its one output line, or "failed".
QString child(const QStringList &args)
{
    QProcess p;
    p.start(QCoreApplication::applicationFilePath(), args);
    p.waitForFinished(600000);
    const QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    return p.exitStatus() == QProcess::NormalExit && !out.isEmpty() ? out : QString("failed (exit %1)").arg(p.exitCode());
}

void benchCorpus()
{
    const QString dir = QDir::tempPath() + "/visora-bench-corpus";
    if (writeCorpus(dir) != 0) {
        std::printf("corpus: cannot write %s\n", qPrintable(dir));
        return;
    }
    std::printf("\nbad-picture corpus in %s:\n", qPrintable(dir));
    for (const CorpusFile &f : kCorpus)
        std::printf("  %-14s %-26s %.0f KiB on disk\n", f.name, f.what, QFileInfo(dir + "/" + f.name).size() / 1024.0);
    const QString idle = child({"--corpus-idle"});
    std::printf("peak memory (ru_maxrss MiB, ms), each in a fresh process; idle process: %s MiB\n", qPrintable(idle));
    std::printf("  strip listing the corpus (both thumbnails):   %s\n", qPrintable(child({"--corpus-strip", dir})));
    for (const CorpusFile &f : kCorpus) {
        const QString path = dir + "/" + f.name;
        std::printf("  bare QImageReader, %-13s full read:       %s\n", f.name, qPrintable(child({"--corpus-bare", path})));
        std::printf("  bare QImageReader, %-13s read to 180x135: %s\n", f.name,
                    qPrintable(child({"--corpus-bare-scaled", path})));
    }
}

constexpr QSize kManySize(320, 240);

// Child: the strip on the folder until every thumbnail is done.
int manyStrip(const QString &dir)
{
    RImageList strip(QSize(1920, 1080));
    // Reported before the parent's ten-minute limit on a loaded machine.
    const qint64 ms = listUntilDone(strip, dir, 540000);
    const int count = strip.listWidget()->count();
    std::printf("%.1f MiB peak, %d of %d thumbnails made, %.1f MiB of them kept, %lld ms\n", maxRssMiB(),
                count - strip.pendingThumbnailCount(), count, strip.thumbnailBytes() / 1048576.0, ms);
    return strip.pendingThumbnailCount() == 0 ? 0 : 1;
}

// Child: a bare list widget with every file's thumbnail as its icon.
int manyBare(const QString &dir)
{
    QListWidget list;
    list.setViewMode(QListView::IconMode);
    list.setIconSize(QSize(180, 180));
    list.show();
    QElapsedTimer clock;
    clock.start();
    for (const QString &name : QDir(dir).entryList({"*.jpg"}, QDir::Files, QDir::Name)) {
        QImageReader reader(dir + "/" + name);
        reader.setScaledSize(reader.size().scaled(QSize(180, 135), Qt::KeepAspectRatio));
        list.addItem(new QListWidgetItem(QIcon(QPixmap::fromImage(reader.read())), name));
    }
    QCoreApplication::processEvents();
    std::printf("%.1f MiB peak, %lld ms\n", maxRssMiB(), clock.elapsed());
    return 0;
}

void benchMany(int count)
{
    const QString dir = QDir::tempPath() + QString("/visora-bench-strip-many-%1").arg(count);
    QDir().mkpath(dir);
    QList<int> missing;
    for (int i = 0; i < count; ++i)
        if (!QFileInfo::exists(dir + QString("/p%1.jpg").arg(i, 5, 10, QChar('0'))))
            missing << i;
    QtConcurrent::blockingMap(missing, [&dir](int i) {
        BenchSupport::writePhoto(dir + QString("/p%1.jpg").arg(i, 5, 10, QChar('0')), kManySize, i);
    });
    std::printf("\nfolder of %d photos %dx%d in %s; load average %s\n", count, kManySize.width(),
                kManySize.height(), qPrintable(dir), qPrintable(loadAverage()));
    std::printf("  idle process:                          %s MiB\n", qPrintable(child({"--corpus-idle"})));
    std::printf("  strip, every thumbnail made:           %s\n", qPrintable(child({"--corpus-many-strip", dir})));
    std::printf("  bare QListWidget, an icon per file:    %s\n", qPrintable(child({"--corpus-many-bare", dir})));
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && QByteArray(argv[1]).startsWith("--corpus-")) {
        qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false");
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        const QByteArray mode(argv[1]);
        const QString arg = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
        if (mode == "--corpus-idle") {
            std::printf("%.1f\n", maxRssMiB());
            return 0;
        }
        if (mode == "--corpus-strip")
            return corpusStrip(arg);
        if (mode == "--corpus-many-strip")
            return manyStrip(arg);
        if (mode == "--corpus-many-bare")
            return manyBare(arg);
        return corpusBare(arg, mode == "--corpus-bare-scaled");
    }
    if (argc == 2 && QByteArray(argv[1]) == "--only-bad-corpus") {
        QCoreApplication app(argc, argv);
        benchCorpus();
        return 0;
    }
    if (argc >= 2 && QByteArray(argv[1]) == "--only-many") {
        QCoreApplication app(argc, argv);
        benchMany(argc > 2 ? QByteArray(argv[2]).toInt() : 10000);
        return 0;
    }
    if (argc == 3 && QByteArray(argv[1]) == "--generate") {
        QCoreApplication app(argc, argv);
        return generate(QString::fromLocal8Bit(argv[2]));
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "*.debug=false;*.info=false");

    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/visora-bench-strip-500";
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {"--generate", dir}) != 0)
        return 1;
    qint64 bytes = 0;
    for (const QFileInfo &fi : QDir(dir).entryInfoList({"*.jpg"}, QDir::Files))
        bytes += fi.size();
    std::printf("folder: %s, %d photos %dx%d, %.0f MiB\n", qPrintable(dir), kPhotos, kPhotoSize.width(),
                kPhotoSize.height(), bytes / 1048576.0);

    const double rssBefore = maxRssMiB();
    RImageList strip(QSize(1920, 1080));
    strip.show();
    QApplication::processEvents();

    QElapsedTimer clock;
    qint64 listed = -1, firstScreen = -1, all = -1, changeDirCall = -1;
    qint64 lastTick = -1, worstStall = 0, worstAt = 0, loadStart = 0, idleWorst = 0;
    int ticks = 0, over20 = 0, over50 = 0;

    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 abs = clock.elapsed();
        const qint64 now = abs - loadStart;
        // The first tick after the load began spans the changeDir call.
        const qint64 late = abs - lastTick - tick.interval();
        if (listed >= 0 && lastTick >= 0 && all < 0) {
            if (late > worstStall) {
                worstStall = late;
                worstAt = now;
            }
            over20 += late > 20;
            over50 += late > 50;
            ++ticks;
        } else if (listed < 0 && lastTick >= 0) {
            idleWorst = qMax(idleWorst, late); // the machine's own noise
        }
        lastTick = abs;
        if (listed < 0)
            return;
        RListWidget *list = strip.listWidget();
        if (firstScreen < 0) {
            bool ready = list->count() >= kFirstScreen;
            for (int r = 0; ready && r < kFirstScreen; ++r)
                ready = !list->item(r)->icon().isNull();
            if (ready)
                firstScreen = now;
        }
        if (all < 0 && strip.pendingThumbnailCount() == 0) {
            all = now;
            QTimer::singleShot(100, &app, &QCoreApplication::quit);
        }
    });

    QTimer::singleShot(2000, [&] {
        loadStart = clock.elapsed();
        strip.changeDir(dir);
        listed = clock.elapsed() - loadStart;
        changeDirCall = listed;
    });
    clock.start();
    tick.start();
    QTimer::singleShot(600000, &app, &QCoreApplication::quit);
    app.exec();

    // The GUI thread's part of the one-second file watch (the lookups
    // themselves run on a worker).
    QElapsedTimer watch;
    watch.start();
    strip.detectFileStatus();
    const double watchMs = watch.nsecsElapsed() / 1e6;

    int withIcon = 0;
    for (int r = 0; r < strip.listWidget()->count(); ++r)
        withIcon += !strip.listWidget()->item(r)->icon().isNull();

    std::printf("items listed: %d (changeDir call %lld ms)\n", strip.listWidget()->count(), changeDirCall);
    std::printf("first %d thumbnails: %lld ms\n", kFirstScreen, firstScreen);
    std::printf("all %d thumbnails: %lld ms (%d with icons)\n", kPhotos, all, withIcon);
    std::printf("longest GUI stall while loading (5 ms timer lateness): %lld ms at %lld ms; %d ticks, %d late > 20 ms, %d > 50 ms\n",
                worstStall, worstAt, ticks, over20, over50);
    std::printf("longest lateness in 2 s idle before loading: %lld ms; load average %s\n", idleWorst,
                qPrintable(loadAverage()));
    std::printf("file watch, GUI-thread part over %d items: %.2f ms\n", strip.listWidget()->count(), watchMs);
    std::printf("peak memory (ru_maxrss): %.1f MiB before the strip, %.1f MiB after\n", rssBefore, maxRssMiB());
    std::printf("threads: %d\n", QThread::idealThreadCount());
    benchCorpus();
    benchMany(10000);
    return all >= 0 ? 0 : 1;
}
