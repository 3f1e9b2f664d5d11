#pragma once

// What a press on the live picture does, shown by its cursor and by the
// tool bar's selected button.
enum class CursorMode { Move, Pen, Erase, Spotlight };
