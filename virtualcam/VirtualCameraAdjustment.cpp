#include "VirtualCameraAdjustment.h"

#include <QtGlobal>

#include <cmath>

VirtualCameraAdjustment::VirtualCameraAdjustment(qreal brightness, qreal contrast, qreal saturation)
{
    brightness = qBound(-1.0, brightness, 1.0);
    contrast = qBound(-1.0, contrast, 1.0);
    saturation = qBound(-1.0, saturation, 1.0);

    // Contrast pivots around mid grey: -1 flattens to grey, +1 triples the slope.
    const qreal slope = contrast >= 0.0 ? 1.0 + 2.0 * contrast : 1.0 + contrast;
    const qreal offset = 100.0 * brightness;
    for (int v = 0; v < 256; ++v) {
        const qreal mapped = (v - 128.0) * slope + 128.0 + offset;
        m_lut[v] = uchar(qBound(0, int(std::lround(mapped)), 255));
        if (m_lut[v] != v)
            m_identityLut = false;
    }
    m_saturation = int(std::lround((1.0 + saturation) * kUnit));
}

bool VirtualCameraAdjustment::operator==(const VirtualCameraAdjustment &other) const
{
    return m_lut == other.m_lut && m_saturation == other.m_saturation;
}

void VirtualCameraAdjustment::apply(QImage &image, const QRect &rect) const
{
    if (isIdentity())
        return;
    const QRect area = rect.intersected(image.rect());
    if (area.isEmpty())
        return;
    Q_ASSERT(image.depth() == 32);

    const bool saturate = m_saturation != kUnit;
    const int factor = m_saturation;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y)) + area.left();
        for (int x = 0; x < area.width(); ++x) {
            const QRgb pixel = line[x];
            int r = qRed(pixel);
            int g = qGreen(pixel);
            int b = qBlue(pixel);
            if (saturate) {
                // Integer luma (weights sum to 256), then scale the chroma.
                const int grey = (r * 77 + g * 150 + b * 29) >> 8;
                r = qBound(0, grey + (((r - grey) * factor) >> 8), 255);
                g = qBound(0, grey + (((g - grey) * factor) >> 8), 255);
                b = qBound(0, grey + (((b - grey) * factor) >> 8), 255);
            }
            line[x] = qRgb(m_lut[r], m_lut[g], m_lut[b]);
        }
    }
}
