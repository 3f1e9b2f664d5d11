#pragma once

#include "UiLanguage.h"

#include <QPoint>
#include <optional>

// The "clear the screen?" question asked when the whiteboard is switched with
// annotations shown, placed by the screen's size and scale.
class RClearQuestion
{
public:
    // Where the question goes; no value keeps the default position.
    static std::optional<QPoint> boxPos(int screenWidth, int screenHeight, double scale);
    // Asks in the interface language; true when the teacher chose to clear.
    static bool ask(UiLanguage langue, double dpiScale);
};
