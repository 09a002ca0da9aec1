// System colours: the desktop's current scheme, read from the application palette at each
// call (never cached), and the translation of colour values that refer to them.
#pragma once

#include "colour.h"

#include <map>

namespace host {

// RGB of system colour `index` (COLOR_BTNFACE, ...) in the current palette.
OleColor GetSysColor(int index);

// Resolves a colour value to RGB: a plain RGB value comes back unchanged, a system-colour
// reference (high bit set) is looked up; -1 (0xFFFFFFFF) when it cannot be translated.
OleColor TranslateColor(OleColor colour);
constexpr OleColor kTranslateFailed = 0xFFFFFFFFu;

// Pins system colour `index` to the RGB value `colour` (tests and the render tool use it to
// paint under a chosen scheme); GetSysColor and TranslateColor answer it until cleared.
void setSysColorOverride(int index, OleColor colour);
void clearSysColorOverrides();
// All the pins at once, index to RGB; returns the set it replaces.
using SysColorOverrides = std::map<int, OleColor>;
SysColorOverrides setSysColorOverrides(SysColorOverrides overrides);

} // namespace host
