// The StyleButton looks: one painter per family, each drawing the background and frame of
// its style for a given button state through the host drawing layer. Refresh (in
// paint_dispatch.cpp) picks the painter, then draws the caption and the icon on top.
// Also here: the layout rules the control's resize step uses (rectangles, caption format,
// window shape), and PaintRig, a control whose fields can be set directly for headless
// painting (render tool, tests, benchmark).
#pragma once

#include "stylebutton.h"

#include <QRegion>

// --- looks ------------------------------------------------------------------------------

// Rounded (5): fixed palette, and the variant derived from BackColor / HighlightColor.
void PaintRounded(StyleButton &button, int state);
void PaintRoundedCustom(StyleButton &button, int state);
// Gradient (7).
void PaintGradient(StyleButton &button, int state);
// Soft (8).
void PaintSoft(StyleButton &button, int state);
// Shiny (9).
void PaintShiny(StyleButton &button, int state);
// Pill (10): reads the state and the focus itself.
void PaintPill(StyleButton &button);
// The simple looks drawn by the dispatcher itself: Standard, Thin, Flat, Etched, Highlight.
void PaintSimple(StyleButton &button, int style, int state);

// The pixels of a 1-pixel cut-corner outline (Rounded, Gradient): the four just inside the
// corners, (1,1) and its mirrors; and the eight beside the cut corners.
void CutCornerInsides(QImage &dc, int w, int h, host::OleColor c);
void CutCornerNeighbours(QImage &dc, int w, int h, host::OleColor c);
// The whole dark outline of those looks: four lines clear of the cut corners, then the
// pixels just inside them.
void CutCornerOutline(host::Surface &s, int w, int h, host::OleColor c);

// face(A, B) of the looks: the custom colour (resolved) when custom colours are on, else B.
host::OleColor FaceColour(const StyleButton &button, host::OleColor custom, host::OleColor system);

// --- layout -----------------------------------------------------------------------------

// ClientRect (0, 0, W, H) and TextRect (4, 4, W - 4, H - 4).
RECT ClientRectFor(int width, int height);
RECT TextRectFor(int width, int height);
// DrawText format for CaptionAlign 0..4 (centre, left, right, top, bottom); any other value
// keeps `previous`.
quint32 CaptionFormatFor(int captionAlign, quint32 previous);
// Distance of an edge-aligned icon from the control's edge for a style.
int IconMarginFor(int style);
// Top-left corner of the icon for IconAlign, IconSize S and margin M on a W x H surface,
// before the pressed offset (halves rounded to even).
QPoint IconPosition(int iconAlign, int size, int margin, int width, int height);
// Window shape of a style on a W x H surface.
QRegion RegionForStyle(int style, int width, int height);

// --- headless control -------------------------------------------------------------------

// A StyleButton whose fields are set directly, without the property setters' notices,
// layout and repaint: the render tool, the tests and the benchmark paint through it.
class PaintRig : public StyleButton
{
public:
    using StyleButton::StyleButton;

    using StyleButton::m_Style;
    using StyleButton::m_NonThemeStyle;
    using StyleButton::m_Caption;
    using StyleButton::m_CaptionAlign;
    using StyleButton::m_Icon;
    using StyleButton::m_IconAlign;
    using StyleButton::m_IconSize;
    using StyleButton::m_Enabled;
    using StyleButton::m_UseCustomColors;
    using StyleButton::m_BackColor;
    using StyleButton::m_HighlightColor;
    using StyleButton::m_FontColor;
    using StyleButton::m_FontHighlightColor;
    using StyleButton::m_ButtonType;
    using StyleButton::m_Value;
    using StyleButton::m_ButtonState;
    using StyleButton::m_HasFocus;
    using StyleButton::m_UserMode;
    using StyleButton::m_CaptionFormat;

    // Sizes the surface to W x H and runs the layout rules: rectangles, caption format from
    // CaptionAlign, window shape. Does not paint.
    void layoutFor(int width, int height) { layOutSurface(width, height); }
};
