#pragma once

#include <QFont>

// Screen facts every window sizes itself by: the primary screen's logical
// DPI over 96, and the interface font scaled by it.
class RScreenScale
{
public:
    // 1.0 without a screen.
    static double dpiScale();
    // "微软雅黑" (fontconfig falls back on Linux) at 12 px times the scale,
    // truncated, never below 1 px.
    static QFont dialogFont();
};
