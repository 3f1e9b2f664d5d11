#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

// The tool bar's tables (buttons, menu items, texts) and its sizes as plain
// functions of the screen, apart from the widget that uses them.
class RToolsLayout
{
public:
    struct Entry {
        const char *name;  // object name: the slot the entry runs
        const char *icon;  // under ":/Kelu/images/", or none
        const char *cn;
        const char *en;
    };
    enum { kButtonCount = 19, kSettingItemCount = 12, kShapeItemCount = 5, kRotateItemCount = 2 };
    static const Entry kButtons[kButtonCount];
    static const Entry kSettingItems[kSettingItemCount];
    static const Entry kShapeItems[kShapeItemCount];
    // The rotate button's menu: on/off items for the picture's orientation.
    static const Entry kRotateItems[kRotateItemCount];

    static int buttonWidthFor(int screenWidth);
    static int buttonHeightFor(int screenWidth);
    static QSize iconSizeFor(int screenWidth);
    static int minimizeWidthFor(int screenWidth);
    static int fontPixelSizeFor(int screenWidth);
    static QString settingMenuStyleSheet(int screenWidth, int fontPixelSize);
    static QString shapesMenuStyleSheet(int fontPixelSize);
    // Height the shapes menu is assumed to have when it is placed above the button.
    static int shapesMenuHeight(int screenWidth, double dpiScale);
    // Top-left of the shapes menu: annotateX is the annotate button's x within
    // the tool bar, toolBarY the tool bar's y on screen.
    static QPoint shapesMenuPos(int screenWidth, double dpiScale, int annotateX, int iconWidth, int toolBarY);
};
