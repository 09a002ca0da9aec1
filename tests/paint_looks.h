// Helpers of the painting tests: a look painted on a surface of its own, under the fixed
// scheme of paint_scheme.h.
#pragma once

#include "look.h"
#include "paint_scheme.h"

#include <QPixmap>
#include <memory>

namespace painttest {

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

} // namespace painttest
