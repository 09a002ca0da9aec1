// The window shapes of the button looks, built for a W x H surface. Polygons use the
// alternate (odd-even) fill rule; the rounded rectangle follows the system's rounded-region
// rule (the right and bottom edges are pulled in by one pixel).
#pragma once

#include <QRegion>

namespace host {

// 1-pixel cut corners: (0,1) (1,0) (W-1,0) (W,1) (W,H-2) (W-2,H) (2,H) (0,H-2).
QRegion MakeCutCornerRegion(int width, int height);
// 2- to 4-pixel cut corners: (0,2) (2,0) (W-3,0) (W,3) (W,H-3) (W-3,H) (4,H) (0,H-4).
QRegion MakeBevelCornerRegion(int width, int height);
// Rounded rectangle (0, 0, W + 1, H + 1) with an 18 x 18 corner ellipse.
QRegion MakeRoundRegion(int width, int height);

} // namespace host
