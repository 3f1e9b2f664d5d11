#include "VirtualCameraSyncMarks.h"

#include <QPainter>

#include <ctime>

namespace {

constexpr int kCells = 3 + 2 + VirtualCameraSyncMarks::kSecondBits + VirtualCameraSyncMarks::kPhaseBits; // 23
// References further apart than this are a strip; compression leaves far more.
constexpr int kMinContrast = 60;

QRect cell(const QSize &size, int first, int count)
{
    const double unit = size.width() / 24.0;
    const int x0 = int(unit / 2 + first * unit);
    const int x1 = int(unit / 2 + (first + count) * unit);
    const int y0 = size.height() / 24;
    const int y1 = y0 + size.height() / 12;
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

// Mean luma of the middle half of a cell, where block edges and ringing do not reach.
int centreMean(const uint8_t *luma, int stride, const QRect &r)
{
    const QRect c = r.adjusted(r.width() / 4, r.height() / 4, -r.width() / 4, -r.height() / 4);
    if (c.isEmpty())
        return -1;
    int64_t sum = 0;
    for (int y = c.top(); y <= c.bottom(); ++y) {
        const uint8_t *row = luma + int64_t(y) * stride;
        for (int x = c.left(); x <= c.right(); ++x)
            sum += row[x];
    }
    return int(sum / (int64_t(c.width()) * c.height()));
}

} // namespace

VirtualCameraSyncMarks::Layout VirtualCameraSyncMarks::layout(const QSize &size)
{
    Layout l;
    l.white = cell(size, 0, 1);
    l.black = cell(size, 1, 1);
    l.flash = cell(size, 2, 3);
    for (int i = 0; i < kSecondBits; ++i)
        l.secondBits << cell(size, 5 + i, 1);
    for (int i = 0; i < kPhaseBits; ++i)
        l.phaseBits << cell(size, 5 + kSecondBits + i, 1);
    const QRect all = cell(size, 0, kCells);
    const int margin = all.height() / 4;
    l.strip = all.adjusted(-margin, -margin, margin, margin).intersected(QRect(QPoint(0, 0), size));
    return l;
}

void VirtualCameraSyncMarks::paint(QImage &frame, int64_t monotonicNs)
{
    if (frame.width() < 48 || frame.height() < 24 || monotonicNs < 0)
        return;
    const Layout l = layout(frame.size());
    const int64_t second = monotonicNs / 1'000'000'000;
    const int64_t within = monotonicNs % 1'000'000'000;
    const int phase = int(within / 1'000'000);
    QPainter painter(&frame);
    painter.fillRect(l.strip, Qt::black);
    painter.fillRect(l.white, Qt::white);
    if (within < kFlashNs)
        painter.fillRect(l.flash, Qt::white);
    for (int i = 0; i < kSecondBits; ++i) {
        if ((second >> (kSecondBits - 1 - i)) & 1)
            painter.fillRect(l.secondBits.at(i), Qt::white);
    }
    for (int i = 0; i < kPhaseBits; ++i) {
        if ((phase >> (kPhaseBits - 1 - i)) & 1)
            painter.fillRect(l.phaseBits.at(i), Qt::white);
    }
}

VirtualCameraSyncMarks::Reading VirtualCameraSyncMarks::read(const uint8_t *luma, int stride, const QSize &size)
{
    Reading reading;
    if (!luma || size.width() < 48 || size.height() < 24 || stride < size.width())
        return reading;
    const Layout l = layout(size);
    const int white = centreMean(luma, stride, l.white);
    const int black = centreMean(luma, stride, l.black);
    if (white < 0 || black < 0 || white - black < kMinContrast)
        return reading;
    const int threshold = (white + black) / 2;
    const int doubt = (white - black) / 4;
    bool clear = true;
    const auto bit = [&](const QRect &r) {
        const int v = centreMean(luma, stride, r);
        if (v > threshold - doubt && v < threshold + doubt)
            clear = false;
        return v > threshold;
    };
    reading.flash = bit(l.flash);
    for (const QRect &r : l.secondBits)
        reading.second = (reading.second << 1) | int(bit(r));
    for (const QRect &r : l.phaseBits)
        reading.phaseMs = (reading.phaseMs << 1) | int(bit(r));
    // The flash and the phase must tell the same story, or this is not our strip.
    reading.valid = clear && reading.phaseMs < 1000 && reading.flash == (reading.phaseMs < kFlashNs / 1'000'000);
    return reading;
}

int64_t VirtualCameraSyncMarks::monotonicNowNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}
