// The Pill look: a round-cornered button drawn from one of three fixed colour patterns,
// whatever the colour properties say.
#include "painters.h"

#include "drawing.h"
#include "pill_patterns.h"

using namespace host;

namespace {

const PillPattern &patternFor(int state, bool focus)
{
    switch (state) {
    case ButtonLook::Normal:
    case ButtonLook::Disabled: return focus ? kPillLit : kPillIdle;
    case ButtonLook::Hot: return kPillLit;
    default: return kPillDown;
    }
}

// The corner blocks, some 800 single pixels, written as one batch.
void drawCorners(QImage &dc, const PillPattern &pattern, int w, int h)
{
    constexpr int kMaxPixels = 4 * 18 * 13;
    std::array<PixelWrite, kMaxPixels> batch;
    int n = 0;
    for (const PillCorner &corner : pattern.corners) {
        Q_ASSERT(n + corner.count <= kMaxPixels); // the patterns fit the batch
        for (int k = 0; k < corner.count && n < kMaxPixels; ++k) {
            const PillPixel &p = corner.pixels[k];
            batch[n++] = {corner.fromRight ? w - 1 - p.across : p.across,
                          corner.fromBottom ? h - 1 - p.down : p.down, p.colour};
        }
    }
    SetPixels(dc, batch.data(), n);
}

} // namespace

void PaintPill(Surface &s, const ButtonLook &look, int state)
{
    const PillPattern &pattern = patternFor(state, look.hasFocus);
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();

    FillBox(dc, 18, 11, w - 34, h - 19, pattern.face);
    drawCorners(dc, pattern, w, h);
    // edge columns, left then right, over rows 11..H-11
    for (int x = 0; x < 18; ++x)
        DrawLine(s, x, 11, x, h - 10, pattern.left[x]);
    for (int k = 0; k < 17; ++k)
        DrawLine(s, w - 17 + k, 11, w - 17 + k, h - 10, pattern.right[k]);
    // edge rows, top then bottom, over columns 17..W-18; they overwrite the corners they cross
    for (int y = 0; y < 12; ++y)
        DrawLine(s, 17, y, w - 17, y, pattern.top[y]);
    for (int k = 0; k < 11; ++k)
        DrawLine(s, 17, h - 11 + k, w - 17, h - 11 + k, pattern.bottom[k]);
}
