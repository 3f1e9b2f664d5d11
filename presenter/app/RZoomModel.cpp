#include "RZoomModel.h"

#include <algorithm>
#include <cmath>

double RZoomModel::factorForLevel(double level)
{
    return std::pow(2.0, (level - kOneToOne) / 50.0);
}

RZoomModel::Step RZoomModel::zoomBy(int currentLevel, int delta)
{
    const int level = currentLevel + delta;
    if (level < 0)
        return {0, std::pow(2.0, -5)};
    if (level > kMaxLevel)
        return {kMaxLevel, std::pow(2.0, 5)};
    return {level, factorForLevel(level)};
}

RZoomModel::Step RZoomModel::wheel(int currentLevel, int angleDelta)
{
    const int level = int(currentLevel + angleDelta / 30.0);
    if (level <= kWheelMinLevel - 1)
        return {kWheelMinLevel, std::pow(2.0, -2.5)};
    if (level > kMaxLevel)
        return {kMaxLevel, std::pow(2.0, 5)};
    return {level, factorForLevel(level)};
}

bool RZoomModel::fit(const QSize &window, QSize picture, int rotateAngle, Step *out)
{
    if (picture.width() <= 0 || picture.height() <= 0 || window.width() <= 0 || window.height() <= 0)
        return false;
    if (rotateAngle % 180 != 0)
        picture.transpose();
    const double s = std::min(double(window.width()) / picture.width(), double(window.height()) / picture.height());
    const int n = int(50.0 * std::log2(s));
    out->level = kOneToOne + n;
    out->factor = std::pow(2.0, n / 50.0);
    return true;
}
