#pragma once

#include <QMetaType>

// The picture adjustments the camera's own image processing offers; the
// adjustment dialog has one slider for each, in this order.
enum class PictureAdjust { Brightness, Contrast, Saturation };

Q_DECLARE_METATYPE(PictureAdjust)
