#pragma once
// Helpers the benchmark programs share.

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QSize>
#include <QString>

#include <QByteArray>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <functional>
#include <vector>

namespace BenchSupport {

// libgomp reads OMP_THREAD_LIMIT when it loads, so the limit has to be set
// before the process starts: re-executes itself with it. False when that failed.
inline bool runWithOneOpenMpThread(char *argv[])
{
    if (qgetenv("OMP_THREAD_LIMIT") == "1")
        return true;
    setenv("OMP_THREAD_LIMIT", "1", 1);
    execv("/proc/self/exe", argv);
    std::perror("execv");
    return false;
}

// Median milliseconds of `runs` calls after two warm-up calls.
inline double medianMs(int runs, const std::function<void()> &f)
{
    f();
    f();
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Gradients with noise: as a JPEG about as large as a real photo of that size.
inline QImage photo(QSize size, int seed)
{
    QImage img(size, QImage::Format_RGB32);
    quint32 x = 2463534242u + quint32(seed) * 7919u;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int c = 0; c < img.width(); ++c) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            const int n = int(x & 31) - 16;
            const int r = (c * 255 / img.width() + seed * 3) & 255;
            const int g = (y * 255 / img.height() + seed * 7) & 255;
            const int b = ((c + y) * 255 / (img.width() + img.height())) & 255;
            line[c] = qRgb(qBound(0, r + n, 255), qBound(0, g + n, 255), qBound(0, b + n, 255));
        }
    }
    return img;
}

inline bool writePhoto(const QString &path, QSize size, int seed)
{
    return photo(size, seed).save(path + ".part", "JPG", 85) && QFile::rename(path + ".part", path);
}

} // namespace BenchSupport
