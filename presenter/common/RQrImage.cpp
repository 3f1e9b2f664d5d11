#include "RQrImage.h"

#include <QPainter>

#include <cerrno>
#include <memory>

#include <qrencode.h>

namespace {

using Code = std::unique_ptr<QRcode, decltype(&QRcode_free)>;

Code encode(const QString &text, QString *error)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty text");
        return Code(nullptr, &QRcode_free);
    }
    // Data, not a C string: the text may hold a NUL.
    errno = 0;
    Code code(QRcode_encodeData(bytes.size(), reinterpret_cast<const unsigned char *>(bytes.constData()), 0,
                                QR_ECLEVEL_M),
              &QRcode_free);
    if (!code && error)
        *error = errno == ERANGE ? QStringLiteral("text too long for a QR code (%1 bytes)").arg(bytes.size())
                                 : QStringLiteral("QR encoding failed (errno %1)").arg(errno);
    return code;
}

} // namespace

int RQrImage::modules(const QString &text, QString *error)
{
    const Code code = encode(text, error);
    return code ? code->width : 0;
}

QImage RQrImage::make(const QString &text, int modulePixels, QString *error)
{
    if (modulePixels < 1) {
        if (error)
            *error = QStringLiteral("module size below one pixel");
        return QImage();
    }
    const Code code = encode(text, error);
    if (!code)
        return QImage();
    const int width = code->width;
    const int side = (width + 2 * kQuietModules) * modulePixels;
    QImage image(side, side, QImage::Format_Grayscale8);
    if (image.isNull()) {
        if (error)
            *error = QStringLiteral("no memory for a %1 px code").arg(side);
        return QImage();
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x)
            if (code->data[y * width + x] & 1) // bit 0: dark module
                painter.fillRect((x + kQuietModules) * modulePixels, (y + kQuietModules) * modulePixels,
                                 modulePixels, modulePixels, Qt::black);
    return image;
}

QImage RQrImage::fit(const QString &text, int side, QString *error)
{
    const int width = modules(text, error);
    if (width == 0)
        return QImage();
    const int modulePixels = side / (width + 2 * kQuietModules);
    if (modulePixels < 1) {
        if (error)
            *error = QStringLiteral("%1 px too small for a code of %2 modules").arg(side).arg(width);
        return QImage();
    }
    return make(text, modulePixels, error);
}
