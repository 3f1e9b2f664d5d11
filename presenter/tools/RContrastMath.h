#pragma once

#include "ContrastLayout.h"

#include <QSize>
#include <QSizeF>

#include <array>

// The arithmetic of the compare view's panes, free of widgets.
class RContrastMath
{
public:
    static constexpr int kZoomMin = 0;
    static constexpr int kZoomMax = 500;
    static constexpr int kZoomOneToOne = 250;
    static constexpr int kRotateMin = -360;
    static constexpr int kRotateMax = 360;

    // 2 to the power (value - 250) / 50.
    static double zoomScale(int zoomValue);
    // Zoom value that fits `content` into `view`, within the slider's range;
    // 1:1 when either has no size.
    static int fitZoomValue(const QSize &view, const QSizeF &content);

    // Picture pane (1 to 3) for the next opened picture: the remembered one,
    // else the first empty of panes 1 and 2, else pane 3.
    static int choosePane(int curIndex, bool pane1Empty, bool pane2Empty);
    // The remembered pane after a picture went to `pane`: 0 after pane 3.
    static int nextIndex(int pane);

    // Panes shown by a layout (camera pane, 1, 2, 3).
    static std::array<bool, 4> layoutPanes(ContrastLayout layout);
};
