// The drawing layer the button looks are built from: solid one-pixel lines that leave out
// their end point, fills, frames, the system 3-D edges, single pixels, text with the caption
// formats, the colour arithmetic and the two-colour gradients. Everything is drawn without
// antialiasing, straight into the 32-bit scanlines of an image (a "device context" here is
// any QImage; the control's own surface is one of them).
#pragma once

#include "colour.h"
#include "surface.h"

#include <QImage>
#include <QString>
#include <stdexcept>

class QPainter;
class QPixmap;

namespace host {

// Rounds half to even, the rule for every float-to-integer conversion in the program.
int roundEven(double value);

// Raised by a gradient asked to spread its colours over zero steps; the paint that asked
// for it stops there.
class DivisionByZero : public std::domain_error
{
public:
    DivisionByZero() : std::domain_error("division by zero") {}
};

// --- colour arithmetic ------------------------------------------------------------------

// Every channel moved by delta and clamped to 0..255.
OleColor ShiftColor(OleColor colour, int delta);
// Every channel c becomes amount + ((255 - amount) * c) / 255 (truncating), at most 255.
OleColor Lighten(OleColor colour, int amount);
// The colour halfway between a and b, each channel rounded half to even.
OleColor BlendHalf(OleColor a, OleColor b);
// Colour of gradient step i of n from start to end (32-bit float steps, half to even).
// n == 0 raises DivisionByZero.
OleColor GradientStep(OleColor start, OleColor end, int i, int n);

// --- lines, pixels, fills ---------------------------------------------------------------

// A line from (x1, y1) towards (x2, y2); the end point itself is not painted.
void DrawLineOn(QImage &dc, int x1, int y1, int x2, int y2, OleColor colour);
void DrawLine(Surface &surface, int x1, int y1, int x2, int y2, OleColor colour);

void SetPixel(QImage &dc, int x, int y, OleColor colour);
// Colour of one pixel; -1 (kNoPixel) outside the image.
OleColor GetPixel(const QImage &dc, int x, int y);
constexpr OleColor kNoPixel = 0xFFFFFFFFu;

// One stored pixel of a batch: written together with one clip test per pixel and no
// per-pixel call overhead (the Pill corners are some 800 of them).
struct PixelWrite
{
    int x, y;
    OleColor colour;
};
void SetPixels(QImage &dc, const PixelWrite *pixels, int count);

// Fills (left, top)-(right, bottom), right and bottom excluded.
void FillRectColor(QImage &dc, int left, int top, int right, int bottom, OleColor colour);
void FillBox(QImage &dc, int left, int top, int width, int height, OleColor colour);
// Closed outline through (left,top), (left+width,top), (left+width,top+height), (left,top+height).
void FrameBox(QImage &dc, int left, int top, int width, int height, OleColor colour);

// --- system 3-D edges -------------------------------------------------------------------

enum EdgeBits : int {
    BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
};
enum EdgeSides : int { BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_RECT = 0xF };

// The system edge of `edge` on the sides in `flags` around (left, top)-(right, bottom),
// coloured from the current system colours.
void DrawEdge(QImage &dc, int left, int top, int right, int bottom, int edge, int flags);
// DrawEdge on the rectangle rounded half to even from 32-bit float left, top, width, height.
void DrawEdgeBox(QImage &dc, float left, float top, float width, float height, int edge, int flags);

// --- gradients --------------------------------------------------------------------------

// Rows y..y+n, each a line (x1, y+i) -> (x2, y+i) in gradient step i of n. n < 0 draws
// nothing; n == 0 raises DivisionByZero.
void GradientRowsOn(QImage &dc, OleColor start, OleColor end, int x1, int y, int x2, int n);
void GradientRows(Surface &surface, OleColor start, OleColor end, int x1, int y, int x2, int n);
// Columns x1..x2, each a line (x, y1) -> (x, y2) in step x - x1 of x2 - x1.
void GradientColumns(Surface &surface, OleColor start, OleColor end, int x1, int y1, int x2, int y2);

// Two offset frames (outer, then inner one pixel in) with corner pixels softened.
void DrawEtchedFrame(Surface &surface, int left, int top, int width, int height,
                     OleColor outer, OleColor inner, OleColor corner);

// --- text -------------------------------------------------------------------------------

enum TextFormat : unsigned {
    DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
    DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_NOPREFIX = 0x800,
};

// Draws text into (left, top)-(right, bottom) in the surface's text colour and font, over
// what lies beneath, laid out by the DT_* flags. Without DT_NOPREFIX an "&" underlines the
// letter after it ("&&" draws one "&").
void DrawText(Surface &surface, const QString &text, int left, int top, int right, int bottom,
              unsigned format);

// --- pictures ---------------------------------------------------------------------------

// Draws the whole picture stretched into width x height pixels at (x, y), unsmoothed.
// Nothing for an empty box.
void DrawPicture(Surface &surface, const QPixmap &picture, int x, int y, int width, int height);

// Every pixel of the box left..right, top..bottom (both ends included, clipped to the
// surface) that differs from the pixel at `reference` takes `colour`. The reference is read
// again for each pixel, so a box over the reference pixel changes what follows it.
void ShadeChangedPixels(Surface &surface, int left, int top, long long right, long long bottom,
                        QPoint reference, OleColor colour);

// --- showing ----------------------------------------------------------------------------

// Shows the surface on `painter` (in surface pixels, whatever the painter's device pixel
// ratio): its pixels as whole blocks, without smoothing, then what it kept (text, pictures,
// shades) in the order drawn, at the device's resolution.
void ShowSurface(QPainter &painter, const Surface &surface);

} // namespace host
