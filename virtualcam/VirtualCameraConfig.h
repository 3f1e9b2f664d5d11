#pragma once
// Reads the camera list from the JSON file named by VISORA_VIRTUAL_CAMERA.
// Every call reads the file again, so a running program sees a camera being
// unplugged, plugged back or taken by another program. Safe to call from any
// thread: nothing is cached.

#include "VirtualCameraDevice.h"

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>

class VirtualCameraConfig
{
public:
    // Path from the environment; empty when the variable is unset.
    static QString configPath();

    // Every well-formed entry in file order, plugged in or not.
    static QList<VirtualCameraDevice> readAll();
    static QList<VirtualCameraDevice> readAll(const QString &path);

    // Only the entries with present = true.
    static QList<VirtualCameraDevice> presentDevices();

    // The present entry with that device name; invalid when there is none.
    static VirtualCameraDevice findPresent(const QString &deviceName);

    // Exposed for the defaults of a camera entry without the field.
    static QList<QSize> defaultResolutions();
    static QList<QVideoFrame::PixelFormat> defaultPixelFormats();

    static QVideoFrame::PixelFormat pixelFormatFromName(const QString &name);

private:
    static VirtualCameraDevice parseCamera(const QJsonValue &value, const QString &baseDir, int index,
                                           bool verbose);
};
