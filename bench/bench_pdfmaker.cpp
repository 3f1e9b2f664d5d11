// PDF maker on camera photos (4000 x 3000 JPEG): wall time, CPU per picture,
// peak memory and file size, beside a bare QPdfWriter loop over the same
// pictures. Each run is a child process of its own, so peak memory is that
// run's alone; 10 and 50 pictures show whether memory grows with the count.
//
//   bench_pdfmaker [folder]     (default: <temp>/visora-bench-pdfmaker-50)

#include "BenchSupport.h"
#include "RPdfMaker.h"

#include <QGuiApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QtConcurrent>

#include <sys/resource.h>

#include <cstdio>

namespace {

constexpr int kPhotos = 50;
constexpr QSize kPhotoSize(4000, 3000);

QString photoPath(const QString &dir, int i)
{
    return dir + QString("/photo_%1.jpg").arg(i, 2, 10, QChar('0'));
}

// Gradients with noise, so the JPEGs are about as large as real photos.

void generate(const QString &dir)
{
    QDir().mkpath(dir);
    QList<int> missing;
    for (int i = 0; i < kPhotos; ++i)
        if (!QFileInfo::exists(photoPath(dir, i)))
            missing << i;
    if (missing.isEmpty())
        return;
    std::printf("generating %d photos in %s ...\n", int(missing.size()), qPrintable(dir));
    std::fflush(stdout);
    QtConcurrent::blockingMap(missing, [&](int i) { BenchSupport::writePhoto(photoPath(dir, i), kPhotoSize, i); });
}

double cpuSeconds()
{
    rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

double maxRssMiB()
{
    rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

// What the PDF maker would be without its own writer: decode every picture
// and paint it onto a 300 dpi landscape A4 page, scaled down to fit.
bool bareQPdfWriter(const QStringList &pictures, const QString &out)
{
    QPdfWriter writer(out);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(300);
    QPainter painter(&writer);
    const QSize page = RPdfMaker::pageDots();
    for (int i = 0; i < pictures.size(); ++i) {
        const QImage image(pictures.at(i));
        painter.drawImage(QRectF(QPointF(0, 0), RPdfMaker::drawSizeDots(image.size(), page)), image);
        if (i + 1 < pictures.size())
            writer.newPage();
    }
    return painter.end();
}

int child(const QString &mode, int count, const QString &dir, const QString &out)
{
    QStringList pictures;
    for (int i = 0; i < count; ++i)
        pictures << photoPath(dir, i);
    QElapsedTimer timer;
    timer.start();
    const double cpu0 = cpuSeconds();
    const bool ok = mode == "ours" ? RPdfMaker::make(pictures, out).written() : bareQPdfWriter(pictures, out);
    std::printf("%d %.3f %.3f %.1f\n", ok ? 1 : 0, timer.elapsed() / 1000.0, cpuSeconds() - cpu0, maxRssMiB());
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    // No window is shown; the children inherit this.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 6 && args.at(1) == "--run")
        return child(args.at(2), args.at(3).toInt(), args.at(4), args.at(5));

    const QString dir = args.size() > 1 ? args.at(1) : QDir::tempPath() + "/visora-bench-pdfmaker-50";
    generate(dir);
    qint64 jpegBytes[kPhotos + 1] = {};
    for (int i = 0; i < kPhotos; ++i)
        jpegBytes[i + 1] = jpegBytes[i] + QFileInfo(photoPath(dir, i)).size();

    std::printf("PDF of %d x %d JPEG photos (quality 85), one child process per run\n", kPhotoSize.width(),
                kPhotoSize.height());
    std::printf("%-14s %6s %9s %12s %10s %11s %11s %7s\n", "writer", "count", "wall s", "CPU s/pic", "peak MiB",
                "JPEGs MiB", "PDF MiB", "ratio");
    for (const QString &mode : {QString("ours"), QString("QPdfWriter")}) {
        for (int count : {10, kPhotos}) {
            const QString out = QDir::tempPath() + QString("/visora-bench-%1-%2.pdf").arg(mode).arg(count);
            QProcess p;
            p.start(QCoreApplication::applicationFilePath(),
                    {"--run", mode, QString::number(count), dir, out});
            p.waitForFinished(-1);
            const QStringList f = QString::fromLatin1(p.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
            if (f.size() != 4 || f.at(0) != "1") {
                std::printf("%-14s %6d failed\n", qPrintable(mode), count);
                continue;
            }
            const double pdf = QFileInfo(out).size() / 1048576.0;
            const double jpg = jpegBytes[count] / 1048576.0;
            std::printf("%-14s %6d %9.2f %12.3f %10.1f %11.1f %11.1f %7.2f\n", qPrintable(mode), count,
                        f.at(1).toDouble(), f.at(2).toDouble() / count, f.at(3).toDouble(), jpg, pdf, pdf / jpg);
            QFile::remove(out);
        }
    }
    std::printf("targets: under 1 s CPU per picture, peak memory the same for 10 and 50, PDF within 1.5 x the JPEGs\n");
    return 0;
}
