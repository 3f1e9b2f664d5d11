#pragma once

#include <QPoint>

#include <optional>

class QWidget;

// The main window's own questions and warnings, in the interface language.
class RShellMessages
{
public:
    // "Confirm exit?"; true when the teacher chose to quit.
    static bool confirmExit(int langue, const std::optional<QPoint> &pos);
    // The camera cannot be used; the program ends after it.
    static void cannotUseDevice(int langue, QWidget *parent);
};
