#pragma once
// QR code pictures for tests and benches, made by libqrencode so the decoder
// under test never checks its own output.

#include <QImage>
#include <QPainter>
#include <QString>

#include <qrencode.h>

namespace QrTest {

// The code of `text`, `module` pixels per module, with a 4-module quiet zone.
inline QImage code(const QString &text, int module = 8)
{
    QRcode *qr = QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!qr)
        return QImage();
    const int quiet = 4, side = qr->width + 2 * quiet;
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(Qt::white);
    for (int y = 0; y < qr->width; ++y)
        for (int x = 0; x < qr->width; ++x)
            if (qr->data[y * qr->width + x] & 1)
                image.setPixel(x + quiet, y + quiet, qRgb(0, 0, 0));
    QRcode_free(qr);
    return image.scaled(side * module, side * module);
}

// A grey page of `size` with the code of `text` centred on `centre`.
inline QImage page(const QSize &size, const QString &text, QPoint centre, int module = 8)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(QColor(150, 150, 150));
    const QImage c = code(text, module);
    QPainter painter(&out);
    painter.drawImage(centre - QPoint(c.width() / 2, c.height() / 2), c);
    return out;
}

} // namespace QrTest
