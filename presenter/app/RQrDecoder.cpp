#include "RQrDecoder.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QDebug>

QString RQrDecoder::decodeImage(const QImage &input, int maxWidth, int maxHeight, bool smoothTransformation)
{
    if (input.isNull())
        return QString();
    QImage image = input;
    if ((maxWidth > 0 && image.width() > maxWidth) || (maxHeight > 0 && image.height() > maxHeight)) {
        const QSize box(maxWidth > 0 ? maxWidth : image.width(), maxHeight > 0 ? maxHeight : image.height());
        image = image.scaled(box, Qt::KeepAspectRatio,
                             smoothTransformation ? Qt::SmoothTransformation : Qt::FastTransformation);
    }
    // The library reads these layouts in place; anything else is made grey once.
    ZXing::ImageFormat format;
    switch (image.format()) {
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied:
        format = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? ZXing::ImageFormat::BGRX : ZXing::ImageFormat::XRGB;
        break;
    case QImage::Format_RGB888:
        format = ZXing::ImageFormat::RGB;
        break;
    case QImage::Format_Grayscale8:
        format = ZXing::ImageFormat::Lum;
        break;
    default:
        image = image.convertToFormat(QImage::Format_Grayscale8);
        format = ZXing::ImageFormat::Lum;
        break;
    }
    if (image.isNull())
        return QString();
    try {
        ZXing::DecodeHints hints;
        hints.setFormats(ZXing::BarcodeFormat::QRCode);
        const ZXing::ImageView view(image.constBits(), image.width(), image.height(), format,
                                    int(image.bytesPerLine()));
        const ZXing::Result result = ZXing::ReadBarcode(view, hints);
        if (!result.isValid())
            return QString();
        return QString::fromStdString(result.text());
    } catch (const std::exception &e) {
        qInfo() << "RQrDecoder::decodeImage: catch" << e.what();
    }
    return QString();
}

QRect RQrDecoder::centreHalf(const QSize &size)
{
    return QRect(size.width() / 4, size.height() / 4, size.width() / 2, size.height() / 2);
}

QUrl RQrDecoder::openableLink(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed.size() > kMaxLinkLength)
        return QUrl();
    const QUrl url(trimmed, QUrl::TolerantMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty())
        return QUrl();
    return url;
}
