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

// Makes every pure black pixel (blue, green and red all 0) fully transparent, as the
// colour key would leave it out; other pixels keep their alpha. Same layout as above.
void keyBlackToAlpha(unsigned char *pixels, int width, int height, qsizetype stride);

// A region of device pixels in window pixels at `ratio` device pixels per window pixel,
// each band rounded outwards so no pixel of it is left out.
QRegion windowPixelRegion(const QRegion &deviceRegion, double ratio);

// The convex hull of `points`, one way round, without repeated points.
std::vector<QPointF> convexHull(std::vector<QPointF> points);

// The pixels whose centres lie inside the convex polygon through `points` (window pixels,
// y down; pixel (x, y) has its centre at (x + 0.5, y + 0.5)), clipped to `size`.
// The points need not be ordered: their convex hull is taken.
QRegion regionFromConvexPoints(std::vector<QPointF> points, QSize size);

} // namespace host
