#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

// QR codes from pictures, through zxing-cpp. GUI-free: safe on a worker thread.
class RQrDecoder
{
public:
    // Longest text still treated as a link.
    static constexpr int kMaxLinkLength = 2000;

    // The text of the first QR code in `image`, empty when there is none.
    // A positive maxWidth / maxHeight scales a larger picture down first.
    QString decodeImage(const QImage &image, int maxWidth = -1, int maxHeight = -1, bool smoothTransformation = false);

    // The middle half of a picture of `size`, where the scan frame sits.
    static QRect centreHalf(const QSize &size);

    // A code is untrusted: only an http or https link with a host is handed
    // to the desktop. Anything else gives an invalid URL.
    static QUrl openableLink(const QString &text);
};
