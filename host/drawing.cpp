#include "drawing.h"

#include "syscolours.h"

#include <QPainter>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace host {

namespace {

int clampChannel(long long v)
{
    return static_cast<int>(std::clamp<long long>(v, 0, 255));
}

QRgb toRgb(OleColor c)
{
    return qRgb(redOf(c), greenOf(c), blueOf(c));
}

// Whether the image can be written as 32-bit scanlines; every surface is, other images go
// through QImage's own (slower) pixel access.
bool is32Bit(const QImage &dc)
{
    return dc.depth() == 32;
}

void plot(QImage &dc, int x, int y, QRgb rgb)
{
    if (x < 0 || y < 0 || x >= dc.width() || y >= dc.height())
        return;
    if (is32Bit(dc))
        reinterpret_cast<QRgb *>(dc.scanLine(y))[x] = rgb;
    else
        dc.setPixel(x, y, rgb);
}

// Pixels x0..x1-1 of row y, clipped.
void hspan(QImage &dc, int y, long long x0, long long x1, QRgb rgb)
{
    if (y < 0 || y >= dc.height())
        return;
    const int from = static_cast<int>(std::max<long long>(x0, 0));
    const int to = static_cast<int>(std::min<long long>(x1, dc.width()));
    if (from >= to)
        return;
    if (is32Bit(dc)) {
        QRgb *row = reinterpret_cast<QRgb *>(dc.scanLine(y));
        std::fill(row + from, row + to, rgb);
    } else {
        for (int x = from; x < to; ++x)
            dc.setPixel(x, y, rgb);
    }
}

// Pixels y0..y1-1 of column x, clipped.
void vspan(QImage &dc, int x, long long y0, long long y1, QRgb rgb)
{
    if (x < 0 || x >= dc.width())
        return;
    const int from = static_cast<int>(std::max<long long>(y0, 0));
    const int to = static_cast<int>(std::min<long long>(y1, dc.height()));
    for (int y = from; y < to; ++y)
        plot(dc, x, y, rgb);
}

} // namespace

// --- colour arithmetic ------------------------------------------------------------------

OleColor ShiftColor(OleColor colour, int delta)
{
    return RGB(clampChannel(static_cast<long long>(redOf(colour)) + delta),
               clampChannel(static_cast<long long>(greenOf(colour)) + delta),
               clampChannel(static_cast<long long>(blueOf(colour)) + delta));
}

OleColor Lighten(OleColor colour, int amount)
{
    const auto channel = [amount](int c) {
        const long long v = amount + (static_cast<long long>(255 - amount) * c) / 255;
        return static_cast<int>(std::min<long long>(v, 255) & 0xFF);
    };
    return RGB(channel(redOf(colour)), channel(greenOf(colour)), channel(blueOf(colour)));
}

OleColor BlendHalf(OleColor a, OleColor b)
{
    // An odd sum is a tie: halves round to the even neighbour.
    const auto half = [](int x, int y) { return static_cast<int>(std::nearbyint((x + y) / 2.0)); };
    return RGB(half(redOf(a), redOf(b)), half(greenOf(a), greenOf(b)), half(blueOf(a), blueOf(b)));
}

OleColor GradientStep(OleColor start, OleColor end, int i, int n)
{
    if (n == 0)
        throw DivisionByZero();
    // Single-precision steps, as the looks were tuned with; the value is rounded half to even.
    const auto channel = [i, n](int from, int to) {
        const float step = (static_cast<float>(to) - static_cast<float>(from)) / static_cast<float>(n);
        const float value = static_cast<float>(from) + step * static_cast<float>(i);
        return static_cast<int>(std::nearbyint(value));
    };
    return RGB(channel(redOf(start), redOf(end)), channel(greenOf(start), greenOf(end)),
               channel(blueOf(start), blueOf(end)));
}

// --- lines, pixels, fills ---------------------------------------------------------------

void DrawLineOn(QImage &dc, int x1, int y1, int x2, int y2, OleColor colour)
{
    const QRgb rgb = toRgb(colour);
    if (y1 == y2) {
        if (x1 <= x2)
            hspan(dc, y1, x1, x2, rgb);
        else
            hspan(dc, y1, static_cast<long long>(x2) + 1, static_cast<long long>(x1) + 1, rgb);
        return;
    }
    if (x1 == x2) {
        if (y1 <= y2)
            vspan(dc, x1, y1, y2, rgb);
        else
            vspan(dc, x1, static_cast<long long>(y2) + 1, static_cast<long long>(y1) + 1, rgb);
        return;
    }
    // Any other slope: one pixel per step along the major axis, the minor coordinate
    // rounded from the exact slope (Bresenham's choice), stopping before the end point.
    // Only the steps whose major coordinate lies on the image are visited, so a line that
    // runs far outside costs no more than one across the image.
    const bool xMajor = std::llabs(static_cast<long long>(x2) - x1) >= std::llabs(static_cast<long long>(y2) - y1);
    const long long major0 = xMajor ? x1 : y1, minor0 = xMajor ? y1 : x1;
    const long long majorDelta = (xMajor ? static_cast<long long>(x2) : y2) - major0;
    const long long minorDelta = (xMajor ? static_cast<long long>(y2) : x2) - minor0;
    const int majorStep = majorDelta > 0 ? 1 : -1, minorStep = minorDelta > 0 ? 1 : -1;
    const __int128 dM = std::llabs(majorDelta), dm = std::llabs(minorDelta);
    const long long majorSize = xMajor ? dc.width() : dc.height();
    // Steps k = 0 .. dM - 1 whose major coordinate major0 + k * majorStep is on the image.
    long long kFrom = majorStep > 0 ? -major0 : major0 - (majorSize - 1);
    long long kTo = majorStep > 0 ? majorSize - 1 - major0 : major0;
    kFrom = std::max<long long>(kFrom, 0);
    kTo = std::min<long long>(kTo, static_cast<long long>(dM) - 1);
    for (long long k = kFrom; k <= kTo; ++k) {
        const long long offset = static_cast<long long>((2 * static_cast<__int128>(k) * dm + dM) / (2 * dM));
        const long long major = major0 + k * majorStep;
        const long long minor = minor0 + offset * minorStep;
        const long long x = xMajor ? major : minor, y = xMajor ? minor : major;
        if (x >= 0 && y >= 0 && x < dc.width() && y < dc.height())
            plot(dc, static_cast<int>(x), static_cast<int>(y), rgb);
    }
}

void DrawLine(Surface &surface, int x1, int y1, int x2, int y2, OleColor colour)
{
    DrawLineOn(surface.image(), x1, y1, x2, y2, colour);
}

void SetPixel(QImage &dc, int x, int y, OleColor colour)
{
    plot(dc, x, y, toRgb(colour));
}

OleColor GetPixel(const QImage &dc, int x, int y)
{
    if (x < 0 || y < 0 || x >= dc.width() || y >= dc.height())
        return kNoPixel;
    const QRgb p = dc.pixel(x, y);
    return RGB(qRed(p), qGreen(p), qBlue(p));
}

void SetPixels(QImage &dc, const PixelWrite *pixels, int count)
{
    if (!is32Bit(dc)) {
        for (int k = 0; k < count; ++k)
            SetPixel(dc, pixels[k].x, pixels[k].y, pixels[k].colour);
        return;
    }
    const unsigned w = static_cast<unsigned>(dc.width()), h = static_cast<unsigned>(dc.height());
    uchar *bits = dc.bits(); // detaches once, not per pixel
    const qsizetype stride = dc.bytesPerLine();
    for (int k = 0; k < count; ++k) {
        const PixelWrite &p = pixels[k];
        if (static_cast<unsigned>(p.x) >= w || static_cast<unsigned>(p.y) >= h)
            continue;
        reinterpret_cast<QRgb *>(bits + stride * p.y)[p.x] = toRgb(p.colour);
    }
}

void FillRectColor(QImage &dc, int left, int top, int right, int bottom, OleColor colour)
{
    const QRgb rgb = toRgb(colour);
    const int y0 = std::max(top, 0), y1 = std::min(bottom, dc.height());
    for (int y = y0; y < y1; ++y)
        hspan(dc, y, left, right, rgb);
}

void FillBox(QImage &dc, int left, int top, int width, int height, OleColor colour)
{
    const long long right = static_cast<long long>(left) + width;
    const long long bottom = static_cast<long long>(top) + height;
    FillRectColor(dc, left, top, static_cast<int>(std::clamp<long long>(right, INT_MIN, INT_MAX)),
                  static_cast<int>(std::clamp<long long>(bottom, INT_MIN, INT_MAX)), colour);
}

void FrameBox(QImage &dc, int left, int top, int width, int height, OleColor colour)
{
    const int right = static_cast<int>(std::clamp<long long>(static_cast<long long>(left) + width, INT_MIN, INT_MAX));
    const int bottom = static_cast<int>(std::clamp<long long>(static_cast<long long>(top) + height, INT_MIN, INT_MAX));
    DrawLineOn(dc, left, top, right, top, colour);
    DrawLineOn(dc, right, top, right, bottom, colour);
    DrawLineOn(dc, right, bottom, left, bottom, colour);
    DrawLineOn(dc, left, bottom, left, top, colour);
}

// --- system 3-D edges -------------------------------------------------------------------

namespace {
enum : int { kHighlight3D = 20, kDarkShadow3D = 21, kLight3D = COLOR_3DLIGHT, kShadow = COLOR_BTNSHADOW };

// System colour of each line of an edge, indexed by the edge's four border bits (outer bits
// 0-1, inner bits 2-3); -1 means the line is not drawn. A lone inner or outer border is
// drawn as the outermost line.
constexpr int kTopLeftInner[16] = {
    -1, -1, -1, -1,
    -1, kHighlight3D, kHighlight3D, -1,
    -1, kDarkShadow3D, kDarkShadow3D, -1,
    -1, -1, -1, -1,
};
constexpr int kTopLeftOuter[16] = {
    -1, kLight3D, kShadow, -1,
    kHighlight3D, kLight3D, kShadow, -1,
    kDarkShadow3D, kLight3D, kShadow, -1,
    -1, kLight3D, kShadow, -1,
};
constexpr int kBottomRightInner[16] = {
    -1, -1, -1, -1,
    -1, kShadow, kShadow, -1,
    -1, kLight3D, kLight3D, -1,
    -1, -1, -1, -1,
};
constexpr int kBottomRightOuter[16] = {
    -1, kDarkShadow3D, kHighlight3D, -1,
    kShadow, kDarkShadow3D, kHighlight3D, -1,
    kLight3D, kDarkShadow3D, kHighlight3D, -1,
    -1, kDarkShadow3D, kHighlight3D, -1,
};
} // namespace

void DrawEdge(QImage &dc, int l, int t, int r, int b, int edge, int flags)
{
    const int kind = edge & 0xF;
    const bool left = flags & BF_LEFT, top = flags & BF_TOP, right = flags & BF_RIGHT, bottom = flags & BF_BOTTOM;
    // Inner lines stop one pixel short where two drawn sides meet.
    const int ltPlus = (left && top) ? 1 : 0, rtPlus = (right && top) ? 1 : 0;
    const int rbPlus = (right && bottom) ? 1 : 0, lbPlus = (left && bottom) ? 1 : 0;

    // outer top-left, then outer bottom-right (which takes the two far corner pixels)
    if (kTopLeftOuter[kind] >= 0) {
        const OleColor c = GetSysColor(kTopLeftOuter[kind]);
        if (top) DrawLineOn(dc, l, t, r, t, c);
        if (left) DrawLineOn(dc, l, t, l, b, c);
    }
    if (kBottomRightOuter[kind] >= 0) {
        const OleColor c = GetSysColor(kBottomRightOuter[kind]);
        if (bottom) DrawLineOn(dc, l, b - 1, r, b - 1, c);
        if (right) DrawLineOn(dc, r - 1, t, r - 1, b, c);
    }
    // inner top-left, then inner bottom-right
    if (kTopLeftInner[kind] >= 0) {
        const OleColor c = GetSysColor(kTopLeftInner[kind]);
        if (top) DrawLineOn(dc, l + ltPlus, t + 1, r - rtPlus, t + 1, c);
        if (left) DrawLineOn(dc, l + 1, t + ltPlus, l + 1, b - lbPlus, c);
    }
    if (kBottomRightInner[kind] >= 0) {
        const OleColor c = GetSysColor(kBottomRightInner[kind]);
        if (bottom) DrawLineOn(dc, l + lbPlus, b - 2, r - rbPlus, b - 2, c);
        if (right) DrawLineOn(dc, r - 2, t + rtPlus, r - 2, b - rbPlus, c);
    }
}

void DrawEdgeBox(QImage &dc, float left, float top, float width, float height, int edge, int flags)
{
    const auto toInt = [](float v) {
        return static_cast<int>(std::clamp<double>(std::nearbyint(static_cast<double>(v)), INT_MIN, INT_MAX));
    };
    DrawEdge(dc, toInt(left), toInt(top), toInt(left + width), toInt(top + height), edge, flags);
}

// --- gradients --------------------------------------------------------------------------

void GradientRowsOn(QImage &dc, OleColor start, OleColor end, int x1, int y, int x2, int n)
{
    if (n < 0)
        return;
    if (n == 0)
        throw DivisionByZero();
    for (int i = 0; i <= n; ++i) {
        const long long row = static_cast<long long>(y) + i;
        if (row >= dc.height())
            break; // the rest lies below the image
        if (row < 0)
            continue;
        DrawLineOn(dc, x1, static_cast<int>(row), x2, static_cast<int>(row), GradientStep(start, end, i, n));
    }
}

void GradientRows(Surface &surface, OleColor start, OleColor end, int x1, int y, int x2, int n)
{
    GradientRowsOn(surface.image(), start, end, x1, y, x2, n);
}

void GradientColumns(Surface &surface, OleColor start, OleColor end, int x1, int y1, int x2, int y2)
{
    const long long n = static_cast<long long>(x2) - x1;
    if (n < 0)
        return;
    if (n == 0)
        throw DivisionByZero();
    QImage &dc = surface.image();
    for (long long i = 0; i <= n; ++i) {
        const long long x = x1 + i;
        if (x >= dc.width())
            break;
        if (x < 0)
            continue;
        DrawLineOn(dc, static_cast<int>(x), y1, static_cast<int>(x), y2,
                   GradientStep(start, end, static_cast<int>(i), static_cast<int>(n)));
    }
}

void DrawEtchedFrame(Surface &surface, int left, int top, int width, int height,
                     OleColor outer, OleColor inner, OleColor corner)
{
    QImage &dc = surface.image();
    FrameBox(dc, left, top, width - 1, height - 1, outer);
    FrameBox(dc, left + 1, top + 1, width - 1, height - 1, inner);
    SetPixel(dc, left, top + height, corner);
    SetPixel(dc, left + width, top, corner);
    const OleColor soft = BlendHalf(inner, outer);
    SetPixel(dc, left + 1, top + height - 1, soft);
    SetPixel(dc, left + width - 1, top + 1, soft);
}

// --- text -------------------------------------------------------------------------------

void DrawText(Surface &surface, const QString &text, int left, int top, int right, int bottom,
              unsigned format)
{
    QImage &dc = surface.image();
    if (dc.isNull() || text.isEmpty())
        return;
    int flags = 0;
    if (format & DT_CENTER)
        flags |= Qt::AlignHCenter;
    else if (format & DT_RIGHT)
        flags |= Qt::AlignRight;
    else
        flags |= Qt::AlignLeft;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            flags |= Qt::AlignVCenter;
        else if (format & DT_BOTTOM)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
    } else {
        flags |= Qt::AlignTop;
        if (format & DT_WORDBREAK)
            flags |= Qt::TextWordWrap;
    }
    if (!(format & DT_NOPREFIX))
        flags |= Qt::TextShowMnemonic; // without it Qt draws "&" as it stands
    QString shown = text;
    if (format & DT_SINGLELINE)
        shown.replace(QLatin1Char('\n'), QLatin1Char(' '));

    QPainter painter(&dc);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    QFont font = surface.font();
    font.setStyleStrategy(QFont::NoAntialias);
    painter.setFont(font);
    painter.setPen(toQColor(surface.foreColor()));
    // GDI lets text run past the rectangle but not past the surface; the rectangle only
    // places it.
    const QRect box(QPoint(left, top), QPoint(right - 1, bottom - 1));
    painter.drawText(box.isValid() ? box : QRect(left, top, 0, 0), flags, shown);
}

} // namespace host
