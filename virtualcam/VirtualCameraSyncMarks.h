#pragma once
// Marks the capture time in a frame so that a recording's picture can be
// lined up with its sound afterwards. A strip of black and white cells along
// the top carries: a white and a black reference cell, a wide "flash" cell
// that is white during the first 100 ms of every whole second of
// CLOCK_MONOTONIC, the second's number (mod 256) and the milliseconds into
// that second. Cells are large (a 24th of the width, a 12th of the height),
// so the code survives lossy compression and scaling down to 320 x 180.

#include <QImage>
#include <QRect>
#include <QSize>
#include <QVector>

#include <cstdint>

class VirtualCameraSyncMarks
{
public:
    static constexpr int kSecondBits = 8;
    static constexpr int kPhaseBits = 10;
    static constexpr int64_t kFlashNs = 100'000'000;

    struct Layout
    {
        QRect strip; // painted opaquely every frame
        QRect white;
        QRect black;
        QRect flash;
        QVector<QRect> secondBits; // most significant first
        QVector<QRect> phaseBits;
    };

    struct Reading
    {
        bool valid = false;
        bool flash = false;
        int second = 0;  // CLOCK_MONOTONIC seconds mod 256
        int phaseMs = 0; // 0..999
    };

    static Layout layout(const QSize &size);

    // Draws the code of that capture time into an RGB32 frame.
    static void paint(QImage &frame, int64_t monotonicNs);

    // Reads the code back from an 8-bit luma plane of a frame of that size.
    // Not valid when the strip is missing or a cell is neither black nor white.
    static Reading read(const uint8_t *luma, int stride, const QSize &size);

    static int64_t monotonicNowNs();
};
