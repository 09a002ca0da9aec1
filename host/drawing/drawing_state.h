// Program-wide state of the drawing layer, every piece in one list:
//   - system colour pins (syscolours.cpp): a test seam; tests and the render tool paint
//     under a chosen scheme with them. Scoped: ScopedSysColors.
//   - the caption layouts DrawText keeps (drawing.cpp): a cache of the last 16 captions,
//     keyed by text, font, rectangle, format and surface.
//   - the decoding memory pictures share (picture_cost.cpp): a budget every load takes from and
//     gives back, full whenever no picture is loading; never reset.
//   - Qt's image allocation limit (picture.cpp): set once per process at the first load.
// resetDrawingState puts all of it back as a fresh process has it; every test's init() runs
// the reset of the libraries it links.
#pragma once

#include "scopedseam.h"
#include "syscolours.h"

namespace host {

using ScopedSysColors = ScopedSeam<&setSysColorOverrides>;

// Drops the caption layouts DrawText keeps.
void forgetTextLayouts();

void resetDrawingState();

} // namespace host
