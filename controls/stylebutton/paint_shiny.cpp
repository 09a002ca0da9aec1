// The Shiny look: a strongly shaded face, a hard white-to-dark rim at the left and right,
// bevelled inner columns split at mid-height, a bright top band with a sheen and a dark
// base. Its 38 drawing steps are a table: the geometry is the same in every state, only the
// state colour S moves.
#include "painters.h"

#include "drawing.h"
#include "syscolours.h"

using namespace host;

namespace {

// A coordinate or count as written in the table: w*W + h*H + c, halved (ties to even) when
// `half` is set.
struct Coord
{
    int w = 0, h = 0, c = 0;
    bool half = false;
    int at(int width, int height) const
    {
        const long long v = static_cast<long long>(w) * width + static_cast<long long>(h) * height + c;
        return half ? roundEven(static_cast<double>(v) / 2.0) : static_cast<int>(v);
    }
};
constexpr Coord K(int c) { return {0, 0, c, false}; }
constexpr Coord Wm(int c) { return {1, 0, c, false}; }      // W + c
constexpr Coord Hm(int c) { return {0, 1, c, false}; }      // H + c
constexpr Coord Half(int c) { return {0, 1, c, true}; }     // (H + c) / 2

enum class Op { Rows, Columns, Line, Pixel };

// Rows: x1, y, x2, n. Columns: x1, y1, x2, y2. Line: x1, y1, x2, y2. Pixel: x, y.
// Colours are shifts of S: `from` for lines and pixels, `from` -> `to` for gradients.
struct Step
{
    Op op;
    int from, to;
    Coord a, b, c, d;
};

constexpr Step kSteps[38] = {
    // face
    {Op::Rows, 32, -32, K(5), K(2), Wm(-5), Hm(-6)},
    // left rim
    {Op::Rows, 128, -128, K(0), K(0), K(1), Hm(-4)},
    // left bevel columns, upper halves
    {Op::Rows, 0, -37, K(2), K(4), K(3), Half(-14)},
    {Op::Rows, 0, -53, K(3), K(3), K(4), Half(-14)},
    {Op::Rows, 0, -37, K(4), K(2), K(5), Half(-14)},
    {Op::Rows, 37, 5, K(5), K(2), K(6), Half(-8)},
    // left bevel columns, lower halves
    {Op::Rows, -37, -32, K(2), Half(-4), K(3), Half(-10)},
    {Op::Rows, -53, -32, K(3), Half(-6), K(4), Half(-6)},
    {Op::Rows, -37, -32, K(4), Half(-8), K(5), Half(-2)},
    {Op::Rows, 5, -5, K(5), Half(-8), K(6), Half(-6)},
    // lower left corner shading
    {Op::Columns, -53, -32, K(5), Hm(-5), K(12), Hm(-6)},
    {Op::Columns, -56, -32, K(4), Hm(-6), K(7), Hm(-7)},
    {Op::Columns, -37, -32, K(3), Hm(-7), K(5), Hm(-8)},
    // right rim, the outermost column split at mid-height
    {Op::Rows, 128, -128, Wm(-2), K(0), Wm(-1), Hm(-4)},
    {Op::Rows, 128, -48, Wm(-1), K(0), Wm(0), Half(0)},
    {Op::Rows, -64, -8, Wm(-1), Half(0), Wm(0), Half(-8)},
    // right bevel columns, upper halves
    {Op::Rows, 0, -37, Wm(-4), K(4), Wm(-3), Half(-10)},
    {Op::Rows, 0, -48, Wm(-5), K(3), Wm(-4), Half(-8)},
    {Op::Rows, 0, -37, Wm(-6), K(2), Wm(-5), Half(-6)},
    {Op::Rows, 37, 5, Wm(-7), K(2), Wm(-6), Half(-8)},
    // right bevel columns, lower halves
    {Op::Rows, -37, -21, Wm(-4), Half(0), Wm(-3), Half(-10)},
    {Op::Rows, -48, -37, Wm(-5), Half(0), Wm(-4), Half(-10)},
    {Op::Rows, -37, -53, Wm(-6), Half(0), Wm(-5), Half(-8)},
    {Op::Rows, -5, -37, Wm(-7), Half(0), Wm(-6), Half(-8)},
    // lower right corner shading
    {Op::Columns, -32, -53, Wm(-15), Hm(-4), Wm(-7), Hm(-3)},
    // top band and sheen
    {Op::Line, 48, 0, K(3), K(0), Wm(-3), K(0)},
    {Op::Line, 48, 0, K(1), K(1), Wm(-1), K(1)},
    {Op::Line, 0, 0, K(5), K(1), Wm(-5), K(1)},
    {Op::Columns, 32, 0, Wm(-11), K(2), Wm(-4), K(3)},
    {Op::Columns, 32, 0, Wm(-10), K(3), Wm(-5), K(4)},
    {Op::Columns, 32, 0, Wm(-9), K(4), Wm(-6), K(5)},
    {Op::Line, 128, 0, K(6), K(3), K(7), K(3)},
    // base
    {Op::Line, -16, 0, K(3), Hm(-1), Wm(-3), Hm(-1)},
    {Op::Line, -128, 0, K(2), Hm(-2), Wm(-3), Hm(-2)},
    {Op::Line, 0, 0, K(7), Hm(-3), Wm(-7), Hm(-3)},
    {Op::Pixel, -112, 0, K(1), Hm(-3), K(0), K(0)},
    {Op::Pixel, -112, 0, Wm(-3), Hm(-3), K(0), K(0)},
    {Op::Line, -21, 0, Wm(-4), Hm(-1), Wm(-1), Hm(-4)},
};

} // namespace

void PaintShiny(Surface &s, const ButtonLook &look, int state)
{
    if (state < ButtonLook::Normal || state > ButtonLook::Disabled)
        return;
    const int w = s.width(), h = s.height();
    const OleColor face = GetSysColor(COLOR_BTNFACE);
    const OleColor b = FaceColour(look, look.backColor, face);
    const OleColor a = FaceColour(look, look.highlightColor, face);
    OleColor st = 0;
    switch (state) {
    case ButtonLook::Normal: st = ShiftColor(b, -15); break;
    case ButtonLook::Hot: st = ShiftColor(a, 1); break;
    case ButtonLook::Pressed: st = ShiftColor(a, 24); break;
    default: st = ShiftColor(b, 15); break;
    }

    s.setBackColor(st);
    for (const Step &step : kSteps) {
        const int p = step.a.at(w, h), q = step.b.at(w, h), r = step.c.at(w, h), t = step.d.at(w, h);
        const OleColor from = ShiftColor(st, step.from);
        switch (step.op) {
        case Op::Rows: GradientRows(s, from, ShiftColor(st, step.to), p, q, r, t); break;
        case Op::Columns: GradientColumns(s, from, ShiftColor(st, step.to), p, q, r, t); break;
        case Op::Line: DrawLine(s, p, q, r, t, from); break;
        case Op::Pixel: SetPixel(s.image(), p, q, from); break;
        }
    }
}
