#include "RContrastMath.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

double RContrastMath::zoomScale(int zoomValue)
{
    return qPow(2.0, (zoomValue - kZoomOneToOne) / 50.0);
}

int RContrastMath::fitZoomValue(const QSize &view, const QSizeF &content)
{
    if (view.isEmpty() || content.isEmpty())
        return kZoomOneToOne;
    const double factor = std::min(view.width() / content.width(), view.height() / content.height());
    // Rounded down so the whole picture stays in view.
    const int value = int(std::floor(kZoomOneToOne + 50.0 * std::log2(factor)));
    return std::clamp(value, kZoomMin, kZoomMax);
}

int RContrastMath::choosePane(int curIndex, bool pane1Empty, bool pane2Empty)
{
    if (curIndex >= 1 && curIndex <= 3)
        return curIndex;
    if (pane1Empty)
        return 1;
    if (pane2Empty)
        return 2;
    return 3;
}

int RContrastMath::nextIndex(int pane)
{
    return pane >= 3 ? 0 : pane + 1;
}

std::array<bool, 4> RContrastMath::layoutPanes(ContrastLayout layout)
{
    switch (layout) {
    case ContrastLayout::SideBySide:
        return {true, true, false, false};
    case ContrastLayout::OneAboveOther:
        return {true, false, true, false};
    case ContrastLayout::FourPanes:
        break;
    }
    return {true, true, true, true};
}
