#pragma once
// The main window's own questions and warnings, worded in the interface
// language (1 English, any other value Chinese).

#include <QPoint>
#include <QString>

#include <optional>

class QWidget;

class RAppQuestions
{
public:
    // The camera cannot be used: true when the teacher asks for the detection, false to close.
    static bool cameraProblemDetect(int language, const QString &text, QWidget *parent);
    static bool confirmExit(int language, const std::optional<QPoint> &pos);
    // The detection found no usable device; the program closes after it.
    static void deviceUnusable(int language, QWidget *parent);
};
