#pragma once

#include <QImage>
#include <QSize>
#include <QString>

// The one way the program reads picture files. The memory a decode needs is
// worked out from the header before anything is decoded, so a huge or hostile
// file cannot exhaust memory, and every failure comes back as a null picture
// with a reason. Safe to call from any thread.
class RPictureLoader
{
public:
    // Peak bytes one decode may take: the decoded picture plus its copies.
    static constexpr qint64 kMaxDecodeBytes = 256LL * 1024 * 1024;
    // Decodes above this run one at a time, however many threads ask.
    static constexpr qint64 kLargeDecodeBytes = 48LL * 1024 * 1024;
    // Files whose header does not tell their size are refused above this.
    static constexpr qint64 kMaxUnknownSizeBytes = 64LL * 1024 * 1024;

    // Peak bytes of decoding a `size` picture that the reader delivers in
    // `format`. With a valid `box` the result is fitted into it; a format that
    // decodes scaled (`scaledDecode`, JPEG) never holds the full picture.
    static qint64 decodeCost(const QSize &size, QImage::Format format, bool scaledDecode,
                             const QSize &box = QSize());

    // Pixel size from the header, invalid when it cannot be read.
    static QSize pictureSize(const QString &path);

    // True when the file is a picture we are willing to decode in full.
    static bool isAcceptable(const QString &path, QString *reason = nullptr);

    static QImage load(const QString &path, QString *reason = nullptr);

    // Decodes straight to a picture that fits `box` (aspect kept), which is
    // much cheaper than decoding fully and scaling afterwards.
    static QImage loadScaled(const QString &path, const QSize &box, QString *reason = nullptr);

    // Most large decodes seen running at once since the last reset.
    static int largeDecodePeak();
    static void resetLargeDecodePeak();
};
