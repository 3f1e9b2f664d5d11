#pragma once

#include "RStoredEnum.h"

#include <QMetaType>

// How captures are taken, coloured and named, and which stream the camera
// sends. Colour, naming and stream are kept in the settings store and the
// snap mode follows the capture dialog's list: the numbers must not change.

enum class SnapMode { Manual = 0, Timed = 1, OnChange = 2 };

enum class ColourMode { Colour = 0, Grey = 1, BlackWhite = 2 };

// Time-stamped names, or a prefix and a running number.
enum class NameMode { Time = 0, Number = 1 };

// Motion JPEG keeps the picture fluent; raw YUYV, where offered, sharper.
enum class VideoQuality { Fluent = 0, HighDefinition = 1 };

template <> struct RStoredRange<SnapMode> : RStoredSpan<0, 2> {};
template <> struct RStoredRange<ColourMode> : RStoredSpan<0, 2> {};
template <> struct RStoredRange<NameMode> : RStoredSpan<0, 1> {};
template <> struct RStoredRange<VideoQuality> : RStoredSpan<0, 1> {};

Q_DECLARE_METATYPE(SnapMode)
Q_DECLARE_METATYPE(ColourMode)
Q_DECLARE_METATYPE(NameMode)
Q_DECLARE_METATYPE(VideoQuality)
