#pragma once

#include <QPoint>
#include <QString>
#include <optional>

class QWidget;

// The questions and warnings the main window puts to the teacher, in the
// interface language (1 English, any other value Chinese).
class RTavMessages
{
public:
    // Why the camera cannot be used, empty when it can: not opened (the
    // camera service missing, no camera, or busy) or opened but busy.
    static QString cameraFailure(int langue, bool opened, bool busy, bool serviceMissing);
    // The camera warning with [Detect] and [Close]; true when detect was chosen.
    static bool askDetect(QWidget *parent, int langue, const QString &text);
    // The exit question, at `pos` when given; true when the teacher exits.
    static bool confirmExit(int langue, std::optional<QPoint> pos);
    // After a detection that found no usable camera; the window closes next.
    static void cannotUseDevice(QWidget *parent, int langue);
};
