#include "QTMyIconStyle.h"

int QTMyIconStyle::pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const
{
    if (metric == QStyle::PM_SmallIconSize)
        return 30;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
