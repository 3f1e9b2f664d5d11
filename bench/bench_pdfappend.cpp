// Appending pages to a lesson's PDF: bytes written and time for one page at
// pages 10, 100 and 200, beside a bare append of the same page's bytes to a
// file (write + fsync, the floor) and beside a copy of the whole document
// into a new version (what a copy-and-rename update costs at that length).

#include "BenchSupport.h"
#include "RPdfPage.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

namespace {

// Bytes this process has handed to write() so far.
qint64 writtenBytes()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : io.readAll().split('\n'))
        if (line.startsWith("wchar:"))
            return line.mid(6).trimmed().toLongLong();
    return -1;
}

struct Cost {
    qint64 bytes = 0;
    double ms = 0;
};

template <typename F> Cost measure(F &&f)
{
    const qint64 before = writtenBytes();
    QElapsedTimer t;
    t.start();
    f();
    return Cost{writtenBytes() - before, t.nsecsElapsed() / 1e6};
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("lesson.pdf"));
    // A few distinct pages used in turn: generating 200 would measure the generator.
    QVector<QImage> pictures;
    for (int i = 0; i < 4; ++i)
        pictures << BenchSupport::photo(QSize(3264, 2448), i);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        pictures[0].save(&buffer, "JPG", 92);
    }
    std::printf("page: 3264 x 2448 camera frame, about %.2f MB as JPEG\n", jpeg.size() / 1e6);
    std::printf("%6s %14s %10s | %14s %10s | %16s %10s\n", "page", "append MB", "ms", "bare write MB", "ms",
                "copy+new MB", "ms");
    QFile bare(dir.filePath(QStringLiteral("bare.bin")));
    bare.open(QIODevice::WriteOnly);
    for (int page = 1; page <= 200; ++page) {
        const QImage &picture = pictures.at(page % pictures.size());
        const Cost ours = measure([&] {
            if (!RPdfPage::append(picture, pdf))
                std::printf("append failed at page %d\n", page);
        });
        if (page != 10 && page != 100 && page != 200)
            continue;
        const Cost floor = measure([&] {
            bare.write(jpeg);
            bare.flush();
            ::fsync(bare.handle());
        });
        // The whole document copied into a new version, as a copy-and-rename update would.
        const Cost copy = measure([&] {
            const QString next = dir.filePath(QStringLiteral("copy.pdf"));
            QFile in(pdf), out(next);
            in.open(QIODevice::ReadOnly);
            out.open(QIODevice::WriteOnly | QIODevice::Truncate);
            QByteArray chunk;
            while (!(chunk = in.read(1 << 20)).isEmpty())
                out.write(chunk);
            out.write(jpeg);
            out.flush();
            ::fsync(out.handle());
        });
        std::printf("%6d %14.2f %10.1f | %14.2f %10.1f | %16.2f %10.1f\n", page, ours.bytes / 1e6, ours.ms,
                    floor.bytes / 1e6, floor.ms, copy.bytes / 1e6, copy.ms);
        std::fflush(stdout);
    }
    std::printf("document: %.1f MB, %d pages\n", QFileInfo(pdf).size() / 1e6, 200);
    return 0;
}
