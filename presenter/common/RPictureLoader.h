#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The one way the program reads picture files. The size is checked from the
// header before anything is decoded, so a huge or hostile file cannot exhaust
// memory, and every failure comes back as a null picture with a reason.
class RPictureLoader
{
public:
    static constexpr qint64 kMaxPixels = 100LL * 1000 * 1000;
    // Files whose header does not tell their size are refused above this.
    static constexpr qint64 kMaxUnknownSizeBytes = 64LL * 1024 * 1024;

    // Pixel size from the header, invalid when it cannot be read.
    static QSize pictureSize(const QString &path);

    // True when the file is a picture we are willing to decode.
    static bool isAcceptable(const QString &path, QString *reason = nullptr);

    static QImage load(const QString &path, QString *reason = nullptr);

    // Decodes straight to a picture that fits `box` (aspect kept), which is
    // much cheaper than decoding fully and scaling afterwards.
    static QImage loadScaled(const QString &path, const QSize &box, QString *reason = nullptr);
};
