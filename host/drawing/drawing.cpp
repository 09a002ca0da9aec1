#include "drawing.h"

#include "gradientsteps.h"
#include "syscolours.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <type_traits>
#include <variant>
#include <vector>

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

// Direct access to an image's pixels for one drawing call: the 32-bit scanlines are
// fetched once (one detach), not per pixel. Images of other depths go through QImage's own
// pixel access.
class Raster
{
public:
    explicit Raster(QImage &dc)
        : m_dc(dc), m_w(dc.width()), m_h(dc.height()), m_direct(dc.depth() == 32 && !dc.isNull()),
          m_bits(m_direct ? dc.bits() : nullptr), m_stride(dc.bytesPerLine())
    {
    }
    int width() const { return m_w; }
    int height() const { return m_h; }

    void plot(long long x, long long y, QRgb rgb)
    {
        if (x < 0 || y < 0 || x >= m_w || y >= m_h)
            return;
        if (m_direct)
            row(static_cast<int>(y))[x] = rgb;
        else
            m_dc.setPixel(static_cast<int>(x), static_cast<int>(y), rgb);
    }

    // Pixels x0..x1-1 of row y, clipped.
    void hspan(long long y, long long x0, long long x1, QRgb rgb)
    {
        if (y < 0 || y >= m_h)
            return;
        const int from = static_cast<int>(std::max<long long>(x0, 0));
        const int to = static_cast<int>(std::min<long long>(x1, m_w));
        if (from >= to)
            return;
        if (m_direct) {
            QRgb *line = row(static_cast<int>(y));
            std::fill(line + from, line + to, rgb);
        } else {
            for (int x = from; x < to; ++x)
                m_dc.setPixel(x, static_cast<int>(y), rgb);
        }
    }

    // Pixels y0..y1-1 of column x, clipped.
    void vspan(long long x, long long y0, long long y1, QRgb rgb)
    {
        if (x < 0 || x >= m_w)
            return;
        const int from = static_cast<int>(std::max<long long>(y0, 0));
        const int to = static_cast<int>(std::min<long long>(y1, m_h));
        for (int y = from; y < to; ++y) {
            if (m_direct)
                row(y)[x] = rgb;
            else
                m_dc.setPixel(static_cast<int>(x), y, rgb);
        }
    }

private:
    QRgb *row(int y) { return reinterpret_cast<QRgb *>(m_bits + m_stride * y); }

    QImage &m_dc;
    int m_w, m_h;
    bool m_direct;
    uchar *m_bits;
    qsizetype m_stride;
};

using Steps = GradientSteps;

void drawLine(Raster &r, int x1, int y1, int x2, int y2, QRgb rgb);

} // namespace

int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

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
    const QRgb c = Steps(start, end, n).at(i);
    return RGB(qRed(c), qGreen(c), qBlue(c));
}

// --- lines, pixels, fills ---------------------------------------------------------------

void DrawLineOn(QImage &dc, int x1, int y1, int x2, int y2, OleColor colour)
{
    Raster r(dc);
    drawLine(r, x1, y1, x2, y2, toRgb(colour));
}

namespace {
void drawLine(Raster &dc, int x1, int y1, int x2, int y2, QRgb rgb)
{
    if (y1 == y2) {
        if (x1 <= x2)
            dc.hspan(y1, x1, x2, rgb);
        else
            dc.hspan(y1, static_cast<long long>(x2) + 1, static_cast<long long>(x1) + 1, rgb);
        return;
    }
    if (x1 == x2) {
        if (y1 <= y2)
            dc.vspan(x1, y1, y2, rgb);
        else
            dc.vspan(x1, static_cast<long long>(y2) + 1, static_cast<long long>(y1) + 1, rgb);
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
        dc.plot(x, y, rgb);
    }
}
} // namespace

void DrawLine(Surface &surface, int x1, int y1, int x2, int y2, OleColor colour)
{
    DrawLineOn(surface.image(), x1, y1, x2, y2, colour);
}

void SetPixel(QImage &dc, int x, int y, OleColor colour)
{
    Raster(dc).plot(x, y, toRgb(colour));
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
    Raster r(dc);
    for (int k = 0; k < count; ++k)
        r.plot(pixels[k].x, pixels[k].y, toRgb(pixels[k].colour));
}

void FillRectColor(QImage &dc, int left, int top, int right, int bottom, OleColor colour)
{
    Raster r(dc);
    const QRgb rgb = toRgb(colour);
    const int y0 = std::max(top, 0), y1 = std::min(bottom, dc.height());
    for (int y = y0; y < y1; ++y)
        r.hspan(y, left, right, rgb);
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
enum : int { kHighlight3D = COLOR_3DHIGHLIGHT, kDarkShadow3D = COLOR_3DDKSHADOW, kLight3D = COLOR_3DLIGHT, kShadow = COLOR_BTNSHADOW };

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
    const Steps steps(start, end, n);
    Raster r(dc);
    // Only the steps whose row lies on the image are visited, so a gradient that runs far
    // outside costs no more than one across the image.
    const long long first = std::max(0LL, -static_cast<long long>(y));
    const long long last = std::min<long long>(n, r.height() - 1LL - y);
    for (long long i = first; i <= last; ++i) {
        const int row = static_cast<int>(y + i);
        drawLine(r, x1, row, x2, row, steps.at(i));
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
    const Steps steps(start, end, n);
    Raster r(surface.image());
    // As for rows: only the columns on the image are visited.
    const long long first = std::max(0LL, -static_cast<long long>(x1));
    const long long last = std::min<long long>(n, r.width() - 1LL - x1);
    for (long long i = first; i <= last; ++i) {
        const int x = static_cast<int>(x1 + i);
        drawLine(r, x, y1, x, y2, steps.at(i));
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

namespace {

// Text set without antialiasing covers whole pixels, so a laid-out caption is a set of
// pixel runs in the text colour. The runs of the last few captions are kept: a button
// repaints the same caption in the same place over and over, and laying text out again
// costs more than the whole look.
struct TextRun
{
    int y, x0, x1;
};

struct TextStamp
{
    QString text;
    QString fontKey;
    int left, top, right, bottom;
    unsigned format;
    int width, height, dpmX, dpmY;
    std::vector<TextRun> runs;
    bool direct = false; // not whole pixels: drawn by Qt each time, not from runs
};

int qtTextFlags(unsigned format)
{
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
    return flags;
}

// Lays the text out on `dc` in `colour`.
void paintText(QPainter &painter, const QFont &font, OleColor colour, const QString &text, int left, int top,
               int right, int bottom, unsigned format)
{
    QString shown = text;
    if (format & DT_SINGLELINE)
        shown.replace(QLatin1Char('\n'), QLatin1Char(' '));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(font);
    painter.setPen(toQColor(colour));
    // GDI lets text run past the rectangle but not past the surface; the rectangle only
    // places it.
    const QRect box(QPoint(left, top), QPoint(right - 1, bottom - 1));
    painter.drawText(box.isValid() ? box : QRect(left, top, 0, 0), qtTextFlags(format), shown);
}

void paintText(QImage &dc, const QFont &font, OleColor colour, const QString &text, int left, int top,
               int right, int bottom, unsigned format)
{
    QPainter painter(&dc);
    paintText(painter, font, colour, text, left, top, right, bottom, format);
}

// The runs of a caption, laid out once on a clear mask of the surface's size; false when
// the text did not come out as whole pixels.
bool layOut(TextStamp &stamp, const QFont &font)
{
    QImage mask(stamp.width, stamp.height, QImage::Format_ARGB32_Premultiplied);
    mask.setDotsPerMeterX(stamp.dpmX);
    mask.setDotsPerMeterY(stamp.dpmY);
    mask.fill(Qt::transparent);
    paintText(mask, font, RGB(255, 255, 255), stamp.text, stamp.left, stamp.top, stamp.right, stamp.bottom,
              stamp.format);
    for (int y = 0; y < stamp.height; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(mask.constScanLine(y));
        for (int x = 0; x < stamp.width; ++x) {
            const int alpha = qAlpha(line[x]);
            if (alpha != 0 && alpha != 255)
                return false;
            if (alpha == 0)
                continue;
            int end = x + 1;
            while (end < stamp.width && qAlpha(line[end]) == 255)
                ++end;
            stamp.runs.push_back({y, x, end});
            x = end - 1;
        }
    }
    return true;
}

std::vector<TextStamp> &stamps()
{
    static std::vector<TextStamp> kept;
    return kept;
}

} // namespace

void forgetTextLayouts()
{
    stamps().clear();
}

void DrawText(Surface &surface, const QString &text, int left, int top, int right, int bottom,
              unsigned format)
{
    QImage &dc = surface.image();
    if (dc.isNull() || text.isEmpty())
        return;
    QFont font = surface.font();
    font.setStyleStrategy(QFont::NoAntialias);
    if (surface.deviceScale() != 1.0) {
        surface.keep(KeptText{text, font, surface.foreColor(), left, top, right, bottom, format});
        return;
    }
    if (dc.depth() != 32) {
        paintText(dc, font, surface.foreColor(), text, left, top, right, bottom, format);
        return;
    }

    const QString fontKey = font.key();
    std::vector<TextStamp> &kept = stamps();
    auto found = std::find_if(kept.begin(), kept.end(), [&](const TextStamp &k) {
        return k.left == left && k.top == top && k.right == right && k.bottom == bottom && k.format == format
               && k.width == dc.width() && k.height == dc.height() && k.dpmX == dc.dotsPerMeterX()
               && k.dpmY == dc.dotsPerMeterY() && k.text == text && k.fontKey == fontKey;
    });
    if (found == kept.end()) {
        TextStamp stamp{text, fontKey, left, top, right, bottom, format, dc.width(), dc.height(),
                        dc.dotsPerMeterX(), dc.dotsPerMeterY(), {}, false};
        // Kept either way, so a caption that cannot be replayed is not laid out on a mask
        // again at every paint only to be drawn directly.
        if (!layOut(stamp, font)) {
            stamp.runs.clear();
            stamp.direct = true;
        }
        constexpr std::size_t kKept = 16;
        if (kept.size() >= kKept)
            kept.pop_back();
        kept.insert(kept.begin(), std::move(stamp));
        found = kept.begin();
    }
    if (found->direct) {
        paintText(dc, font, surface.foreColor(), text, left, top, right, bottom, format);
        return;
    }
    Raster r(dc);
    const QRgb rgb = toRgb(surface.foreColor());
    for (const TextRun &run : found->runs)
        r.hspan(run.y, run.x0, run.x1, rgb);
}

// --- pictures ---------------------------------------------------------------------------

namespace {

void shadePixels(QImage &dc, long long left, long long top, long long right, long long bottom, QPoint reference,
                 OleColor colour)
{
    const long long x0 = std::max<long long>(left, 0), y0 = std::max<long long>(top, 0);
    const long long x1 = std::min<long long>(right, dc.width() - 1LL);
    const long long y1 = std::min<long long>(bottom, dc.height() - 1LL);
    for (long long row = y0; row <= y1; ++row) {
        for (long long col = x0; col <= x1; ++col) {
            if (GetPixel(dc, static_cast<int>(col), static_cast<int>(row)) != GetPixel(dc, reference.x(), reference.y()))
                SetPixel(dc, static_cast<int>(col), static_cast<int>(row), colour);
        }
    }
}

void drawKept(QPainter &painter, const KeptText &kept)
{
    paintText(painter, kept.font, kept.colour, kept.text, kept.left, kept.top, kept.right, kept.bottom, kept.format);
}

void drawKept(QPainter &painter, const KeptPicture &kept)
{
    painter.drawPixmap(kept.target, kept.picture, kept.source);
}

// Surface pixel `p` as the first device pixel of its block.
int devicePixel(long long p, double scale)
{
    return static_cast<int>(std::clamp<double>(std::floor(static_cast<double>(p) * scale), INT_MIN, INT_MAX));
}

// The surface with the first `count` kept drawings, at the device's resolution: a shade
// has to see the text and pictures beneath it as the screen will show them.
QImage deviceImage(const Surface &surface, std::size_t count)
{
    const QImage &image = surface.image();
    const double scale = surface.deviceScale();
    QImage device(static_cast<int>(std::ceil(image.width() * scale)), static_cast<int>(std::ceil(image.height() * scale)),
                  QImage::Format_RGB32);
    device.setDevicePixelRatio(scale);
    device.fill(toQColor(surface.backColor()));
    const QRect shown(0, 0, image.width(), image.height());
    {
        QPainter painter(&device);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(shown, image);
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (const auto *shade = std::get_if<KeptShade>(&surface.kept()[i])) {
            shadePixels(device, devicePixel(shade->left, scale), devicePixel(shade->top, scale),
                        devicePixel(shade->right + 1LL, scale) - 1LL, devicePixel(shade->bottom + 1LL, scale) - 1LL,
                        QPoint(devicePixel(shade->reference.x(), scale), devicePixel(shade->reference.y(), scale)),
                        shade->colour);
            continue;
        }
        QPainter painter(&device);
        painter.setClipRect(shown);
        std::visit([&](const auto &kept) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(kept)>, KeptShade>)
                drawKept(painter, kept);
        }, surface.kept()[i]);
    }
    return device;
}

} // namespace

void DrawPicture(Surface &surface, const QPixmap &picture, int x, int y, int width, int height)
{
    QImage &dc = surface.image();
    if (width <= 0 || height <= 0 || dc.isNull())
        return;
    if (surface.deviceScale() == 1.0) {
        QPainter painter(&dc);
        painter.drawPixmap(QRect(x, y, width, height), picture);
        return;
    }
    if (picture.isNull())
        return;
    // Only the part on the surface is kept: a huge box would overflow device coordinates.
    const double left = std::max<double>(x, 0), top = std::max<double>(y, 0);
    const double right = std::min<double>(double(x) + width, dc.width());
    const double bottom = std::min<double>(double(y) + height, dc.height());
    if (left >= right || top >= bottom)
        return;
    const double sx = picture.width() / double(width), sy = picture.height() / double(height);
    surface.keep(KeptPicture{picture, QRectF(left, top, right - left, bottom - top),
                             QRectF((left - x) * sx, (top - y) * sy, (right - left) * sx, (bottom - top) * sy)});
}

void ShadeChangedPixels(Surface &surface, int left, int top, long long right, long long bottom, QPoint reference,
                        OleColor colour)
{
    QImage &dc = surface.image();
    if (surface.deviceScale() == 1.0) {
        shadePixels(dc, left, top, right, bottom, reference, colour);
        return;
    }
    const int x0 = std::max(left, 0), y0 = std::max(top, 0);
    const int x1 = static_cast<int>(std::min<long long>(right, dc.width() - 1LL));
    const int y1 = static_cast<int>(std::min<long long>(bottom, dc.height() - 1LL));
    if (x0 <= x1 && y0 <= y1)
        surface.keep(KeptShade{x0, y0, x1, y1, reference, colour});
}

// --- showing ----------------------------------------------------------------------------

void ShowSurface(QPainter &painter, const Surface &surface)
{
    const QImage &image = surface.image();
    const std::vector<KeptDrawing> &kept = surface.kept();
    // Everything up to the last shade is put together at the device's resolution first.
    std::size_t composed = kept.size();
    while (composed > 0 && !std::holds_alternative<KeptShade>(kept[composed - 1]))
        --composed;
    painter.save();
    // Each surface pixel a block of device pixels: at a whole ratio the look's lines and
    // pixels stay sharp instead of being blurred between neighbours.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setClipRect(QRect(0, 0, image.width(), image.height()));
    if (composed == 0)
        painter.drawImage(QRect(0, 0, image.width(), image.height()), image);
    else
        painter.drawImage(QPointF(0, 0), deviceImage(surface, composed));
    for (std::size_t i = composed; i < kept.size(); ++i) {
        std::visit([&](const auto &drawing) {
            if constexpr (!std::is_same_v<std::decay_t<decltype(drawing)>, KeptShade>)
                drawKept(painter, drawing);
        }, kept[i]);
    }
    painter.restore();
}

} // namespace host
