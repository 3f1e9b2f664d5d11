#include "RScanPicture.h"
#include "RPictureLoader.h"

#include <QPainter>
#include <QStringList>
#include <QtMath>

namespace {

// The recogniser reads best when it takes a character mark of this many
// pixels for ordinary body text, whatever the picture's real scale.
constexpr double kDpiPerMarkPixel = 8.0;
constexpr int kMinDpi = 70, kMaxDpi = 1200;

} // namespace

QImage RScanPicture::loadColour(const QString &path, QString *reason)
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
    return image.convertToFormat(QImage::Format_RGBA8888);
}

int RScanPicture::statedResolution(const QImage &image)
{
    return qMax(0, qRound(image.dotsPerMeterY() * 0.0254));
}

int RScanPicture::resolution(int statedDpi, double markHeight)
{
    const bool stated = statedDpi >= kMinDpi && statedDpi <= kMaxDpi;
    if (markHeight <= 0)
        return stated ? statedDpi : 0;
    const int measured = qBound(kMinDpi, qRound(markHeight * kDpiPerMarkPixel), kMaxDpi);
    // A scanner's density close to what the text shows is the better
    // figure; a camera's fixed 72 or 100 is far off for close-ups.
    if (stated && statedDpi * 3 >= measured * 2 && statedDpi * 2 <= measured * 3)
        return statedDpi;
    return measured;
}

QImage RScanPicture::straightened(const QImage &picture, double degrees, QTransform *toOriginal)
{
    const QTransform turn = QTransform().rotate(-degrees);
    const QRect bounds = turn.mapRect(QRectF(picture.rect())).toAlignedRect();
    const QTransform toResult = turn * QTransform::fromTranslate(-bounds.left(), -bounds.top());
    // Painted in the picture's own format where the painter can, so no second copy is made.
    const bool paintable = picture.format() == QImage::Format_RGBA8888;
    QImage result(bounds.size(), paintable ? picture.format() : QImage::Format_RGB32);
    result.fill(Qt::white);
    QPainter painter(&result);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setTransform(toResult);
    painter.drawImage(0, 0, picture);
    painter.end();
    if (toOriginal)
        *toOriginal = toResult.inverted();
    if (!paintable)
        result = result.convertToFormat(picture.format());
    result.setDotsPerMeterX(picture.dotsPerMeterX());
    result.setDotsPerMeterY(picture.dotsPerMeterY());
    return result;
}

QString RScanPicture::mappedWordTable(const QString &table, const QTransform &toOriginal)
{
    QStringList lines = table.split('\n');
    for (QString &line : lines) {
        QStringList fields = line.split('\t');
        // level page block paragraph line word left top width height confidence text
        if (fields.size() < 12)
            continue;
        bool ok[4] = {};
        const QRectF box(fields.at(6).toInt(&ok[0]), fields.at(7).toInt(&ok[1]), fields.at(8).toInt(&ok[2]),
                         fields.at(9).toInt(&ok[3]));
        if (!(ok[0] && ok[1] && ok[2] && ok[3]))
            continue;
        const QRect mapped = toOriginal.mapRect(box).toRect();
        fields[6] = QString::number(mapped.left());
        fields[7] = QString::number(mapped.top());
        fields[8] = QString::number(mapped.width());
        fields[9] = QString::number(mapped.height());
        line = fields.join('\t');
    }
    return lines.join('\n');
}
