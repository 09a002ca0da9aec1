// The Gradient look: a face shaded top to bottom, shaded inner side columns, a dark outline
// with 1-pixel cut corners, softened corners and, when hot or idle with the focus, a
// four-line accent in the highlight colour.
#include "painters.h"

#include "drawing.h"
#include "syscolours.h"

using namespace host;

namespace {

// Per state: shift of the state colour, face gradient (shifts of S) and its extra row,
// left and right column gradients (shifts of S), corner colour (shift of B).
struct GradientLook
{
    int stateShift;
    int faceFrom, faceTo, faceRowsLess; // n = H - faceRowsLess
    int leftFrom, leftTo;
    int rightFrom, rightTo;
    int cornerShift;
};

constexpr GradientLook kLooks[] = {
    /* Normal   */ {8, 15, -15, 3, 21, -21, -5, -32, -21},
    /* Hot      */ {24, 16, -16, 3, 21, -21, -5, -32, -21},
    /* Pressed  */ {-9, -15, 0, 2, -32, -5, -21, 21, -21},
    /* Disabled */ {18, 15, -15, 3, 21, -21, -5, -32, 5},
};

} // namespace

void PaintGradient(Surface &s, const ButtonLook &look, int state)
{
    if (state < ButtonLook::Normal || state > ButtonLook::Disabled)
        return;
    const GradientLook &rows = kLooks[state - 1];
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();
    const OleColor b = FaceColour(look, look.backColor, GetSysColor(COLOR_BTNFACE));
    const OleColor a = FaceColour(look, look.highlightColor, GetSysColor(COLOR_HIGHLIGHT));
    const OleColor st = ShiftColor(b, rows.stateShift);
    const auto S = [st](int k) { return ShiftColor(st, k); };
    const auto B = [b](int k) { return ShiftColor(b, k); };
    const auto A = [a](int k) { return ShiftColor(a, k); };
    const bool pressed = state == ButtonLook::Pressed;

    if (!pressed)
        s.setBackColor(st);
    // face
    GradientRows(s, S(rows.faceFrom), S(rows.faceTo), 1, 1, w - 2, h - rows.faceRowsLess);
    // inner columns (the pressed look lays the right one first)
    if (pressed)
        GradientRows(s, S(rows.rightFrom), S(rows.rightTo), w - 2, 2, w - 3, h - 5);
    GradientRows(s, S(rows.leftFrom), S(rows.leftTo), 1, 2, 2, h - 5);
    if (!pressed)
        GradientRows(s, S(rows.rightFrom), S(rows.rightTo), w - 2, 2, w - 3, h - 5);
    // dark outline
    CutCornerOutline(s, w, h, S(-96));
    // softened corners
    CutCornerNeighbours(dc, w, h, B(rows.cornerShift));
    // inner lines
    if (state == ButtonLook::Normal || state == ButtonLook::Disabled) {
        DrawLine(s, 2, 1, w - 2, 1, B(21));
        DrawLine(s, 2, h - 2, w - 2, h - 2, B(-37));
    } else if (pressed) {
        DrawLine(s, 2, h - 2, w - 2, h - 2, B(8));
        DrawLine(s, 2, 1, w - 2, 1, B(-21));
    }
    // accent
    if (state == ButtonLook::Hot || (state == ButtonLook::Normal && look.hasFocus)) {
        DrawLine(s, 2, 1, w - 2, 1, A(21));
        DrawLine(s, 1, 2, w - 1, 2, A(21));
        DrawLine(s, 1, h - 3, w - 1, h - 3, A(-5));
        DrawLine(s, 2, h - 2, w - 2, h - 2, A(-21));
    }
}
