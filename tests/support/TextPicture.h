#pragma once
// Pictures of printed text made inside the tests, so recognition is checked
// on known content in the font the classroom machines have for Chinese.

#include <QBuffer>
#include <QFont>
#include <QLinearGradient>
#include <QPolygonF>
#include <QTransform>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QString>
#include <vector>

namespace VisoraTest {

// Text without any white space, for comparing recognised with printed text.
inline QString squeezed(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

// A page of `size` (none: just large enough) with `text` wrapped inside a
// margin of a tenth of its width at `pixelSize` per em, stating `dpi` (0:
// Qt's default).
inline QImage printedPage(const QString &text, QSize size = {}, int pixelSize = 40, int dpi = 0)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    if (!size.isValid()) {
        const QSize inner = QFontMetrics(font).boundingRect(QRect(0, 0, 1 << 20, 1 << 20), 0, text).size();
        const int width = inner.width() * 5 / 4 + 4;
        size = QSize(width, inner.height() + 2 * (width / 10) + 4);
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const int dpm = qRound(dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const int margin = size.width() / 10;
    painter.drawText(image.rect().adjusted(margin, margin, -margin, -margin), Qt::TextWordWrap, text);
    return image;
}

// Share of the printed characters read right, white space left out.
inline double accuracy(const QString &read, const QString &printed)
{
    const QString a = squeezed(read), b = squeezed(printed);
    std::vector<int> row(size_t(b.size()) + 1);
    for (int j = 0; j <= b.size(); ++j)
        row[size_t(j)] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int up = row[size_t(j)];
            row[size_t(j)] = qMin(qMin(up, row[size_t(j - 1)]) + 1, diagonal + (a.at(i - 1) == b.at(j - 1) ? 0 : 1));
            diagonal = up;
        }
    }
    return b.isEmpty() ? 0.0 : qMax(0.0, 1.0 - double(row.back()) / b.size());
}

// A printed page as a document camera delivers it: the page drawn into a
// frame of `frameSize` with a tilt of `degrees` and a slight keystone,
// uneven light, lens blur, sensor noise and JPEG loss, saved stating
// `statedDpi` the way cameras state a fixed density whatever they show.
inline QByteArray cameraPicture(const QImage &page, QSize frameSize, double degrees, int statedDpi, int seed = 1)
{
    QImage frame(frameSize, QImage::Format_RGB32);
    frame.fill(QColor(120, 105, 90));
    QPainter painter(&frame);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const double scale = 0.92 * qMin(frameSize.width() / double(page.width()), frameSize.height() / double(page.height()));
    const QSizeF drawn = QSizeF(page.size()) * scale;
    const QPolygonF from(QRectF(QPointF(0, 0), QSizeF(page.size())));
    QPolygonF to(QRectF(QPointF(-drawn.width() / 2, -drawn.height() / 2), drawn));
    // The far edge of the page looks a little narrower than the near one.
    to[0].rx() += drawn.width() * 0.02;
    to[1].rx() -= drawn.width() * 0.02;
    QTransform keystone;
    QTransform::quadToQuad(from.mid(0, 4), to.mid(0, 4), keystone);
    painter.setTransform(keystone * QTransform().rotate(degrees) *
                         QTransform::fromTranslate(frameSize.width() / 2.0, frameSize.height() / 2.0));
    painter.drawImage(0, 0, page);
    painter.resetTransform();
    QLinearGradient light(0, 0, frameSize.width(), frameSize.height());
    light.setColorAt(0, QColor(255, 255, 250));
    light.setColorAt(1, QColor(185, 180, 170));
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.fillRect(frame.rect(), light);
    painter.end();
    frame = frame.scaled(frameSize * 0.7, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .scaled(frameSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QRandomGenerator noise {quint32(seed)};
    for (int y = 0; y < frame.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
        for (int c = 0; c < frame.width(); ++c) {
            const int n = int(noise.bounded(13)) - 6;
            line[c] = qRgb(qBound(0, qRed(line[c]) + n, 255), qBound(0, qGreen(line[c]) + n, 255),
                           qBound(0, qBlue(line[c]) + n, 255));
        }
    }
    const int dpm = qRound(statedDpi / 0.0254);
    frame.setDotsPerMeterX(dpm);
    frame.setDotsPerMeterY(dpm);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    frame.save(&buffer, "JPG", 85);
    return jpeg;
}

} // namespace VisoraTest
