#include "RToolsLayout.h"

#include <QtGlobal>

const RToolsLayout::Entry RToolsLayout::kButtons[RToolsLayout::kButtonCount] = {
    {"closeApp", "closeapp.png", "关闭", "Exit"},
    {"minApp", "min.png", "最小化", "Minimized"},
    {"sysSetting", "sys.png", "设置", "Setting"},
    {"setMove", "move.png", "移动", "Move"},
    {"setRotate", "rotate.png", "旋转", "Rotate"},
    {"setWrite", "pen.png", "标注", "Draw"},
    {"setRubber", "rubber.png", "擦除", "Rubber"},
    {"setUndo", "undo.png", "撤销擦除", "Undo"},
    {"setSnap", "snap.png", "拍照", "Snap"},
    {"setTracker", "tracker.png", "聚光灯", "Light"},
    {"setStop", "stop.png", "冻结", "Freeze"},
    {"setPDF", "pdf.png", "PDF", "PDF"},
    {"setCamera11", "cam11.png", "1:1", "1:1"},
    {"setCameraFull", "fulls.png", "适屏", "Screen"},
    {"setCameraSet", "camset.png", "画面调节", "HSL Set"},
    {"setWhiteboard", "board.png", "白板", "Board"},
    {"setImageList", "down.png", "收展", "Expanse"},
    {"setScrCon", "scrcon.png", "同屏对比", "Compare"},
    {"setFile", "file.png", "文件", "Folder"},
};

const RToolsLayout::Entry RToolsLayout::kSettingItems[RToolsLayout::kSettingItemCount] = {
    {"setLanguage", nullptr, "语言设置", "Language"},
    {"setSnapSetting", nullptr, "拍摄设置", "Snap Set"},
    {"setRecorder", nullptr, "录音录像", "Recorder"},
    {"setLessonRecord", nullptr, "录制课堂画面", "Record lesson view"},
    {"setShare", nullptr, "共享到学生设备", "Share to students"},
    {"setPublish", nullptr, "推流到服务器", "Publish to a server"},
    {"setCoverSet", nullptr, "水印设置", "Watermark"},
    {"setPDFTool", nullptr, "PDF转合", "PDF Maker"},
    {"setBarcode", nullptr, "扫二维码", "QR Code"},
    {"setOCR", nullptr, "文字识别", "OCR"},
    {"setDetect", nullptr, "故障检测", "Detect"},
    {"setAbout", nullptr, "关于软件", "About"},
};

const RToolsLayout::Entry RToolsLayout::kShapeItems[RToolsLayout::kShapeItemCount] = {
    {"setRectange", "rect.png", "矩形", "Rectangle"},
    {"setTriangle", "triangle.png", "三角形", "Triangle"},
    {"setEllipse", "ellipse.png", "椭圆", "Ellipse"},
    {"setStar", "star.png", "星形", "Star"},
    {"setDrawset", "drawset.png", "设置", "Draw Setting"},
};

const RToolsLayout::Entry RToolsLayout::kRotateItems[RToolsLayout::kRotateItemCount] = {
    {"setMirror", nullptr, "镜像", "Mirror"},
    {"setFlip", nullptr, "上下翻转", "Flip"},
};

int RToolsLayout::buttonWidthFor(int screenWidth)
{
    return screenWidth / 24;
}

int RToolsLayout::buttonHeightFor(int screenWidth)
{
    return qMax(screenWidth / 24, 68);
}

QSize RToolsLayout::iconSizeFor(int screenWidth)
{
    const int side = static_cast<int>(buttonWidthFor(screenWidth) * 0.6);
    return QSize(side, side);
}

int RToolsLayout::minimizeWidthFor(int screenWidth)
{
    const int w = buttonWidthFor(screenWidth);
    return w + static_cast<int>(0.2 * w);
}

int RToolsLayout::fontPixelSizeFor(int screenWidth)
{
    // Below 1920 the integer ratio is 0, which would be no font at all.
    return qMax(1, screenWidth / 1920) * 12;
}

QString RToolsLayout::settingMenuStyleSheet(int screenWidth, int fontPixelSize)
{
    const QString menu = QStringLiteral(
        "QMenu{background-color: rgb(68, 69, 73); border-width: 0px; color: rgb(0, 160, 230);}");
    if (screenWidth == 2560)
        return menu + QStringLiteral("QMenu::item{margin: 20px; font-size: %1px;}").arg(fontPixelSize);
    if (screenWidth == 3840)
        return menu + QStringLiteral("QMenu::item{margin-top: 20px; margin-bottom: 20px; margin-left: 30px; "
                                     "margin-right: 10px; font-size: %1px;}")
                          .arg(fontPixelSize);
    return QStringLiteral("QMenu::item{margin: 15px; font-size: %1px;}").arg(fontPixelSize);
}

QString RToolsLayout::shapesMenuStyleSheet(int fontPixelSize)
{
    return QStringLiteral("QMenu{background-color: rgb(68, 69, 73); border-width: 0px; color: rgb(0, 160, 230);}"
                          "QMenu::item{margin-left: 10px; padding-top: 15px; padding-bottom: 15px; "
                          "font-size: %1px;}")
        .arg(fontPixelSize);
}

int RToolsLayout::shapesMenuHeight(int screenWidth, double dpiScale)
{
    if (screenWidth == 2560 && dpiScale >= 2.25)
        return 361;
    if (screenWidth == 3840) {
        if (dpiScale > 2.25 && dpiScale <= 2.5)
            return 381;
        if (dpiScale > 2.5 && dpiScale <= 3.0)
            return 416;
        if (dpiScale > 3.0 && dpiScale <= 3.5)
            return 461;
    }
    return 336;
}

QPoint RToolsLayout::shapesMenuPos(int screenWidth, double dpiScale, int annotateX, int iconWidth, int toolBarY)
{
    int x = annotateX + iconWidth / 2;
    if (screenWidth == 2560)
        x -= 10;
    else if (screenWidth == 3840)
        x -= 20;
    return QPoint(x, toolBarY - shapesMenuHeight(screenWidth, dpiScale) + 10);
}
