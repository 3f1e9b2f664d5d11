#include "RPlacement.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int kNone = -1;
using Row = std::array<int, 9>;

// One row per screen width 1920, 2560, 3840; kNone where the table is empty.
struct Table {
    Row w1920, w2560, w3840;
};

constexpr Table kCapture = {{{232, 266, 315, 362, kNone, kNone, kNone, kNone, kNone}},
                            {{232, 266, 315, 362, 402, 437, kNone, kNone, kNone}},
                            {{232, 266, 315, 362, 402, 437, 481, 580, 663}}};
constexpr Table kDetect = {{{307, 312, 317, 343, kNone, kNone, kNone, kNone, kNone}},
                           {{307, 312, 317, 343, 363, 383, kNone, kNone, kNone}},
                           {{307, 312, 317, 343, 363, 383, 408, 483, 544}}};
// 1920 is listed by range rather than band: 335 for (2.0, 3.0], 355 above 3.0
// (the value beyond 3.5 is handled in mainDialogOffset).
constexpr Table kConfirm = {{{245, 258, 278, 295, 315, 335, 335, 335, 355}},
                            {{258, 281, 341, 358, 377, 392, kNone, kNone, kNone}},
                            {{258, 281, 341, 358, 377, 412, 462, 499, 535}}};
constexpr Table kWatermark = {{{621, 659, 712, 766, kNone, kNone, kNone, kNone, kNone}},
                              {{621, 659, 712, 766, 814, 856, kNone, kNone, kNone}},
                              {{621, 659, 712, 766, 814, 856, 906, 1018, 1116}}};
constexpr Table kPen = {{{217, 228, 243, 261, kNone, kNone, kNone, kNone, kNone}},
                        {{217, 228, 243, 261, 271, 297, kNone, kNone, kNone}},
                        {{217, 228, 243, 261, 271, 277, 327, 365, 381}}};

constexpr Table kLanguage = {{{139, 160, 189, 220, kNone, kNone, kNone, kNone, kNone}},
                             {{139, 160, 189, 220, 242, 261, kNone, kNone, kNone}},
                             {{139, 160, 189, 220, 242, 261, 285, 349, 394}}};
constexpr Table kAbout = {{{112, 124, 139, 158, kNone, kNone, kNone, kNone, kNone}},
                          {{112, 124, 139, 158, 167, 176, kNone, kNone, kNone}},
                          {{112, 124, 139, 158, 167, 176, 186, 225, 245}}};
constexpr Table kPdfMaker = {{{791, 811, 838, 866, kNone, kNone, kNone, kNone, kNone}},
                             {{791, 811, 838, 866, 890, 906, kNone, kNone, kNone}},
                             {{791, 811, 838, 866, 890, 906, 928, 991, 1029}}};
constexpr Table kOcr = {{{493, 507, 526, 548, kNone, kNone, kNone, kNone, kNone}},
                        {{493, 507, 526, 548, 562, 572, kNone, kNone, kNone}},
                        {{493, 507, 526, 548, 562, 572, 586, 633, 657}}};

std::optional<int> lookup(const Table &table, int screenWidth, double scale)
{
    const int band = RPlacement::scaleBand(scale);
    if (band < 0)
        return std::nullopt;
    const Row *row = nullptr;
    switch (screenWidth) {
    case 1920: row = &table.w1920; break;
    case 2560: row = &table.w2560; break;
    case 3840: row = &table.w3840; break;
    default: return std::nullopt;
    }
    const int k = (*row)[static_cast<size_t>(band)];
    if (k == kNone)
        return std::nullopt;
    return k;
}

} // namespace

int RPlacement::scaleBand(double scale)
{
    static constexpr std::array<double, 9> upper = {1.0, 1.25, 1.5, 1.75, 2.0, 2.25, 2.5, 3.0, 3.5};
    if (std::isnan(scale))
        return -1;
    for (size_t i = 0; i < upper.size(); ++i) {
        if (scale <= upper[i])
            return static_cast<int>(i);
    }
    return -1;
}

std::optional<int> RPlacement::mainDialogOffset(MainDialog dialog, int screenWidth, double scale)
{
    switch (dialog) {
    case CaptureSettings: return lookup(kCapture, screenWidth, scale);
    case DeviceDetection: return lookup(kDetect, screenWidth, scale);
    case ConfirmExit:
        if (screenWidth == 1920 && scale > 3.5)
            return 355;
        return lookup(kConfirm, screenWidth, scale);
    case Watermark: return lookup(kWatermark, screenWidth, scale);
    case PenSettings: return lookup(kPen, screenWidth, scale);
    }
    return std::nullopt;
}

std::optional<int> RPlacement::toolDialogOffset(ToolDialog dialog, int screenWidth, double scale)
{
    switch (dialog) {
    case Language: return lookup(kLanguage, screenWidth, scale);
    case About: return lookup(kAbout, screenWidth, scale);
    case PdfMaker: return lookup(kPdfMaker, screenWidth, scale);
    case TextRecognition: return lookup(kOcr, screenWidth, scale);
    }
    return std::nullopt;
}

std::optional<QPoint> RPlacement::mainDialogPos(MainDialog dialog, int screenWidth, int screenHeight,
                                                double scale, int toolBarTop)
{
    const std::optional<int> k = mainDialogOffset(dialog, screenWidth, scale);
    if (!k)
        return std::nullopt;
    switch (dialog) {
    case CaptureSettings: return QPoint(10, toolBarTop - *k);
    case DeviceDetection: return QPoint(50, toolBarTop - *k);
    case ConfirmExit: return QPoint(20, screenHeight - *k);
    case Watermark: return QPoint(10, toolBarTop - *k);
    case PenSettings: {
        // The pen popup hangs from the screen bottom by one tool button.
        const int u = std::max(screenWidth / 24, 68);
        const int x = screenWidth == 1920 ? 490 : screenWidth == 2560 ? 706 : 1130;
        return QPoint(x, screenHeight - u - *k);
    }
    }
    return std::nullopt;
}

std::optional<QPoint> RPlacement::toolDialogPos(ToolDialog dialog, int screenWidth, double scale,
                                                int settingsButtonX, int toolBarTop)
{
    const std::optional<int> k = toolDialogOffset(dialog, screenWidth, scale);
    if (!k)
        return std::nullopt;
    const int x = (dialog == Language || dialog == About) ? settingsButtonX : 10;
    return QPoint(x, toolBarTop - *k);
}
