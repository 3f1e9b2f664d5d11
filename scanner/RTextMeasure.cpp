#include "RTextMeasure.h"

#include <QtMath>
#include <algorithm>
#include <numeric>
#include <unordered_map>
#include <vector>

namespace {

// Larger pictures are measured at this size; marks stay several pixels tall.
constexpr int kMeasureSide = 2400;

int findRoot(std::vector<int> &parent, int i)
{
    while (parent[size_t(i)] != i) {
        parent[size_t(i)] = parent[size_t(parent[size_t(i)])];
        i = parent[size_t(i)];
    }
    return i;
}

} // namespace

RTextMeasure::RTextMeasure(const QImage &grey)
{
    if (grey.isNull() || grey.format() != QImage::Format_Grayscale8)
        return;
    const int side = qMax(grey.width(), grey.height());
    if (side > kMeasureSide) {
        const double scale = double(kMeasureSide) / side;
        // Smooth scaling hands back 32-bit pixels.
        findMarks(grey.scaled(grey.size() * scale, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_Grayscale8),
                  scale);
    } else {
        findMarks(grey, 1.0);
    }
    findSkew();
}

void RTextMeasure::findMarks(const QImage &grey, double scale)
{
    const int w = grey.width(), h = grey.height();
    // Ink is what is clearly darker than its surroundings, so uneven light
    // and a desk around the page do not count as marks.
    std::vector<quint32> integral(size_t(w + 1) * size_t(h + 1), 0);
    for (int y = 0; y < h; ++y) {
        const uchar *line = grey.constScanLine(y);
        quint32 row = 0;
        for (int x = 0; x < w; ++x) {
            row += line[x];
            integral[size_t(y + 1) * size_t(w + 1) + size_t(x + 1)] = integral[size_t(y) * size_t(w + 1) + size_t(x + 1)] + row;
        }
    }
    const int r = qMax(8, qMin(w, h) / 40);
    std::vector<int> parent(size_t(w) * size_t(h), -1);
    for (int y = 0; y < h; ++y) {
        const uchar *line = grey.constScanLine(y);
        const int y0 = qMax(0, y - r), y1 = qMin(h, y + r + 1);
        for (int x = 0; x < w; ++x) {
            const int x0 = qMax(0, x - r), x1 = qMin(w, x + r + 1);
            const quint32 sum = integral[size_t(y1) * size_t(w + 1) + size_t(x1)] - integral[size_t(y0) * size_t(w + 1) + size_t(x1)] -
                                integral[size_t(y1) * size_t(w + 1) + size_t(x0)] + integral[size_t(y0) * size_t(w + 1) + size_t(x0)];
            const double mean = double(sum) / ((y1 - y0) * (x1 - x0));
            if (line[x] > mean * 0.8 || mean - line[x] < 24)
                continue;
            const int i = y * w + x;
            parent[size_t(i)] = i;
            if (x > 0 && parent[size_t(i - 1)] >= 0)
                parent[size_t(i)] = findRoot(parent, i - 1);
            if (y > 0 && parent[size_t(i - w)] >= 0) {
                const int a = findRoot(parent, i - w), b = parent[size_t(i)];
                if (a != b)
                    parent[size_t(qMax(a, b))] = qMin(a, b);
                parent[size_t(i)] = qMin(a, b);
            }
        }
    }
    struct Box {
        int left, top, right, bottom;
    };
    std::unordered_map<int, Box> boxes;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            if (parent[size_t(i)] < 0)
                continue;
            const auto found = boxes.try_emplace(findRoot(parent, i), Box{x, y, x, y});
            Box &b = found.first->second;
            b = {qMin(b.left, x), qMin(b.top, y), qMax(b.right, x), qMax(b.bottom, y)};
        }
    std::vector<double> heights;
    // A small picture may be a single line of large text.
    const int largest = qMax(qMin(w, h) / 10, 64);
    for (const auto &entry : boxes) {
        const Box &b = entry.second;
        const int bw = b.right - b.left + 1, bh = b.bottom - b.top + 1;
        // Specks of noise and page edges or pictures are not characters.
        if (bh < 4 || bh > largest || bw > largest || bw > 4 * bh)
            continue;
        heights.push_back(bh / scale);
        m_centres.emplace_back((b.left + b.right) / 2.0 / scale, (b.top + b.bottom) / 2.0 / scale);
    }
    if (heights.size() < 10)
        return;
    std::nth_element(heights.begin(), heights.begin() + long(heights.size() / 2), heights.end());
    m_markHeight = heights[heights.size() / 2];
}

void RTextMeasure::findSkew()
{
    if (m_markHeight <= 0 || m_centres.size() < 20)
        return;
    // Centres of marks on one line fall into one narrow band when projected
    // across the line's direction; the turn that sharpens the bands most wins.
    const double bin = qMax(1.0, m_markHeight / 3);
    auto sharpness = [this, bin](double degrees) {
        const double s = qSin(qDegreesToRadians(degrees)), c = qCos(qDegreesToRadians(degrees));
        std::vector<double> bands;
        double top = 1e300, bottom = -1e300;
        std::vector<double> ys;
        ys.reserve(m_centres.size());
        for (const QPointF &p : m_centres) {
            const double y = p.y() * c - p.x() * s;
            ys.push_back(y);
            top = qMin(top, y);
            bottom = qMax(bottom, y);
        }
        bands.assign(size_t((bottom - top) / bin) + 2, 0.0);
        for (double y : ys)
            bands[size_t((y - top) / bin)] += 1;
        return std::inner_product(bands.begin(), bands.end(), bands.begin(), 0.0);
    };
    const double level = sharpness(0);
    double best = 0, bestScore = level;
    for (double degrees = -15; degrees <= 15.001; degrees += 0.25) {
        const double score = sharpness(degrees);
        if (score > bestScore) {
            bestScore = score;
            best = degrees;
        }
    }
    // A small or doubtful turn is left alone: straightening costs sharpness.
    if (qAbs(best) >= 0.75 && bestScore > 1.2 * level)
        m_skew = best;
}
