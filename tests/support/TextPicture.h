#pragma once
// Pictures of printed text made inside the tests, so recognition is checked
// on known content in the font the classroom machines have for Chinese.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QString>

namespace VisoraTest {

inline QImage textPicture(const QString &text, int pixelSize = 40, QSize size = {})
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    const QFontMetrics metrics(font);
    const QStringList lines = text.split('\n');
    if (!size.isValid()) {
        int width = 0;
        for (const QString &line : lines)
            width = qMax(width, metrics.horizontalAdvance(line));
        size = QSize(width + 2 * pixelSize, (lines.size() + 2) * metrics.lineSpacing());
    }
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < lines.size(); ++i)
        painter.drawText(pixelSize, (i + 1) * metrics.lineSpacing() + metrics.ascent(), lines.at(i));
    return image;
}

// Text without any white space, for comparing recognised with printed text.
inline QString squeezed(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("\\s")));
    return text;
}

} // namespace VisoraTest
