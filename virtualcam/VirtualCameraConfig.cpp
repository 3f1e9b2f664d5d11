#include "VirtualCameraConfig.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

#include <algorithm>

namespace {

// A camera list is a few hundred bytes; anything far bigger is not ours.
constexpr qint64 kMaxConfigBytes = 1024 * 1024;
// Largest frame we agree to render (8K UHD): a buffer pool of these still fits in memory.
constexpr qint64 kMaxFramePixels = qint64(7680) * 4320;
constexpr int kMaxFrameSide = 8192;

// "1920x1080" (spaces around the x allowed); anything else is not a size.
QSize parseResolution(const QString &text)
{
    const QStringList parts = text.toLower().split(QLatin1Char('x'));
    if (parts.size() != 2)
        return QSize();
    bool widthOk = false, heightOk = false;
    const int width = parts.at(0).trimmed().toInt(&widthOk);
    const int height = parts.at(1).trimmed().toInt(&heightOk);
    if (!widthOk || !heightOk || width < 16 || height < 16 || width > kMaxFrameSide || height > kMaxFrameSide
        || qint64(width) * height > kMaxFramePixels)
        return QSize();
    return QSize(width, height);
}

// Four [x, y] pairs within the frame (fractions) making a convex quadrilateral;
// anything else gives none.
QList<QPointF> parsePageCorners(const QJsonValue &value)
{
    const QJsonArray list = value.toArray();
    if (list.size() != 4)
        return {};
    QList<QPointF> corners;
    for (const QJsonValue &entry : list) {
        const QJsonArray pair = entry.toArray();
        if (pair.size() != 2 || !pair.at(0).isDouble() || !pair.at(1).isDouble())
            return {};
        const QPointF p(pair.at(0).toDouble(), pair.at(1).toDouble());
        if (p.x() < 0 || p.x() > 1 || p.y() < 0 || p.y() > 1)
            return {};
        corners << p;
    }
    // Every turn the same way round: a page, not a bow tie.
    int sign = 0;
    for (int i = 0; i < 4; ++i) {
        const QPointF a = corners[(i + 1) % 4] - corners[i];
        const QPointF b = corners[(i + 2) % 4] - corners[(i + 1) % 4];
        const double cross = a.x() * b.y() - a.y() * b.x();
        const int s = cross > 1e-6 ? 1 : cross < -1e-6 ? -1 : 0;
        if (s == 0 || (sign != 0 && s != sign))
            return {};
        sign = s;
    }
    return corners;
}

// The file is read many times a second; report a given problem only once,
// until the file (or the path) changes.
bool firstReport(const QByteArray &key)
{
    static QMutex mutex;
    static QByteArray lastKey;
    QMutexLocker lock(&mutex);
    if (key == lastKey)
        return false;
    lastKey = key;
    return true;
}

} // namespace

QString VirtualCameraConfig::configPath()
{
    return QString::fromLocal8Bit(qgetenv("VISORA_VIRTUAL_CAMERA"));
}

QList<QSize> VirtualCameraConfig::defaultResolutions()
{
    return {QSize(1920, 1080), QSize(1280, 720), QSize(640, 480)};
}

QList<QVideoFrame::PixelFormat> VirtualCameraConfig::defaultPixelFormats()
{
    return {QVideoFrame::Format_Jpeg, QVideoFrame::Format_YUYV};
}

QVideoFrame::PixelFormat VirtualCameraConfig::pixelFormatFromName(const QString &name)
{
    const QString key = name.trimmed().toLower();
    if (key == QLatin1String("jpeg") || key == QLatin1String("mjpeg") || key == QLatin1String("mjpg"))
        return QVideoFrame::Format_Jpeg;
    if (key == QLatin1String("yuyv") || key == QLatin1String("yuy2"))
        return QVideoFrame::Format_YUYV;
    if (key == QLatin1String("rgb32"))
        return QVideoFrame::Format_RGB32;
    if (key == QLatin1String("nv12"))
        return QVideoFrame::Format_NV12;
    return QVideoFrame::Format_Invalid;
}

QList<VirtualCameraDevice> VirtualCameraConfig::readAll()
{
    const QString path = configPath();
    if (path.isEmpty())
        return {};
    return readAll(path);
}

QList<VirtualCameraDevice> VirtualCameraConfig::readAll(const QString &path)
{
    QFile file(path);
    const QFileInfo info(path);
    const QByteArray pathKey = path.toUtf8() + '\n';
    if (!info.isFile()) {
        if (firstReport(pathKey + "missing"))
            qInfo() << "VirtualCameraConfig::readAll: no configuration file:" << path;
        return {};
    }
    if (info.size() > kMaxConfigBytes) {
        if (firstReport(pathKey + "large" + QByteArray::number(info.size())))
            qInfo() << "VirtualCameraConfig::readAll: file too large:" << path << "bytes:" << info.size();
        return {};
    }
    if (!file.open(QIODevice::ReadOnly)) {
        if (firstReport(pathKey + "unreadable"))
            qInfo() << "VirtualCameraConfig::readAll: cannot open:" << path << file.errorString();
        return {};
    }
    const QByteArray data = file.read(kMaxConfigBytes + 1);
    const bool verbose = firstReport(pathKey + data);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(data, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::readAll: malformed JSON:" << path << parseError.errorString()
                << "offset:" << parseError.offset;
        return {};
    }
    if (!document.isObject() || !document.object().value(QStringLiteral("cameras")).isArray()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::readAll: no \"cameras\" array:" << path;
        return {};
    }

    const QString baseDir = info.absolutePath();
    const QJsonArray cameras = document.object().value(QStringLiteral("cameras")).toArray();
    QList<VirtualCameraDevice> devices;
    QSet<QString> names;
    for (int i = 0; i < cameras.size(); ++i) {
        const VirtualCameraDevice device = parseCamera(cameras.at(i), baseDir, i, verbose);
        if (!device.isValid())
            continue;
        if (names.contains(device.deviceName)) {
            if (verbose)
                qInfo() << "VirtualCameraConfig::readAll: duplicate deviceName skipped:" << device.deviceName;
            continue;
        }
        names.insert(device.deviceName);
        devices.append(device);
    }
    return devices;
}

QList<VirtualCameraDevice> VirtualCameraConfig::presentDevices()
{
    QList<VirtualCameraDevice> devices = readAll();
    devices.erase(std::remove_if(devices.begin(), devices.end(),
                                 [](const VirtualCameraDevice &d) { return !d.present; }),
                  devices.end());
    return devices;
}

VirtualCameraDevice VirtualCameraConfig::findPresent(const QString &deviceName)
{
    const QList<VirtualCameraDevice> devices = presentDevices();
    for (const VirtualCameraDevice &device : devices) {
        if (device.deviceName == deviceName)
            return device;
    }
    return VirtualCameraDevice();
}

VirtualCameraDevice VirtualCameraConfig::parseCamera(const QJsonValue &value, const QString &baseDir, int index,
                                                     bool verbose)
{
    VirtualCameraDevice device;
    if (!value.isObject()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::parseCamera: entry" << index << "is not an object";
        return device;
    }
    const QJsonObject object = value.toObject();

    const QJsonValue name = object.value(QStringLiteral("deviceName"));
    // Device names travel through Qt as Latin-1 byte arrays.
    const QString deviceName = QString::fromLatin1(name.toString().trimmed().toLatin1());
    if (!name.isString() || deviceName.isEmpty()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::parseCamera: entry" << index << "has no deviceName string";
        return device;
    }
    device.deviceName = deviceName;

    const QJsonValue description = object.value(QStringLiteral("description"));
    if (description.isString() && !description.toString().isEmpty()) {
        device.description = description.toString();
    } else {
        if (!description.isUndefined() && verbose)
            qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "description is not a string";
        device.description = deviceName;
    }

    const QJsonValue resolutions = object.value(QStringLiteral("resolutions"));
    if (resolutions.isArray()) {
        for (const QJsonValue &entry : resolutions.toArray()) {
            const QSize size = parseResolution(entry.toString());
            if (!size.isValid()) {
                if (verbose)
                    qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "bad resolution:" << entry;
                continue;
            }
            if (!device.resolutions.contains(size))
                device.resolutions.append(size);
        }
    } else if (!resolutions.isUndefined()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "resolutions is not an array";
    }
    if (device.resolutions.isEmpty())
        device.resolutions = defaultResolutions();

    const QJsonValue formats = object.value(QStringLiteral("pixelFormats"));
    if (formats.isArray()) {
        for (const QJsonValue &entry : formats.toArray()) {
            const QVideoFrame::PixelFormat format = pixelFormatFromName(entry.toString());
            if (format == QVideoFrame::Format_Invalid) {
                if (verbose)
                    qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "unknown pixel format:" << entry;
                continue;
            }
            if (!device.pixelFormats.contains(format))
                device.pixelFormats.append(format);
        }
    } else if (!formats.isUndefined()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "pixelFormats is not an array";
    }
    if (device.pixelFormats.isEmpty())
        device.pixelFormats = defaultPixelFormats();

    const QJsonValue source = object.value(QStringLiteral("source"));
    if (source.isString()) {
        const QString text = source.toString().trimmed();
        if (!text.isEmpty() && text.compare(QLatin1String("pattern"), Qt::CaseInsensitive) != 0)
            device.source = QDir::cleanPath(QDir(baseDir).absoluteFilePath(text));
    } else if (!source.isUndefined()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "source is not a string, using the pattern";
    }

    const QJsonValue corners = object.value(QStringLiteral("pageCorners"));
    if (!corners.isUndefined()) {
        device.pageCorners = parsePageCorners(corners);
        if (device.pageCorners.isEmpty() && verbose)
            qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName
                    << "pageCorners must be four [x, y] pairs within 0..1, the page lies flat:" << corners;
    }

    const QJsonValue fps = object.value(QStringLiteral("fps"));
    if (fps.isDouble() && fps.toDouble() >= 1.0 && fps.toDouble() <= 120.0) {
        device.fps = fps.toDouble();
    } else if (!fps.isUndefined()) {
        if (verbose)
            qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "fps must be a number in 1..120:" << fps;
    }

    const QJsonValue present = object.value(QStringLiteral("present"));
    if (present.isBool())
        device.present = present.toBool();
    else if (!present.isUndefined() && verbose)
        qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "present is not a boolean";

    const QJsonValue syncMarks = object.value(QStringLiteral("syncMarks"));
    if (syncMarks.isBool())
        device.syncMarks = syncMarks.toBool();
    else if (!syncMarks.isUndefined() && verbose)
        qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "syncMarks is not a boolean";

    const QJsonValue busy = object.value(QStringLiteral("busy"));
    if (busy.isBool())
        device.busy = busy.toBool();
    else if (!busy.isUndefined() && verbose)
        qInfo() << "VirtualCameraConfig::parseCamera:" << deviceName << "busy is not a boolean";

    return device;
}
