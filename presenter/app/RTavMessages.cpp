#include "RTavMessages.h"

#include <QMessageBox>
#include <QPushButton>

QString RTavMessages::cameraFailure(int langue, bool opened, bool busy, bool serviceMissing)
{
    const bool english = langue == 1;
    if (opened) {
        if (!busy)
            return QString();
        return english ? QString("Device has been used") + "\n\nPress [Close] exit"
                       : QString("高拍仪被占用") + "\n\n按【关闭】后退出";
    }
    if (serviceMissing)
        return english ? QString("The camera service cannot start: GStreamer's camerabin is missing "
                                 "(package gstreamer1.0-plugins-bad).\n\nPress [Close] exit.")
                       : QString("无法启动相机服务：缺少 GStreamer 的 camerabin"
                                 "（软件包 gstreamer1.0-plugins-bad）。\n\n按【关闭】后退出");
    if (!busy)
        return english ? QString("Can not find device") + "\n\nPress [Close] exit."
                       : QString("没有找到高拍仪") + "\n\n按【关闭】后退出";
    return english ? QString("Device has be used") + "\n\nPress [Close] exit."
                   : QString("高拍仪被占用") + "\n\n按【关闭】后退出";
}

bool RTavMessages::askDetect(QWidget *parent, int langue, const QString &text)
{
    const bool english = langue == 1;
    QMessageBox box(QMessageBox::Warning, english ? "Message" : "提示", text, QMessageBox::NoButton, parent);
    QPushButton *detect = box.addButton(english ? "Detect" : "检测", QMessageBox::AcceptRole);
    box.addButton(english ? "Close" : "关闭", QMessageBox::RejectRole);
    box.setDefaultButton(detect);
    box.setEscapeButton(static_cast<QAbstractButton *>(nullptr));
    box.exec();
    return box.clickedButton() == detect;
}

bool RTavMessages::confirmExit(int langue, std::optional<QPoint> pos)
{
    const bool english = langue == 1;
    QMessageBox box;
    box.setWindowTitle(english ? "Message" : "提示");
    box.setText(english ? "Confirm exit?" : "确认退出？");
    QPushButton *quit = box.addButton(english ? "OK" : "退出", QMessageBox::ActionRole);
    box.addButton(english ? "Cancel" : "取消", QMessageBox::ActionRole);
    if (pos)
        box.move(*pos);
    box.exec();
    return box.clickedButton() == quit;
}

void RTavMessages::cannotUseDevice(QWidget *parent, int langue)
{
    const bool english = langue == 1;
    QMessageBox box(QMessageBox::Warning, english ? "Message" : "提示",
                    english ? QString("Can not use device.") + "\n\nPress [OK] exit"
                            : QString("无法使用高拍仪") + "\n\n按【确定】后退出",
                    QMessageBox::NoButton, parent);
    box.addButton(english ? "OK" : "确定", QMessageBox::AcceptRole);
    box.exec();
}
