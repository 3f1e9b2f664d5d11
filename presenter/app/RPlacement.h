#pragma once

#include <QPoint>
#include <optional>

// Where the shell places its modal dialogs. The positions were tuned per
// screen width and scale band; any other width or band keeps Qt's default
// position, which is what std::nullopt means here.
class RPlacement
{
public:
    // Dialogs placed by the main window.
    enum MainDialog { CaptureSettings, DeviceDetection, ConfirmExit, Watermark, PenSettings };
    // Dialogs placed by the tool bar.
    enum ToolDialog { Language, About, PdfMaker, TextRecognition };

    // Scale bands: 0 for s <= 1.0, then (1.0,1.25] 1, (1.25,1.5] 2,
    // (1.5,1.75] 3, (1.75,2.0] 4, (2.0,2.25] 5, (2.25,2.5] 6, (2.5,3.0] 7,
    // (3.0,3.5] 8; -1 above 3.5 (or NaN).
    static int scaleBand(double scale);

    // Vertical offset k of a dialog, if the table has one.
    static std::optional<int> mainDialogOffset(MainDialog dialog, int screenWidth, double scale);
    static std::optional<int> toolDialogOffset(ToolDialog dialog, int screenWidth, double scale);

    // Top-left corner of a main-window dialog. toolBarTop is the tool bar's
    // y on screen; the confirm box and the pen popup hang from the screen
    // bottom instead.
    static std::optional<QPoint> mainDialogPos(MainDialog dialog, int screenWidth, int screenHeight,
                                               double scale, int toolBarTop);

    // Top-left corner of a tool-bar dialog: language and About take the
    // settings button's x within the tool bar, the others x = 10.
    static std::optional<QPoint> toolDialogPos(ToolDialog dialog, int screenWidth, double scale,
                                               int settingsButtonX, int toolBarTop);
};
