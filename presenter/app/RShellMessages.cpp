#include "RShellMessages.h"

#include <QMessageBox>
#include <QPushButton>

bool RShellMessages::confirmExit(int langue, const std::optional<QPoint> &pos)
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

void RShellMessages::cannotUseDevice(int langue, QWidget *parent)
{
    const bool english = langue == 1;
    QMessageBox box(QMessageBox::Warning, english ? "Message" : "提示",
                    english ? QString("Can not use device.") + "\n\nPress [OK] exit"
                            : QString("无法使用高拍仪") + "\n\n按【确定】后退出",
                    QMessageBox::NoButton, parent);
    box.addButton(english ? "OK" : "确定", QMessageBox::AcceptRole);
    box.exec();
}
