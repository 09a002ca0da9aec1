// Helpers of the painting tests: a fixed system colour scheme (so expected colours can be
// computed), a look painted on a surface of its own, and pixel reads as 0x00BBGGRR.
#pragma once

#include "colour.h"
#include "drawing.h"
#include "look.h"
#include "syscolours.h"

#include <QImage>
#include <QPixmap>
#include <memory>

namespace painttest {

using host::OleColor;
using host::RGB;

// The scheme every painting test runs under.
constexpr OleColor kFace = RGB(236, 233, 216);      // button face
constexpr OleColor kShadow = RGB(172, 168, 153);    // button shadow
constexpr OleColor kWindow = RGB(255, 255, 255);    // window background
constexpr OleColor kHighlight = RGB(49, 106, 197);  // selection highlight
constexpr OleColor kText = RGB(0, 0, 0);            // button text
constexpr OleColor kGrey = RGB(172, 168, 153);      // grey text
constexpr OleColor kLight3D = RGB(241, 239, 226);   // 3-D light
constexpr OleColor kHilite3D = RGB(255, 255, 254);  // 3-D highlight
constexpr OleColor kDark3D = RGB(113, 111, 100);    // 3-D dark shadow

inline void pinScheme()
{
    host::clearSysColorOverrides();
    host::setSysColorOverride(host::COLOR_BTNFACE, kFace);
    host::setSysColorOverride(host::COLOR_BTNSHADOW, kShadow);
    host::setSysColorOverride(host::COLOR_WINDOW, kWindow);
    host::setSysColorOverride(host::COLOR_HIGHLIGHT, kHighlight);
    host::setSysColorOverride(host::COLOR_BTNTEXT, kText);
    host::setSysColorOverride(host::COLOR_GRAYTEXT, kGrey);
    host::setSysColorOverride(host::COLOR_3DLIGHT, kLight3D);
    host::setSysColorOverride(host::COLOR_3DHIGHLIGHT, kHilite3D);
    host::setSysColorOverride(host::COLOR_3DDKSHADOW, kDark3D);
}

// What a test sets on the look before painting it.
struct Look
{
    int style = ButtonLook::Standard;
    int state = ButtonLook::Normal;
    bool focus = false;
    bool enabled = true;
    bool custom = false;
    OleColor back = kFace, highlight = kHighlight, font = kText, fontHighlight = kText;
    QString caption; // empty: no text over the pixels under test
};

// A look and the surface it was painted on, with what the paint settled.
struct Painted
{
    ButtonLook look;
    host::Surface surface;
    PaintOutcome outcome;

    // Paints the look again on the same surface (as a control's next Refresh would).
    void repaint() { outcome = paintButton(surface, look); }
    const QImage &image() const { return surface.image(); }
};

// A blank look laid out at W x H.
inline ButtonLook lookAt(int w, int h)
{
    ButtonLook look;
    look.layOut(w, h);
    return look;
}

// `look` laid out at W x H on a fresh surface, painted once.
inline std::unique_ptr<Painted> paint(const ButtonLook &look, int w, int h)
{
    auto painted = std::make_unique<Painted>();
    painted->look = look;
    painted->look.layOut(w, h);
    painted->surface.resize(w, h);
    painted->repaint();
    return painted;
}

inline std::unique_ptr<Painted> paint(const Look &l, int w, int h)
{
    ButtonLook look;
    look.style = l.style;
    look.caption = l.caption;
    look.enabled = l.enabled;
    look.useCustomColors = l.custom;
    look.backColor = l.back;
    look.highlightColor = l.highlight;
    look.fontColor = l.font;
    look.fontHighlightColor = l.fontHighlight;
    look.state = l.state;
    look.hasFocus = l.focus;
    return paint(look, w, h);
}

inline OleColor at(const Painted &painted, int x, int y)
{
    return host::GetPixel(painted.image(), x, y);
}

inline OleColor at(const QImage &image, int x, int y)
{
    return host::GetPixel(image, x, y);
}

// How many pixels have exactly this colour.
inline int count(const QImage &image, OleColor colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += at(image, x, y) == colour;
    return n;
}

// "rgb(r, g, b)" for failure messages.
inline QByteArray name(OleColor c)
{
    return QByteArray("rgb(") + QByteArray::number(host::redOf(c)) + ", " + QByteArray::number(host::greenOf(c))
           + ", " + QByteArray::number(host::blueOf(c)) + ")";
}

} // namespace painttest
