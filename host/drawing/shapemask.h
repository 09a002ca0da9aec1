// Window shapes for the black colour key: the set of pixels of a frame that are not pure
// black, either read from the frame's pixels or, when it is known that nothing drawn can
// come out black, from the outline of what was drawn.
#pragma once

#include <QPointF>
#include <QRegion>
#include <QSize>
#include <vector>

namespace host {

// Pixels whose blue, green and red are all 0 are left out; alpha is not looked at.
// `pixels` holds `height` rows of `stride` bytes, 4 bytes a pixel (blue, green, red, alpha),
// the bottom row first when `bottomUp` (as OpenGL reads a frame back).
QRegion regionFromBgra(const unsigned char *pixels, int width, int height, qsizetype stride,
                       bool bottomUp);

// The pixels whose centres lie inside the convex polygon through `points` (window pixels,
// y down; pixel (x, y) has its centre at (x + 0.5, y + 0.5)), clipped to `size`.
// The points need not be ordered: their convex hull is taken.
QRegion regionFromConvexPoints(std::vector<QPointF> points, QSize size);

} // namespace host
