// The Soft look: a gently shaded face with a bright upper-left bevel, an outline with
// bevelled corners and a soft shadow along the bottom and right edges.
#include "painters.h"

#include "drawing.h"
#include "syscolours.h"

using namespace host;

void PaintSoft(Surface &s, const ButtonLook &look, int state)
{
    if (state < ButtonLook::Normal || state > ButtonLook::Disabled)
        return;
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();
    const OleColor face = GetSysColor(COLOR_BTNFACE);
    const OleColor b = FaceColour(look, look.backColor, face);
    const bool pressed = state == ButtonLook::Pressed;
    const OleColor st = state == ButtonLook::Normal
                            ? b
                            : (look.useCustomColors ? TranslateColor(look.highlightColor) : ShiftColor(face, 15));
    // The focus darkens the outline, and the shadow follows the (clamped) outline.
    const OleColor outline = ShiftColor(b, (look.hasFocus && !pressed) ? -96 : -48);
    const OleColor shadow = ShiftColor(outline, 21);

    s.setBackColor(st);
    // face
    if (pressed)
        GradientRows(s, ShiftColor(st, -15), ShiftColor(st, 15), 2, 2, w - 3, h - 6);
    else
        GradientRows(s, ShiftColor(st, 15), ShiftColor(st, -15), 2, 2, w - 3, h - 6);
    // bevel: bright upper-left, plain lower-right (swapped when pressed)
    const OleColor bright = ShiftColor(st, 96);
    DrawLine(s, 2, 1, w - 3, 1, pressed ? st : bright);
    DrawLine(s, 1, 2, 1, h - 3, pressed ? st : bright);
    DrawLine(s, 2, h - 3, w - 2, h - 3, pressed ? bright : st);
    DrawLine(s, w - 2, 2, w - 2, h - 3, pressed ? bright : st);
    // outline
    DrawLine(s, 2, 0, w - 3, 0, outline);
    DrawLine(s, 0, 2, 0, h - 3, outline);
    DrawLine(s, 2, h - 2, w - 3, h - 2, outline);
    DrawLine(s, w - 2, 2, w - 2, h - 3, outline);
    SetPixel(dc, 1, 1, outline);
    SetPixel(dc, 1, h - 3, outline);
    SetPixel(dc, w - 3, 1, outline);
    SetPixel(dc, w - 3, h - 3, outline);
    // soft shadow
    DrawLine(s, 3, h - 1, w - 4, h - 1, shadow);
    DrawLine(s, w - 1, 3, w - 1, h - 4, shadow);
    DrawLine(s, w - 4, h - 1, w, h - 5, shadow);
    DrawLine(s, w - 3, h - 1, w, h - 4, ShiftColor(shadow, 15));
}
