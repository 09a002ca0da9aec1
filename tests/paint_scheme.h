// Helpers of the drawing and painting tests: a fixed system colour scheme (so expected
// colours can be computed) and pixel reads as 0x00BBGGRR.
#pragma once

#include "colour.h"
#include "drawing.h"
#include "syscolours.h"

#include <QImage>

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
