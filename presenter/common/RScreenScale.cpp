#include "RScreenScale.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

double RScreenScale::dpiScale()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->logicalDotsPerInch() / 96.0 : 1.0;
}

QFont RScreenScale::dialogFont()
{
    QFont font(QStringLiteral("微软雅黑"));
    font.setPixelSize(qMax(1, static_cast<int>(12 * dpiScale())));
    return font;
}
