#include "VirtualCameraScenePainter.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr qreal kPageAngle = 3.5;          // degrees, clockwise
constexpr qreal kPageAspect = 1.41421356;  // A4

const QColor kInk(46, 46, 54);
const QColor kHeadingInk(24, 26, 38);
const QColor kRuleInk(150, 150, 158);
const QColor kFigureInk(58, 98, 158);

// Scale reference so that wide and tall frames get the same proportions.
qreal baseLength(const QSize &size)
{
    return std::min<qreal>(size.height(), size.width() / 1.2);
}

quint32 pixelNoise(quint32 x, quint32 y)
{
    quint32 h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h >> 29; // 0..7
}

// One line of "words": dark blocks of random width, ragged at the right.
void paintTextLine(QPainter &painter, std::mt19937 &random, qreal x, qreal y, qreal width, qreal height,
                   qreal unit, const QColor &colour)
{
    std::uniform_real_distribution<qreal> wordWidth(0.022 * unit, 0.095 * unit);
    const qreal gap = 0.014 * unit;
    qreal cursor = x;
    while (true) {
        const qreal w = wordWidth(random);
        if (cursor + w > x + width)
            break;
        painter.fillRect(QRectF(cursor, y, w, height), colour);
        cursor += w + gap;
    }
}

void paintParagraph(QPainter &painter, std::mt19937 &random, qreal x, qreal &y, qreal width, int lines,
                    qreal unit)
{
    const qreal pitch = 0.027 * unit;
    const qreal height = 0.011 * unit;
    for (int i = 0; i < lines; ++i) {
        const qreal lineWidth = (i == lines - 1) ? width * 0.55 : width;
        paintTextLine(painter, random, x, y, lineWidth, height, unit, kInk);
        y += pitch;
    }
}

void paintSegments(QPainter &painter, const QRectF &cell, int digit, const QColor &on, const QColor &off)
{
    // Bits a..g of the classic seven-segment layout.
    static const int kSegments[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    const int mask = kSegments[qBound(0, digit, 9)];
    const qreal t = std::max<qreal>(1.0, cell.width() * 0.18);
    const qreal l = cell.left(), r = cell.right() - t, top = cell.top(), w = cell.width();
    const qreal mid = cell.top() + (cell.height() - t) / 2.0, bottom = cell.bottom() - t;
    const qreal half = (cell.height() - t) / 2.0;
    const QRectF segments[7] = {
        QRectF(l, top, w, t),                 // a
        QRectF(r, top, t, half + t),          // b
        QRectF(r, mid, t, half + t),          // c
        QRectF(l, bottom, w, t),              // d
        QRectF(l, mid, t, half + t),          // e
        QRectF(l, top, t, half + t),          // f
        QRectF(l, mid, w, t),                 // g
    };
    for (int i = 0; i < 7; ++i)
        painter.fillRect(segments[i], (mask & (1 << i)) ? on : off);
}

} // namespace

QRect VirtualCameraScenePainter::clockRect(const QSize &size)
{
    const qreal base = baseLength(size);
    const int width = std::max(1, int(0.26 * base));
    const int height = std::max(1, int(0.07 * base));
    const int x = size.width() - width - int(0.03 * base);
    const int y = size.height() - height - int(0.035 * base);
    return QRect(x, y, width, height).intersected(QRect(QPoint(0, 0), size));
}

QImage VirtualCameraScenePainter::paintScene(const QSize &size, const QList<QPointF> &pageCorners)
{
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    paintDesk(image);
    paintPage(image, clockRect(size), pageCorners);
    return image;
}

void VirtualCameraScenePainter::paintDesk(QImage &image)
{
    const int width = image.width();
    const int height = image.height();

    // Wood grain: fine horizontal streaks whose rows meander slowly along x.
    const int amplitude = std::max(1, int(height * 0.010));
    std::vector<int> wobble(width);
    for (int x = 0; x < width; ++x) {
        const qreal t = qreal(x) / width;
        wobble[x] = amplitude + int(amplitude * 0.7 * std::sin(t * 2 * M_PI * 1.3 + 0.4)
                                    + amplitude * 0.3 * std::sin(t * 2 * M_PI * 4.7 + 1.3));
    }
    std::mt19937 random(7u);
    std::uniform_int_distribution<int> streak(-7, 7);
    std::vector<int> grain(height + 2 * amplitude + 2);
    int smoothed = 0;
    for (size_t i = 0; i < grain.size(); ++i) {
        const qreal t = qreal(i) / height;
        // Streaks are random per row, blurred a little so they read as fibres, not noise.
        smoothed = (smoothed * 2 + streak(random) * 2) / 3;
        grain[i] = int(7.0 * std::sin(t * 2 * M_PI * 9.0 + 2.2 * std::sin(t * 2 * M_PI * 1.6))
                       + 3.0 * std::sin(t * 2 * M_PI * 37.0 + 0.7))
                   + smoothed;
    }
    // Slow tone changes across the desk, like boards of slightly different wood.
    std::vector<int> tone(width);
    for (int x = 0; x < width; ++x) {
        const qreal t = qreal(x) / width;
        tone[x] = int(6.0 * std::sin(t * 2 * M_PI * 0.8 + 0.5));
    }
    // Lamp light falls off towards the corners; separable so it costs two tables.
    std::vector<int> columnLight(width), rowLight(height);
    for (int x = 0; x < width; ++x) {
        const qreal d = (x - width / 2.0) / (width / 2.0);
        columnLight[x] = int(256 * (1.0 - 0.20 * d * d));
    }
    for (int y = 0; y < height; ++y) {
        const qreal d = (y - height / 2.0) / (height / 2.0);
        rowLight[y] = int(256 * (1.0 - 0.25 * d * d));
    }

    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        const int row = rowLight[y];
        for (int x = 0; x < width; ++x) {
            const int g = grain[y + wobble[x]] + tone[x] + int(pixelNoise(x, y)) - 3;
            const int light = (columnLight[x] * row) >> 8;
            const int r = ((104 + g) * light) >> 8;
            const int gr = ((77 + g * 3 / 4) * light) >> 8;
            const int b = ((54 + g / 2) * light) >> 8;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, gr, 255), qBound(0, b, 255));
        }
    }
}

void VirtualCameraScenePainter::paintPage(QImage &image, const QRect &clock, const QList<QPointF> &corners)
{
    const qreal width = image.width();
    const qreal height = image.height();
    const qreal angle = qDegreesToRadians(kPageAngle);

    qreal pageHeight = 0.86 * height;
    qreal pageWidth = pageHeight / kPageAspect;
    // Keep the page clear of the clock on both sides, unless the frame is too narrow for that.
    qreal widthLimit = width - 2.0 * (width - clock.left()) - pageHeight * std::sin(angle);
    if (widthLimit < 0.4 * width)
        widthLimit = 0.8 * width;
    if (pageWidth > widthLimit) {
        pageWidth = widthLimit;
        pageHeight = pageWidth * kPageAspect;
    }
    const qreal unit = pageWidth;

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF page(-pageWidth / 2.0, -pageHeight / 2.0, pageWidth, pageHeight);
    QTransform askew;
    QPolygonF target;
    for (const QPointF &c : corners)
        target << QPointF(c.x() * width, c.y() * height);
    const QPolygonF flat({page.topLeft(), page.topRight(), page.bottomRight(), page.bottomLeft()});
    if (target.size() == 4 && QTransform::quadToQuad(flat, target, askew)) {
        painter.setTransform(askew);
    } else {
        painter.translate(width / 2.0, height / 2.0);
        painter.rotate(kPageAngle);
    }

    // Soft shadow towards the lower right: a few translucent layers.
    painter.setPen(Qt::NoPen);
    for (int i = 4; i >= 1; --i) {
        const qreal grow = 0.004 * unit * i;
        painter.setBrush(QColor(0, 0, 0, 26));
        painter.drawRect(page.adjusted(-grow, -grow, grow, grow).translated(0.010 * unit, 0.014 * unit));
    }

    QLinearGradient paper(page.topLeft(), page.bottomRight());
    paper.setColorAt(0.0, QColor(252, 251, 247));
    paper.setColorAt(1.0, QColor(236, 235, 230));
    painter.setBrush(paper);
    painter.drawRect(page);

    painter.translate(page.topLeft());
    std::mt19937 random(20240917u);
    const qreal margin = 0.09 * unit;
    const qreal contentWidth = unit - 2.0 * margin;
    const qreal bottomLimit = pageHeight - 1.6 * margin;
    qreal y = 0.8 * margin;

    // School line and date at the very top.
    painter.fillRect(QRectF(margin, y, 0.26 * unit, 0.010 * unit), QColor(120, 120, 128));
    painter.fillRect(QRectF(unit - margin - 0.18 * unit, y, 0.18 * unit, 0.010 * unit), QColor(120, 120, 128));
    y += 0.045 * unit;

    // Title, centred, and a rule under it.
    painter.fillRect(QRectF((unit - 0.56 * unit) / 2.0, y, 0.56 * unit, 0.034 * unit), kHeadingInk);
    y += 0.056 * unit;
    painter.fillRect(QRectF(margin, y, contentWidth, 0.0025 * unit), kHeadingInk);
    y += 0.030 * unit;

    // Name and class fields with lines to write on.
    painter.fillRect(QRectF(margin, y, 0.075 * unit, 0.011 * unit), kInk);
    painter.fillRect(QRectF(margin + 0.09 * unit, y + 0.010 * unit, 0.34 * unit, 0.0018 * unit), kRuleInk);
    painter.fillRect(QRectF(margin + 0.47 * unit, y, 0.06 * unit, 0.011 * unit), kInk);
    painter.fillRect(QRectF(margin + 0.545 * unit, y + 0.010 * unit, contentWidth - 0.545 * unit,
                            0.0018 * unit), kRuleInk);
    y += 0.050 * unit;

    // Section one: heading and introduction.
    painter.fillRect(QRectF(margin, y, 0.30 * unit, 0.018 * unit), kHeadingInk);
    y += 0.038 * unit;
    paintParagraph(painter, random, margin, y, contentWidth, 5, unit);
    y += 0.018 * unit;

    // A bar chart in a frame, with text running beside it.
    const QRectF figure(margin, y, 0.42 * unit, 0.28 * unit);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kInk, 0.003 * unit));
    painter.drawRect(figure);
    const QRectF plot = figure.adjusted(0.05 * unit, 0.03 * unit, -0.03 * unit, -0.04 * unit);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    painter.setPen(Qt::NoPen);
    const qreal bars[5] = {0.45, 0.8, 0.6, 0.95, 0.35};
    const qreal slot = plot.width() / 5.0;
    for (int i = 0; i < 5; ++i) {
        const qreal h = plot.height() * bars[i];
        painter.fillRect(QRectF(plot.left() + slot * i + slot * 0.2, plot.bottom() - h, slot * 0.6, h),
                         kFigureInk);
    }
    qreal sideY = y + 0.01 * unit;
    const qreal sideX = figure.right() + 0.04 * unit;
    paintParagraph(painter, random, sideX, sideY, margin + contentWidth - sideX, 9, unit);
    y = figure.bottom() + 0.045 * unit;

    // Section two: numbered exercises with answer lines.
    painter.fillRect(QRectF(margin, y, 0.24 * unit, 0.018 * unit), kHeadingInk);
    y += 0.040 * unit;
    for (int exercise = 0; exercise < 5 && y < bottomLimit - 0.09 * unit; ++exercise) {
        painter.fillRect(QRectF(margin, y, 0.016 * unit, 0.013 * unit), kHeadingInk);
        const qreal questionWidth = exercise == 2 ? contentWidth * 0.55 : contentWidth * 0.8;
        paintTextLine(painter, random, margin + 0.035 * unit, y, questionWidth, 0.011 * unit, unit, kInk);
        y += 0.034 * unit;
        const qreal answerWidth = exercise == 2 ? contentWidth * 0.6 : contentWidth - 0.035 * unit;
        for (int line = 0; line < 2; ++line) {
            painter.fillRect(QRectF(margin + 0.035 * unit, y, answerWidth, 0.0018 * unit), kRuleInk);
            y += 0.030 * unit;
        }
        if (exercise == 2) {
            // A triangle and a circle to measure, drawn beside the question.
            painter.setPen(QPen(kInk, 0.0025 * unit));
            painter.setBrush(Qt::NoBrush);
            const qreal cx = margin + contentWidth * 0.84;
            const qreal cy = y - 0.09 * unit;
            const QPolygonF triangle({QPointF(cx - 0.10 * unit, cy + 0.035 * unit),
                                      QPointF(cx - 0.03 * unit, cy + 0.035 * unit),
                                      QPointF(cx - 0.075 * unit, cy - 0.035 * unit)});
            painter.drawPolygon(triangle);
            painter.drawEllipse(QPointF(cx + 0.035 * unit, cy), 0.034 * unit, 0.034 * unit);
            painter.setPen(Qt::NoPen);
        }
        y += 0.012 * unit;
    }

    // Page number at the foot.
    painter.fillRect(QRectF((unit - 0.05 * unit) / 2.0, pageHeight - 0.9 * margin, 0.05 * unit, 0.010 * unit),
                     QColor(120, 120, 128));
}

void VirtualCameraScenePainter::paintClock(QImage &frame, const QRect &rect, const QTime &time,
                                           quint64 frameNumber)
{
    if (rect.width() < 8 || rect.height() < 4)
        return;
    QPainter painter(&frame);
    painter.fillRect(rect, QColor(18, 18, 20));
    painter.fillRect(rect.adjusted(0, 0, 0, -(rect.height() - 1)), QColor(80, 80, 86));

    // "HH:MM:SS  nnnn": six time digits, two colons, a gap, four frame digits.
    const int digits[10] = {time.hour() / 10,   time.hour() % 10,   time.minute() / 10, time.minute() % 10,
                            time.second() / 10, time.second() % 10, int(frameNumber / 1000 % 10),
                            int(frameNumber / 100 % 10), int(frameNumber / 10 % 10), int(frameNumber % 10)};
    const qreal padding = rect.height() * 0.2;
    const qreal units = 10 * 1.25 + 2 * 0.5 + 0.8;
    const qreal cellWidth = std::min((rect.width() - 2 * padding) / units, rect.height() * 0.45);
    const qreal cellHeight = rect.height() - 2 * padding;
    const QColor timeOn(240, 64, 48), timeOff(48, 22, 20);
    const QColor countOn(90, 230, 110), countOff(20, 44, 24);

    qreal x = rect.left() + padding;
    const qreal top = rect.top() + padding;
    for (int i = 0; i < 10; ++i) {
        const bool count = i >= 6;
        paintSegments(painter, QRectF(x, top, cellWidth, cellHeight), digits[i], count ? countOn : timeOn,
                      count ? countOff : timeOff);
        x += cellWidth * 1.25;
        if (i == 1 || i == 3) {
            const qreal dot = std::max<qreal>(1.0, cellWidth * 0.18);
            painter.fillRect(QRectF(x, top + cellHeight * 0.28, dot, dot), timeOn);
            painter.fillRect(QRectF(x, top + cellHeight * 0.68, dot, dot), timeOn);
            x += cellWidth * 0.5;
        } else if (i == 5) {
            x += cellWidth * 0.8;
        }
    }
}
