// Refresh: clears the surface, settles the state to draw, paints the look of the current
// style, then the caption and the icon. Also the layout rules and the window shapes.
#include "painters.h"

#include "drawing.h"
#include "regions.h"
#include "syscolours.h"
#include "theme.h"
#include "hostapp.h"

#include <QPainter>

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
    case StyleButton::Rounded:
    case StyleButton::Gradient: return 5;
    case StyleButton::Shiny:
    case StyleButton::Pill: return 7;
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
    case StyleButton::Rounded:
    case StyleButton::Gradient: return MakeCutCornerRegion(width, height);
    case StyleButton::Soft:
    case StyleButton::Shiny: return MakeBevelCornerRegion(width, height);
    case StyleButton::Pill: return MakeRoundRegion(width, height);
    default: return QRegion(0, 0, std::max(width, 0), std::max(height, 0));
    }
}

void StyleButton::ApplyRegion()
{
    const int w = m_Surface.image().isNull() ? width() : m_Surface.width();
    const int h = m_Surface.image().isNull() ? height() : m_Surface.height();
    m_WindowRegion = RegionForStyle(m_Style, w, h);
    setMask(m_WindowRegion);
}

// --- the simple looks -------------------------------------------------------------------

OleColor FaceColour(const StyleButton &button, OleColor custom, OleColor system)
{
    return button.UseCustomColors() ? TranslateColor(custom) : system;
}

void PaintSimple(StyleButton &button, int style, int state)
{
    Surface &s = button.surface();
    QImage &dc = s.image();
    const int w = s.width(), h = s.height();
    const OleColor face = GetSysColor(COLOR_BTNFACE);
    const OleColor back = FaceColour(button, button.BackColor(), face);
    const OleColor lit = FaceColour(button, button.HighlightColor(), face);

    switch (style) {
    case StyleButton::Standard:
        s.setBackColor(state == StyleButton::Normal ? back : lit);
        DrawEdgeBox(dc, 0, 0, w, h, state == StyleButton::Pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
        break;
    case StyleButton::Thin: {
        const bool plain = state == StyleButton::Normal || state == StyleButton::Disabled;
        s.setBackColor(plain ? back : lit);
        if (state == StyleButton::Pressed)
            DrawEdgeBox(dc, 0, 0, w, h, BDR_SUNKENOUTER, BF_RECT);
        else if (state == StyleButton::Disabled)
            FrameBox(dc, 0, 0, w - 1, h - 1, s.backColor()); // flat
        else
            DrawEdgeBox(dc, 0, 0, w, h, BDR_RAISEDINNER, BF_RECT);
        break;
    }
    case StyleButton::Flat: {
        const bool plain = state == StyleButton::Normal || state == StyleButton::Disabled;
        s.setBackColor(plain ? back : lit);
        if (state == StyleButton::Normal) {
            FrameBox(dc, 0, 0, w - 1, h - 1, back);
        } else if (state == StyleButton::Hot) {
            DrawEdgeBox(dc, 0, 0, w, h, BDR_RAISEDINNER, BF_RECT);
        } else if (state == StyleButton::Pressed) {
            DrawEdgeBox(dc, 0, 0, w, h, BDR_SUNKENOUTER, BF_RECT);
        } else if (state == StyleButton::Disabled) {
            FrameBox(dc, 0, 0, w - 1, h - 1, s.backColor());
        }
        break;
    }
    case StyleButton::Etched: {
        s.setBackColor(back);
        const OleColor shadow = GetSysColor(COLOR_BTNSHADOW);
        OleColor f = back;
        if (state == StyleButton::Hot)
            f = button.UseCustomColors() ? BlendHalf(TranslateColor(button.HighlightColor()), back)
                                         : BlendHalf(shadow, face);
        else if (state == StyleButton::Pressed)
            f = FaceColour(button, button.HighlightColor(), shadow);
        const RECT &text = button.textRect();
        FillRectColor(dc, text.left, text.top, text.right, text.bottom, f);
        DrawEtchedFrame(s, 0, 0, w - 1, h - 1, shadow, GetSysColor(COLOR_WINDOW), f);
        break;
    }
    case StyleButton::Highlight: {
        // The fills cover the whole surface; its background never shows.
        if (state == StyleButton::Hot || state == StyleButton::Pressed) {
            const OleColor accent = FaceColour(button, button.HighlightColor(), GetSysColor(COLOR_HIGHLIGHT));
            FillBox(dc, 0, 0, w - 1, h - 1, Lighten(accent, state == StyleButton::Hot ? 176 : 128));
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

OleColor captionColour(const StyleButton &button, int state)
{
    if (state == StyleButton::Disabled)
        return GetSysColor(COLOR_GRAYTEXT);
    if (!button.UseCustomColors())
        return GetSysColor(COLOR_BTNTEXT);
    const bool lit = state == StyleButton::Hot || state == StyleButton::Pressed;
    return TranslateColor(lit ? button.FontHighlightColor() : button.FontColor());
}

void DrawCaption(StyleButton &button, int state)
{
    Surface &s = button.surface();
    const OleColor saved = s.foreColor();
    s.setForeColor(captionColour(button, state));
    const RECT &r = button.textRect();
    DrawText(s, button.Caption(), r.left, r.top, r.right, r.bottom, button.captionFormat());
    s.setForeColor(saved);
}

void paintIcon(QImage &dc, const QPixmap &icon, int x, int y, int size)
{
    if (size <= 0)
        return;
    QPainter painter(&dc);
    painter.drawPixmap(QRect(x, y, size, size), icon);
}

// The hot Highlight look casts a grey shadow of the icon: every pixel of the icon box that
// the icon changed (it differs from the face at (1, 1)) turns grey. Only pixels on the
// surface are visited, so a huge IconSize costs no more than the surface itself.
void castShadow(QImage &dc, int x, int y, int size)
{
    const long long x0 = std::max<long long>(x, 0), y0 = std::max<long long>(y, 0);
    const long long x1 = std::min<long long>(static_cast<long long>(x) + size, dc.width() - 1LL);
    const long long y1 = std::min<long long>(static_cast<long long>(y) + size, dc.height() - 1LL);
    const OleColor grey = RGB(128, 128, 128);
    for (long long row = y0; row <= y1; ++row) {
        for (long long col = x0; col <= x1; ++col) {
            // The reference is read again for each pixel: the box may cover (1, 1) itself.
            if (GetPixel(dc, static_cast<int>(col), static_cast<int>(row)) != GetPixel(dc, 1, 1))
                SetPixel(dc, static_cast<int>(col), static_cast<int>(row), grey);
        }
    }
}

void DrawIcon(StyleButton &button, int state, int margin)
{
    const QPixmap icon = button.Icon();
    if (icon.isNull())
        return;
    QImage &dc = button.surface().image();
    const int size = button.IconSize();
    QPoint at = IconPosition(button.IconAlign(), size, margin, button.surface().width(),
                             button.surface().height());
    if (state == StyleButton::Pressed)
        at += QPoint(1, 1);
    if (state == StyleButton::Hot && button.Style() == StyleButton::Highlight) {
        paintIcon(dc, icon, at.x(), at.y(), size);
        castShadow(dc, at.x(), at.y(), size);
        at -= QPoint(2, 2);
    }
    paintIcon(dc, icon, at.x(), at.y(), size);
}

} // namespace

// --- Refresh ----------------------------------------------------------------------------

void StyleButton::Refresh()
{
    Surface &s = m_Surface;
    if (s.image().isNull()) {
        update();
        return; // nothing laid out yet
    }
    s.clear();
    // Taken before painting: a Themed paint that falls back keeps the margin of Themed.
    const int iconMargin = IconMarginFor(m_Style);

    // The state to draw; it stays in ButtonState afterwards.
    if (m_Style != Rounded && !m_UserMode)
        m_ButtonState = Hot; // a form designer shows the button hot
    if (m_ButtonType == Toggle && m_Value)
        m_ButtonState = Pressed;
    if (!m_Enabled) {
        m_ButtonState = Disabled;
        s.setBackColor(GetSysColor(COLOR_BTNFACE));
    }
    const int state = m_ButtonState;

    try {
        switch (m_Style) {
        case Standard:
        case Thin:
        case Flat:
        case Etched:
        case Highlight:
            PaintSimple(*this, m_Style, state);
            break;
        case Rounded:
            if (m_UseCustomColors)
                PaintRoundedCustom(*this, state);
            else
                PaintRounded(*this, state);
            break;
        case Themed: {
            s.setBackColor(GetSysColor(COLOR_BTNFACE));
            const int themeState = (state == Normal && m_HasFocus) ? PBS_DEFAULTED : state;
            const QRect client(m_ClientRect.left, m_ClientRect.top,
                               m_ClientRect.right - m_ClientRect.left, m_ClientRect.bottom - m_ClientRect.top);
            // Without a theme this paint shows the plain face; the next one the fallback.
            if (!DrawThemedBackground(s, this, QStringLiteral("Button"), 1, themeState, client))
                m_Style = m_NonThemeStyle;
            break;
        }
        case Gradient:
            PaintGradient(*this, state);
            break;
        case Soft:
            PaintSoft(*this, state);
            break;
        case Shiny:
            PaintShiny(*this, state);
            break;
        case Pill:
            PaintPill(*this);
            break;
        default:
            break; // no such style: nothing but the cleared surface
        }
        DrawCaption(*this, state);
        DrawIcon(*this, state, iconMargin);
    } catch (const DivisionByZero &) {
        // A gradient over zero steps ends this paint; what is drawn so far stays.
    }
    update();
}
