#pragma once
// Shared by the virtual camera tests: writing the camera list the way a test
// rig would (atomically, so a running watcher never reads half a file) and
// measuring what a picture looks like.

#include <QCameraInfo>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>
#include <QtMath>

namespace VirtualCamTest {

constexpr char kDocCam[] = "usb#vid_1b17&pid_0501&mi_00#6&2c8a1f&0&0000";

inline QString writeConfig(const QByteArray &content, const QString &name = QStringLiteral("cameras.json"))
{
    const QString path = QDir::current().absoluteFilePath(name);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(content);
    if (!file.commit())
        return QString();
    qputenv("VISORA_VIRTUAL_CAMERA", QFile::encodeName(path));
    return path;
}

inline QByteArray oneCamera(const QByteArray &name, const QByteArray &extra = QByteArray())
{
    return "{\"cameras\": [{\"description\": \"Desk camera\", \"deviceName\": \"" + name + "\"" + extra + "}]}";
}

// Cameras of other backends (the system's own /dev/video devices) are not ours.
inline QList<QCameraInfo> virtualCameras()
{
    QList<QCameraInfo> cameras;
    const QList<QCameraInfo> all = QCameraInfo::availableCameras();
    for (const QCameraInfo &info : all) {
        if (!info.deviceName().startsWith(QLatin1String("/dev/")))
            cameras.append(info);
    }
    return cameras;
}

struct PictureStats
{
    double meanLuma = 0.0;
    double lumaDeviation = 0.0;
    double meanChroma = 0.0;
    double brightShare = 0.0; // paper-white pixels
    double darkShare = 0.0;   // desk-dark pixels
};

inline PictureStats pictureStats(const QImage &picture)
{
    PictureStats stats;
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return stats;
    // Every second pixel of every second row is plenty and keeps 4K frames quick.
    double sum = 0.0, sumSquares = 0.0, chroma = 0.0;
    qint64 count = 0, bright = 0, dark = 0;
    for (int y = 0; y < image.height(); y += 2) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2) {
            const int r = qRed(line[x]), g = qGreen(line[x]), b = qBlue(line[x]);
            const double luma = 0.299 * r + 0.587 * g + 0.114 * b;
            sum += luma;
            sumSquares += luma * luma;
            chroma += qMax(r, qMax(g, b)) - qMin(r, qMin(g, b));
            bright += luma > 200.0;
            dark += luma < 120.0;
            ++count;
        }
    }
    stats.meanLuma = sum / count;
    stats.lumaDeviation = qSqrt(qMax(0.0, sumSquares / count - stats.meanLuma * stats.meanLuma));
    stats.meanChroma = chroma / count;
    stats.brightShare = double(bright) / count;
    stats.darkShare = double(dark) / count;
    return stats;
}

// A white page on a dark desk: a good share of both, nothing like a blank or black frame.
inline bool looksLikePageOnDesk(const QImage &picture)
{
    const PictureStats stats = pictureStats(picture);
    return stats.brightShare > 0.12 && stats.brightShare < 0.7 && stats.darkShare > 0.2 && stats.darkShare < 0.85;
}

} // namespace VirtualCamTest
