// Helpers of the painting tests: a fixed system colour scheme (so expected colours can be
// computed), a control painted headless through PaintRig, and pixel reads as 0x00BBGGRR.
#pragma once

#include "colour.h"
#include "drawing.h"
#include "painters.h"
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

// What a test sets on the control before painting it.
struct Look
{
    int style = StyleButton::Standard;
    int state = StyleButton::Normal;
    bool focus = false;
    bool enabled = true;
    bool custom = false;
    OleColor back = kFace, highlight = kHighlight, font = kText, fontHighlight = kText;
    QString caption; // empty: no text over the pixels under test
};

// A control laid out at W x H with the look set, painted once.
inline std::unique_ptr<PaintRig> paint(const Look &look, int w, int h)
{
    auto rig = std::make_unique<PaintRig>();
    rig->m_Style = look.style;
    rig->m_NonThemeStyle = StyleButton::Standard;
    rig->m_Caption = look.caption;
    rig->m_CaptionAlign = 0;
    rig->m_Icon = QPixmap();
    rig->m_Enabled = look.enabled;
    rig->m_UseCustomColors = look.custom;
    rig->m_BackColor = look.back;
    rig->m_HighlightColor = look.highlight;
    rig->m_FontColor = look.font;
    rig->m_FontHighlightColor = look.fontHighlight;
    rig->m_ButtonType = StyleButton::Push;
    rig->m_Value = false;
    rig->m_ButtonState = look.state;
    rig->m_HasFocus = look.focus;
    rig->m_UserMode = true;
    rig->layoutFor(w, h);
    rig->Refresh();
    return rig;
}

inline OleColor at(const StyleButton &button, int x, int y)
{
    return host::GetPixel(button.surface().image(), x, y);
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
