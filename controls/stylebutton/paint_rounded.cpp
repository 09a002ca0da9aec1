// The Rounded look: a light button with a dark outline, 1-pixel cut corners and softened
// corner pixels; PaintRounded uses a fixed palette (orange hot accent, blue focus accent),
// PaintRoundedCustom derives every colour from BackColor and HighlightColor.
#include "painters.h"

#include "drawing.h"
#include "syscolours.h"

using namespace host;

void CutCornerInsides(QImage &dc, int w, int h, OleColor c)
{
    SetPixel(dc, 1, 1, c);
    SetPixel(dc, 1, h - 2, c);
    SetPixel(dc, w - 2, 1, c);
    SetPixel(dc, w - 2, h - 2, c);
}

void CutCornerNeighbours(QImage &dc, int w, int h, OleColor c)
{
    const QPoint points[] = {{0, 1}, {1, 0}, {1, h - 1}, {0, h - 2}, {w - 1, h - 2}, {w - 2, h - 1}, {w - 2, 0}, {w - 1, 1}};
    for (const QPoint &p : points)
        SetPixel(dc, p.x(), p.y(), c);
}

void CutCornerOutline(Surface &s, int w, int h, OleColor c)
{
    DrawLine(s, 2, 0, w - 2, 0, c);
    DrawLine(s, 0, 2, 0, h - 2, c);
    DrawLine(s, 2, h - 1, w - 2, h - 1, c);
    DrawLine(s, w - 1, 0, w - 1, h, c);
    CutCornerInsides(s.image(), w, h, c);
}

namespace {

// The twelve pixels of the disabled corners.
void disabledCorners(QImage &dc, int w, int h, OleColor c)
{
    const QPoint points[] = {{0, 1}, {1, 1}, {1, 0}, {0, h - 2}, {1, h - 2}, {1, h - 1},
                             {w - 1, 1}, {w - 2, 1}, {w - 2, 0}, {w - 1, h - 2}, {w - 2, h - 2}, {w - 2, h - 1}};
    for (const QPoint &p : points)
        SetPixel(dc, p.x(), p.y(), c);
}

// Outline and corner softening shared by the fixed-palette Normal, Hot and Pressed looks.
void fixedOutline(Surface &s, int w, int h)
{
    QImage &dc = s.image();
    // dark outline
    const OleColor outline = RGB(0, 60, 116);
    DrawLine(s, 1, 0, w - 1, 0, outline);
    DrawLine(s, 0, 1, 0, h - 1, outline);
    DrawLine(s, w - 1, 1, w - 1, h - 1, outline);
    DrawLine(s, 1, h - 1, w - 1, h - 1, outline);
    // corner softening, three rings
    CutCornerInsides(dc, w, h, RGB(72, 110, 144));
    CutCornerNeighbours(dc, w, h, RGB(106, 139, 162));
    const QPoint inner[] = {{1, 2}, {2, 1}, {2, h - 2}, {1, h - 3}, {w - 2, h - 3}, {w - 3, h - 2}, {w - 3, 1}, {w - 2, 2}};
    for (const QPoint &p : inner)
        SetPixel(dc, p.x(), p.y(), RGB(191, 199, 202));
}

// Four accent lines and the two side gradients of a lit button.
struct Accent
{
    OleColor top1, top2, bottom2, bottom1; // rows 1, 2, H-3, H-2
    OleColor sideFrom, sideTo;
};

void drawAccent(Surface &s, int w, int h, const Accent &a, bool bottomFirst)
{
    if (bottomFirst)
        DrawLine(s, 2, h - 2, w - 2, h - 2, a.bottom1);
    DrawLine(s, 2, 1, w - 2, 1, a.top1);
    DrawLine(s, 2, 2, w - 2, 2, a.top2);
    DrawLine(s, 2, h - 3, w - 2, h - 3, a.bottom2);
    if (!bottomFirst)
        DrawLine(s, 2, h - 2, w - 2, h - 2, a.bottom1);
    GradientRows(s, a.sideFrom, a.sideTo, 1, 2, 3, h - 5);
    GradientRows(s, a.sideFrom, a.sideTo, w - 3, 2, w - 1, h - 5);
}

} // namespace

void PaintRounded(Surface &s, const ButtonLook &look, int state)
{
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();

    switch (state) {
    case ButtonLook::Normal:
    case ButtonLook::Hot:
        s.setBackColor(GetSysColor(COLOR_BTNFACE));
        // face, lower band, right shading
        GradientRows(s, RGB(252, 252, 251), RGB(240, 240, 240), 1, 1, w - 2, 4);
        GradientRows(s, RGB(250, 250, 249), RGB(240, 240, 234), 1, 4, w - 2, h - 8);
        GradientRows(s, RGB(235, 235, 230), RGB(214, 208, 197), 1, h - 4, w - 2, 3);
        GradientRows(s, RGB(251, 251, 250), RGB(228, 226, 218), w - 3, 3, w - 2, h - 5);
        GradientRows(s, RGB(245, 244, 242), RGB(219, 215, 205), w - 2, 3, w - 1, h - 5);
        fixedOutline(s, w, h);
        if (state == ButtonLook::Hot) {
            // orange hot accent, with or without the focus
            drawAccent(s, w, h, {RGB(255, 240, 207), RGB(253, 216, 137), RGB(248, 179, 48), RGB(229, 151, 16),
                                 RGB(253, 216, 137), RGB(248, 179, 48)}, false);
        } else if (look.hasFocus) {
            // blue focus accent
            drawAccent(s, w, h, {RGB(206, 231, 255), RGB(188, 212, 246), RGB(137, 173, 228), RGB(105, 130, 238),
                                 RGB(188, 212, 246), RGB(137, 173, 228)}, true);
        }
        break;
    case ButtonLook::Pressed:
        s.setBackColor(GetSysColor(COLOR_BTNFACE));
        GradientRows(s, RGB(209, 204, 193), RGB(228, 227, 220), 2, 1, w - 1, 4);
        GradientRows(s, RGB(228, 227, 220), RGB(227, 226, 219), 2, 4, w - 1, h - 8);
        GradientRows(s, RGB(227, 226, 219), RGB(242, 241, 238), 3, h - 4, w - 1, 3);
        GradientRows(s, RGB(218, 216, 206), RGB(227, 226, 219), 1, 3, 2, h - 5);
        GradientRows(s, RGB(218, 216, 206), RGB(227, 226, 219), 2, 4, 3, h - 7);
        fixedOutline(s, w, h);
        break;
    case ButtonLook::Disabled:
        s.setBackColor(RGB(245, 244, 234));
        FrameBox(dc, 0, 0, w - 1, h - 1, RGB(201, 199, 186));
        disabledCorners(dc, w, h, RGB(216, 213, 199));
        break;
    default:
        break;
    }
}

void PaintRoundedCustom(Surface &s, const ButtonLook &look, int state)
{
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();
    const OleColor b = TranslateColor(look.backColor);
    const OleColor a = TranslateColor(look.highlightColor);
    const auto B = [b](int k) { return ShiftColor(b, k); };
    const auto A = [a](int k) { return ShiftColor(a, k); };

    switch (state) {
    case ButtonLook::Normal:
    case ButtonLook::Hot: {
        s.setBackColor(b);
        // face and side columns
        GradientRows(s, b, B(-15), 1, 1, w - 2, h - 3);
        GradientRows(s, B(21), B(-21), 1, 2, 2, h - 5);
        GradientRows(s, B(-5), B(-32), w - 2, 2, w - 3, h - 5);
        // inner highlight and shade lines
        DrawLine(s, 2, 1, w - 2, 1, B(5));
        DrawLine(s, 1, 2, w - 1, 2, B(2));
        DrawLine(s, 2, h - 4, w - 2, h - 4, B(-16));
        DrawLine(s, 2, h - 3, w - 2, h - 3, B(-24));
        DrawLine(s, 2, h - 2, w - 2, h - 2, B(-37));
        // dark outline
        CutCornerOutline(s, w, h, B(-128));
        CutCornerNeighbours(dc, w, h, B(-21));
        if (state == ButtonLook::Hot)
            drawAccent(s, w, h, {A(85), A(69), A(16), a, A(69), A(16)}, false);
        break;
    }
    case ButtonLook::Pressed: {
        // the background stays as it is
        GradientRows(s, B(-37), B(-21), 2, 1, w - 1, 4);
        GradientRows(s, B(-21), B(-5), 2, 4, w - 1, h - 8);
        GradientRows(s, B(-5), B(5), 3, h - 4, w - 1, 3);
        GradientRows(s, B(-32), B(-22), 1, 3, 2, h - 5);
        GradientRows(s, B(-24), B(-15), 2, 4, 3, h - 7);
        SetPixel(dc, 1, 2, B(-48));
        SetPixel(dc, 2, 1, B(-48));
        SetPixel(dc, 2, h - 2, B(-5));
        SetPixel(dc, 1, h - 3, B(-16));
        SetPixel(dc, w - 2, h - 3, B(18));
        SetPixel(dc, w - 3, h - 2, B(8));
        SetPixel(dc, w - 3, 1, B(-48));
        SetPixel(dc, w - 2, 2, B(-37));
        const OleColor outline = B(-128);
        DrawLine(s, 1, 0, w - 1, 0, outline);
        DrawLine(s, 0, 1, 0, h - 1, outline);
        DrawLine(s, w - 1, 1, w - 1, h - 1, outline);
        DrawLine(s, 1, h - 1, w - 1, h - 1, outline);
        CutCornerInsides(dc, w, h, B(-96));
        break;
    }
    case ButtonLook::Disabled:
        s.setBackColor(b);
        FrameBox(dc, 0, 0, w - 1, h - 1, B(-64));
        disabledCorners(dc, w, h, B(-53));
        break;
    default:
        break;
    }
}
