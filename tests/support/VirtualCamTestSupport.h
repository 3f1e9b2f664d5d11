#pragma once
// Shared by the virtual camera tests: writing the camera list the way a test
// rig would (atomically, so a running watcher never reads half a file) and
// telling a page on a desk from a blank frame.

#include <QCameraInfo>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSaveFile>

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

// A white page on a dark desk: a good share of both, nothing like a blank or
// black frame. Every second pixel of every second row keeps 4K frames quick.
inline bool looksLikePageOnDesk(const QImage &picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    qint64 count = 0, bright = 0, dark = 0;
    for (int y = 0; y < image.height(); y += 2) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2, ++count) {
            const double luma = 0.299 * qRed(line[x]) + 0.587 * qGreen(line[x]) + 0.114 * qBlue(line[x]);
            bright += luma > 200.0;
            dark += luma < 120.0;
        }
    }
    const double brightShare = count ? double(bright) / count : 0, darkShare = count ? double(dark) / count : 0;
    return brightShare > 0.12 && brightShare < 0.7 && darkShare > 0.2 && darkShare < 0.85;
}

} // namespace VirtualCamTest
