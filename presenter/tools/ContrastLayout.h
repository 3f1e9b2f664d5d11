#pragma once

#include <QMetaType>

// How the compare view shares its space; each has a button on the camera
// pane, in this order.
enum class ContrastLayout { FourPanes, SideBySide, OneAboveOther };

Q_DECLARE_METATYPE(ContrastLayout)
