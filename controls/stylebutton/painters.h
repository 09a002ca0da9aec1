// The StyleButton looks: one painter per family, each drawing the background and frame of
// its style for a given button state on a surface, from a ButtonLook. paintButton (in
// paint_dispatch.cpp) picks the painter, then draws the caption and the icon on top.
// Painters know the look value and the host drawing layer, nothing of the widget.
#pragma once

#include "look.h"

#include <QImage>

// Rounded (5): fixed palette, and the variant derived from BackColor / HighlightColor.
void PaintRounded(host::Surface &s, const ButtonLook &look, int state);
void PaintRoundedCustom(host::Surface &s, const ButtonLook &look, int state);
// Gradient (7).
void PaintGradient(host::Surface &s, const ButtonLook &look, int state);
// Soft (8).
void PaintSoft(host::Surface &s, const ButtonLook &look, int state);
// Shiny (9).
void PaintShiny(host::Surface &s, const ButtonLook &look, int state);
// Pill (10).
void PaintPill(host::Surface &s, const ButtonLook &look, int state);
// The simple looks drawn by the dispatcher itself: Standard, Thin, Flat, Etched, Highlight.
void PaintSimple(host::Surface &s, const ButtonLook &look, int style, int state);

// The pixels of a 1-pixel cut-corner outline (Rounded, Gradient): the four just inside the
// corners, (1,1) and its mirrors; and the eight beside the cut corners.
void CutCornerInsides(QImage &dc, int w, int h, host::OleColor c);
void CutCornerNeighbours(QImage &dc, int w, int h, host::OleColor c);
// The whole dark outline of those looks: four lines clear of the cut corners, then the
// pixels just inside them.
void CutCornerOutline(host::Surface &s, int w, int h, host::OleColor c);

// face(A, B) of the looks: the custom colour (resolved) when custom colours are on, else B.
host::OleColor FaceColour(const ButtonLook &look, host::OleColor custom, host::OleColor system);
