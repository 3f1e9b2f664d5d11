#pragma once
// Helpers shared by the camera tests: virtual camera configuration files
// and picture measurements.

#include "VirtualCamTestSupport.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaType>
#include <QPointF>
#include <QStringList>

namespace CameraTest {

struct Cam
{
    QString description;
    QString deviceName;
    QStringList resolutions = {QStringLiteral("640x480")};
    QStringList pixelFormats = {QStringLiteral("jpeg"), QStringLiteral("yuyv")};
    QString source = QStringLiteral("pattern");
    QList<QPointF> pageCorners; // of the generated page, fractions of the frame
    bool present = true;
    bool busy = false;
};

// A camera of the supported kind (known ids) unless another device name is given.
inline Cam cam(const QString &description, const QString &deviceName = QStringLiteral("usb#vid_1b17&pid_0501&mi_00"),
               bool present = true)
{
    Cam c;
    c.description = description;
    c.deviceName = deviceName;
    c.present = present;
    return c;
}

// Written atomically: the device watch may read the file at any moment.
inline void writeConfig(const QList<Cam> &cams)
{
    QJsonArray list;
    for (const Cam &c : cams) {
        QJsonObject o;
        o.insert(QStringLiteral("description"), c.description);
        o.insert(QStringLiteral("deviceName"), c.deviceName);
        o.insert(QStringLiteral("resolutions"), QJsonArray::fromStringList(c.resolutions));
        o.insert(QStringLiteral("pixelFormats"), QJsonArray::fromStringList(c.pixelFormats));
        o.insert(QStringLiteral("source"), c.source);
        if (!c.pageCorners.isEmpty()) {
            QJsonArray corners;
            for (const QPointF &p : c.pageCorners)
                corners.append(QJsonArray{p.x(), p.y()});
            o.insert(QStringLiteral("pageCorners"), corners);
        }
        o.insert(QStringLiteral("fps"), 30);
        o.insert(QStringLiteral("present"), c.present);
        o.insert(QStringLiteral("busy"), c.busy);
        list.append(o);
    }
    QJsonObject root;
    root.insert(QStringLiteral("cameras"), list);
    VirtualCamTest::writeConfig(QJsonDocument(root).toJson(), QStringLiteral("virtualcam.json"));
}

// One camera of the supported kind showing `source`, as window and scene tests want it.
inline void writeOne(const QString &description, const QStringList &resolutions,
                     const QString &source = QStringLiteral("pattern"), bool present = true, bool busy = false)
{
    Cam c = cam(description, QStringLiteral("usb#vid_1b17&pid_0501&mi_00#6&1&0&0000"), present);
    c.resolutions = resolutions;
    c.source = source;
    c.busy = busy;
    writeConfig({c});
}

// A page picture in the working folder, for a steady picture.
inline QString writePage(const QString &name, const QImage &image)
{
    const QString path = QDir::current().absoluteFilePath(name);
    image.save(path);
    return path;
}

inline QImage uniformPage(int grey, const QSize &size = QSize(640, 480))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(QColor(grey, grey, grey));
    return img;
}

inline double meanGrey(const QImage &image)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    if (img.isNull())
        return -1;
    double sum = 0;
    qint64 n = 0;
    for (int y = 0; y < img.height(); y += 4) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < img.width(); x += 4) {
            sum += qGray(line[x]);
            ++n;
        }
    }
    return n ? sum / n : -1;
}

} // namespace CameraTest

Q_DECLARE_METATYPE(QList<CameraTest::Cam>)
