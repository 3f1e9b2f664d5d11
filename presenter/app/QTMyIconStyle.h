#pragma once

#include <QProxyStyle>

// Gives the shapes menu 30-pixel icons, larger than the platform's small icons.
class QTMyIconStyle : public QProxyStyle
{
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption *option = nullptr,
                    const QWidget *widget = nullptr) const override;
};
