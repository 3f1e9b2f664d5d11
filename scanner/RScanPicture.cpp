#include "RScanPicture.h"
#include "RPictureLoader.h"

#include <QPainter>
#include <QtMath>

QImage RScanPicture::loadGrey(const QString &path, QString *reason)
{
    QImage image = RPictureLoader::load(path, reason);
    if (image.isNull())
        return image;
    // Transparent areas would turn black in a plain grey conversion and hide dark text.
    if (image.hasAlphaChannel()) {
        QImage flat(image.size(), QImage::Format_RGB32);
        flat.setDotsPerMeterX(image.dotsPerMeterX());
        flat.setDotsPerMeterY(image.dotsPerMeterY());
        flat.fill(Qt::white);
        QPainter painter(&flat);
        painter.drawImage(0, 0, image);
        painter.end();
        image = flat;
    }
    return image.convertToFormat(QImage::Format_Grayscale8);
}

int RScanPicture::resolution(const QImage &image)
{
    const int dpi = qRound(image.dotsPerMeterX() * 0.0254);
    // Camera pictures claim 72 to 150 dpi whatever they show; believing that
    // makes the recogniser take ordinary text for huge marks and drop it.
    if (dpi < 200 || dpi > 1200)
        return kDefaultDpi;
    return dpi;
}
