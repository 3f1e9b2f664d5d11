#pragma once

#include <QPoint>
#include <QString>
#include <optional>

#include "UiLanguage.h"

class QWidget;

// The questions and warnings the main window puts to the teacher, in the
// interface language.
class RTavMessages
{
public:
    // Why the camera cannot be used, empty when it can: not opened (the
    // camera service missing, no camera, or busy) or opened but busy.
    static QString cameraFailure(UiLanguage langue, bool opened, bool busy, bool serviceMissing);
    // The camera warning with [Detect] and [Close]; true when detect was chosen.
    static bool askDetect(QWidget *parent, UiLanguage langue, const QString &text);
    // The exit question, at `pos` when given; true when the teacher exits.
    static bool confirmExit(UiLanguage langue, std::optional<QPoint> pos);
    // After a detection that found no usable camera; the window closes next.
    static void cannotUseDevice(QWidget *parent, UiLanguage langue);
};
