#pragma once

#include <QSize>

// The zoom arithmetic of the live picture: level 250 is 1:1 and every 50
// levels double the size.
class RZoomModel
{
public:
    static constexpr int kOneToOne = 250;
    static constexpr int kMaxLevel = 500;
    static constexpr int kWheelMinLevel = 125;

    struct Step
    {
        int level;
        double factor;
    };

    static double factorForLevel(double level);
    // A tool-bar or keyboard step of `delta` levels: 0..500.
    static Step zoomBy(int currentLevel, int delta);
    // A wheel turn, `angleDelta` in eighths of a degree: 4 levels a notch, 125..500.
    static Step wheel(int currentLevel, int angleDelta);
    // The level that fits `picture` into `window`, width and height swapped
    // for quarter turns. No value when the picture has no size.
    static bool fit(const QSize &window, QSize picture, int rotateAngle, Step *out);
};
