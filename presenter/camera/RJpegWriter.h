#pragma once

#include <QImage>
#include <QString>

class QIODevice;

// JPEG at Qt's default settings, encoded straight from 32-bit pixels: the
// library reads them as they lie in memory instead of a per-pixel copy into
// 24-bit rows first. The bytes are the ones QImage::save writes.
class RJpegWriter
{
public:
    // Pictures this writer takes: 32-bit opaque pixels, no text or colour
    // profile to carry. Anything else goes through QImageWriter.
    static bool canWrite(const QImage &image);
    // Writes `image` to `device` at quality 75. On failure `error` gets the
    // device's reason when it has one, else the library's message.
    static bool write(const QImage &image, QIODevice *device, QString *error = nullptr);
};
