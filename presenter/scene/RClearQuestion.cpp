#include "RClearQuestion.h"

#include <QDebug>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

std::optional<QPoint> RClearQuestion::boxPos(int screenWidth, int screenHeight, double scale)
{
    int x = 0;
    double maxScale = 0;
    switch (screenWidth) {
    case 1920: x = 1350; maxScale = 1.75; break;
    case 2560: x = 1826; maxScale = 2.25; break;
    case 3840: x = 2790; maxScale = 3.5; break;
    default: return std::nullopt;
    }
    if (scale > maxScale)
        return std::nullopt;
    int k;
    if (scale <= 1.0) k = 154;
    else if (scale <= 1.25) k = 176;
    else if (scale <= 1.5) k = 203;
    else if (scale <= 1.75) k = 233;
    else if (scale <= 2.0) k = 255;
    else if (scale <= 2.25) k = screenWidth == 3840 ? 273 : 283;
    else if (scale <= 2.5) k = 315;
    else if (scale <= 3.0) k = 378;
    else k = 418;
    const int u = std::max(screenWidth / 24, 68);
    return QPoint(x, screenHeight - u - k);
}

bool RClearQuestion::ask(UiLanguage langue, double dpiScale)
{
    const bool english = langue == UiLanguage::English;
    QMessageBox box(QMessageBox::Question, english ? "Message" : "提示", english ? "Clear screen?" : "是否清屏？",
                    QMessageBox::Ok | QMessageBox::Cancel, nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box.button(QMessageBox::Ok)->setText(english ? "Clear" : "清屏");
    box.button(QMessageBox::Cancel)->setText(english ? "Retain" : "保留");
    const QList<QScreen *> screens = QGuiApplication::screens();
    if (!screens.isEmpty()) {
        const QSize s = screens.first()->size();
        if (auto pos = boxPos(s.width(), s.height(), dpiScale))
            box.move(*pos);
    }
    qDebug() << "RClearQuestion::ask:dpi:" << dpiScale;
    qDebug() << "RClearQuestion::ask:size:" << box.size();
    return box.exec() == QMessageBox::Ok;
}
