#pragma once

#include "RStoredEnum.h"

#include <QMetaType>

// The interface language. The numbers are what the settings store keeps
// under "System/Langue" and must not change.
enum class UiLanguage { Chinese = 0, English = 1 };

template <> struct RStoredRange<UiLanguage> : RStoredSpan<0, 1> {};

Q_DECLARE_METATYPE(UiLanguage)
