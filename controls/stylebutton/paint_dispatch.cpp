// paintButton: clears the surface, settles the state to draw, paints the look of the
// style, then the caption and the icon. Also the layout rules and the window shapes.
#include "painters.h"

#include "drawing.h"
#include "regions.h"
#include "syscolours.h"
#include "theme.h"


using namespace host;

// --- layout -----------------------------------------------------------------------------

RECT ClientRectFor(int width, int height)
{
    return RECT{0, 0, width, height};
}

RECT TextRectFor(int width, int height)
{
    return RECT{4, 4, width - 4, height - 4};
}

quint32 CaptionFormatFor(int captionAlign, quint32 previous)
{
    switch (captionAlign) {
    case 0: return DT_SINGLELINE | DT_VCENTER | DT_CENTER; // 37
    case 1: return DT_SINGLELINE | DT_VCENTER | DT_LEFT;   // 36
    case 2: return DT_SINGLELINE | DT_VCENTER | DT_RIGHT;  // 38
    case 3: return DT_SINGLELINE | DT_TOP | DT_CENTER;     // 33
    case 4: return DT_SINGLELINE | DT_BOTTOM | DT_CENTER;  // 41
    default: return previous;
    }
}

int IconMarginFor(int style)
{
    switch (style) {
    case ButtonLook::Rounded:
    case ButtonLook::Gradient: return 5;
    case ButtonLook::Shiny:
    case ButtonLook::Pill: return 7;
    default: return 4;
    }
}

QPoint IconPosition(int iconAlign, int size, int margin, int width, int height)
{
    const int midX = roundEven((width - size) / 2.0);
    const int midY = roundEven((height - size) / 2.0);
    switch (iconAlign) {
    case 0: return {midX, midY};
    case 1: return {margin, midY};
    case 2: return {width - size - margin, midY};
    case 3: return {midX, margin};
    case 4: return {midX, height - size - margin};
    default: return {0, 0};
    }
}

QRegion RegionForStyle(int style, int width, int height)
{
    switch (style) {
    case ButtonLook::Rounded:
    case ButtonLook::Gradient: return MakeCutCornerRegion(width, height);
    case ButtonLook::Soft:
    case ButtonLook::Shiny: return MakeBevelCornerRegion(width, height);
    case ButtonLook::Pill: return MakeRoundRegion(width, height);
    default: return QRegion(0, 0, std::max(width, 0), std::max(height, 0));
    }
}

void ButtonLook::layOut(int width, int height, int captionAlign)
{
    clientRect = ClientRectFor(width, height);
    textRect = TextRectFor(width, height);
    captionFormat = CaptionFormatFor(captionAlign, captionFormat);
}

// --- the simple looks -------------------------------------------------------------------

OleColor FaceColour(const ButtonLook &look, OleColor custom, OleColor system)
{
    return look.useCustomColors ? TranslateColor(custom) : system;
}

void PaintSimple(Surface &s, const ButtonLook &look, int style, int state)
{
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();
    const OleColor face = GetSysColor(COLOR_BTNFACE);
    const OleColor back = FaceColour(look, look.backColor, face);
    const OleColor lit = FaceColour(look, look.highlightColor, face);

    switch (style) {
    case ButtonLook::Standard:
        s.setBackColor(state == ButtonLook::Normal ? back : lit);
        DrawEdgeBox(dc, 0, 0, w, h, state == ButtonLook::Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        break;
    case ButtonLook::Thin: {
        const bool plain = state == ButtonLook::Normal || state == ButtonLook::Disabled;
        s.setBackColor(plain ? back : lit);
        if (state == ButtonLook::Pressed)
            DrawEdgeBox(dc, 0, 0, w, h, BDR_SUNKENOUTER, BF_RECT);
        else if (state == ButtonLook::Disabled)
            FrameBox(dc, 0, 0, w - 1, h - 1, s.backColor()); // flat
        else
            DrawEdgeBox(dc, 0, 0, w, h, BDR_RAISEDINNER, BF_RECT);
        break;
    }
    case ButtonLook::Flat: {
        const bool plain = state == ButtonLook::Normal || state == ButtonLook::Disabled;
        s.setBackColor(plain ? back : lit);
        if (state == ButtonLook::Normal) {
            FrameBox(dc, 0, 0, w - 1, h - 1, back);
        } else if (state == ButtonLook::Hot) {
            DrawEdgeBox(dc, 0, 0, w, h, BDR_RAISEDINNER, BF_RECT);
        } else if (state == ButtonLook::Pressed) {
            DrawEdgeBox(dc, 0, 0, w, h, BDR_SUNKENOUTER, BF_RECT);
        } else if (state == ButtonLook::Disabled) {
            FrameBox(dc, 0, 0, w - 1, h - 1, s.backColor());
        }
        break;
    }
    case ButtonLook::Etched: {
        s.setBackColor(back);
        const OleColor shadow = GetSysColor(COLOR_BTNSHADOW);
        OleColor f = back;
        if (state == ButtonLook::Hot)
            f = look.useCustomColors ? BlendHalf(TranslateColor(look.highlightColor), back)
                                         : BlendHalf(shadow, face);
        else if (state == ButtonLook::Pressed)
            f = FaceColour(look, look.highlightColor, shadow);
        const RECT &text = look.textRect;
        FillRectColor(dc, text.left, text.top, text.right, text.bottom, f);
        DrawEtchedFrame(s, 0, 0, w - 1, h - 1, shadow, GetSysColor(COLOR_WINDOW), f);
        break;
    }
    case ButtonLook::Highlight: {
        // The fills cover the whole surface; its background never shows.
        if (state == ButtonLook::Hot || state == ButtonLook::Pressed) {
            const OleColor accent = FaceColour(look, look.highlightColor, GetSysColor(COLOR_HIGHLIGHT));
            FillBox(dc, 0, 0, w - 1, h - 1, Lighten(accent, state == ButtonLook::Hot ? 176 : 128));
            FrameBox(dc, 0, 0, w - 1, h - 1, accent);
        } else {
            FillBox(dc, 0, 0, w, h, Lighten(back, 32));
        }
        break;
    }
    default:
        break;
    }
}

// --- caption and icon -------------------------------------------------------------------

namespace {

OleColor captionColour(const ButtonLook &look, int state)
{
    if (state == ButtonLook::Disabled)
        return GetSysColor(COLOR_GRAYTEXT);
    if (!look.useCustomColors)
        return GetSysColor(COLOR_BTNTEXT);
    const bool lit = state == ButtonLook::Hot || state == ButtonLook::Pressed;
    return TranslateColor(lit ? look.fontHighlightColor : look.fontColor);
}

void DrawCaption(Surface &s, const ButtonLook &look, int state)
{
    const OleColor saved = s.foreColor();
    s.setForeColor(captionColour(look, state));
    const RECT &r = look.textRect;
    DrawText(s, look.caption, r.left, r.top, r.right, r.bottom, look.captionFormat);
    s.setForeColor(saved);
}

// The hot Highlight look casts a grey shadow of the icon: every pixel of the icon box that
// the icon changed (it differs from the face at (1, 1)) turns grey. The box is one pixel
// wider and taller than the icon.
void castShadow(Surface &s, int x, int y, int size)
{
    ShadeChangedPixels(s, x, y, static_cast<long long>(x) + size, static_cast<long long>(y) + size, QPoint(1, 1),
                       RGB(128, 128, 128));
}

// `style` is the one after this paint: a Themed look that fell back to Highlight casts the
// shadow already.
void DrawIcon(Surface &s, const ButtonLook &look, int style, int state, int margin)
{
    const QPixmap &icon = look.icon;
    if (icon.isNull())
        return;
    const int size = look.iconSize;
    QPoint at = IconPosition(look.iconAlign, size, margin, s.width(), s.height());
    if (state == ButtonLook::Pressed)
        at += QPoint(1, 1);
    if (state == ButtonLook::Hot && style == ButtonLook::Highlight) {
        DrawPicture(s, icon, at.x(), at.y(), size, size);
        castShadow(s, at.x(), at.y(), size);
        at -= QPoint(2, 2);
    }
    DrawPicture(s, icon, at.x(), at.y(), size, size);
}

} // namespace

// --- paintButton ------------------------------------------------------------------------

PaintOutcome paintButton(Surface &s, const ButtonLook &look)
{
    Q_ASSERT(!s.image().isNull()); // the caller lays the surface out first
    s.setFont(look.font);
    s.clear();
    // Taken before painting: a Themed paint that falls back keeps the margin of Themed.
    const int iconMargin = IconMarginFor(look.style);

    PaintOutcome outcome{look.state, look.style};
    if (look.style != ButtonLook::Rounded && !look.userMode)
        outcome.state = ButtonLook::Hot; // a form designer shows the button hot
    if (look.buttonType == ButtonLook::Toggle && look.value)
        outcome.state = ButtonLook::Pressed;
    if (!look.enabled) {
        outcome.state = ButtonLook::Disabled;
        s.setBackColor(GetSysColor(COLOR_BTNFACE));
    }
    const int state = outcome.state;

    try {
        switch (look.style) {
        case ButtonLook::Standard:
        case ButtonLook::Thin:
        case ButtonLook::Flat:
        case ButtonLook::Etched:
        case ButtonLook::Highlight:
            PaintSimple(s, look, look.style, state);
            break;
        case ButtonLook::Rounded:
            if (look.useCustomColors)
                PaintRoundedCustom(s, look, state);
            else
                PaintRounded(s, look, state);
            break;
        case ButtonLook::Themed: {
            s.setBackColor(GetSysColor(COLOR_BTNFACE));
            const int themeState = (state == ButtonLook::Normal && look.hasFocus) ? PBS_DEFAULTED : state;
            const RECT &c = look.clientRect;
            const QRect client(c.left, c.top, c.right - c.left, c.bottom - c.top);
            // Without a theme this paint shows the plain face; the next one the fallback.
            if (!DrawThemedBackground(s, look.themeWidget, QStringLiteral("Button"), 1, themeState, client))
                outcome.style = look.nonThemeStyle;
            break;
        }
        case ButtonLook::Gradient:
            PaintGradient(s, look, state);
            break;
        case ButtonLook::Soft:
            PaintSoft(s, look, state);
            break;
        case ButtonLook::Shiny:
            PaintShiny(s, look, state);
            break;
        case ButtonLook::Pill:
            PaintPill(s, look, state);
            break;
        default:
            break; // no such style: nothing but the cleared surface
        }
        DrawCaption(s, look, state);
        DrawIcon(s, look, outcome.style, state, iconMargin);
    } catch (const DivisionByZero &) {
        // A gradient over zero steps ends this paint; what is drawn so far stays.
    }
    return outcome;
}
