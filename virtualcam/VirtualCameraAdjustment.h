#pragma once
// Brightness, contrast and saturation as a camera driver would apply them:
// a 256-entry lookup table for brightness and contrast, a fixed-point blend
// towards grey for saturation. Values run from -1 to 1, 0 leaves the picture.

#include <QImage>
#include <QRect>

#include <array>

class VirtualCameraAdjustment
{
public:
    VirtualCameraAdjustment(qreal brightness = 0.0, qreal contrast = 0.0, qreal saturation = 0.0);

    bool isIdentity() const { return m_identityLut && m_saturation == kUnit; }
    bool operator==(const VirtualCameraAdjustment &other) const;
    bool operator!=(const VirtualCameraAdjustment &other) const { return !(*this == other); }

    // In place on an RGB32 image, limited to rect.
    void apply(QImage &image, const QRect &rect) const;
    void apply(QImage &image) const { apply(image, image.rect()); }

private:
    static constexpr int kUnit = 256;

    std::array<uchar, 256> m_lut{};
    bool m_identityLut = true;
    int m_saturation = kUnit;
};
