#include "shapemask.h"

#include <QRect>
#include <algorithm>
#include <cmath>

namespace host {

namespace {
QRegion regionFromRects(const std::vector<QRect> &rects)
{
    QRegion region;
    // One-row rectangles in row order are already banded: handing them over at once is
    // much cheaper than uniting them one by one.
    if (!rects.empty())
        region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

double cross(const QPointF &o, const QPointF &a, const QPointF &b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

} // namespace

// Monotone chain.
std::vector<QPointF> convexHull(std::vector<QPointF> points)
{
    std::sort(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    if (points.size() < 3)
        return points;
    std::vector<QPointF> hull(2 * points.size());
    size_t k = 0;
    for (const QPointF &p : points) {
        while (k >= 2 && cross(hull[k - 2], hull[k - 1], p) <= 0)
            --k;
        hull[k++] = p;
    }
    for (size_t i = points.size() - 1, lower = k + 1; i-- > 0;) {
        while (k >= lower && cross(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull;
}
QRegion regionFromBgra(const unsigned char *pixels, int width, int height, qsizetype stride,
                       bool bottomUp)
{
    Q_ASSERT(width <= 0 || stride >= qsizetype(width) * 4);
    std::vector<QRect> rects;
    for (int y = 0; y < height; ++y) {
        const int row = bottomUp ? height - 1 - y : y;
        const auto *p = reinterpret_cast<const quint32 *>(pixels + row * stride);
        int x = 0;
        while (x < width) {
            // Blue, green and red are the low three bytes of each little-endian word.
            while (x < width && (p[x] & 0x00ffffffu) == 0)
                ++x;
            const int start = x;
            while (x < width && (p[x] & 0x00ffffffu) != 0)
                ++x;
            if (x > start)
                rects.emplace_back(start, y, x - start, 1);
        }
    }
    return regionFromRects(rects);
}

void keyBlackToAlpha(unsigned char *pixels, int width, int height, qsizetype stride)
{
    for (int y = 0; y < height; ++y) {
        auto *p = reinterpret_cast<quint32 *>(pixels + y * stride);
        for (int x = 0; x < width; ++x) {
            if ((p[x] & 0x00ffffffu) == 0)
                p[x] = 0;
        }
    }
}

QRegion windowPixelRegion(const QRegion &deviceRegion, double ratio)
{
    if (ratio == 1.0 || !(ratio > 0))
        return deviceRegion;
    QRegion scaled;
    for (const QRect &r : deviceRegion) {
        const int left = static_cast<int>(std::floor(r.left() / ratio));
        const int top = static_cast<int>(std::floor(r.top() / ratio));
        const int right = static_cast<int>(std::ceil((r.right() + 1) / ratio));
        const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) / ratio));
        scaled += QRect(left, top, right - left, bottom - top);
    }
    return scaled;
}

QRegion regionFromConvexPoints(std::vector<QPointF> points, QSize size)
{
    for (const QPointF &p : points) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()))
            return QRegion();
    }
    const std::vector<QPointF> hull = convexHull(std::move(points));
    if (hull.size() < 3)
        return QRegion();
    double top = hull[0].y(), bottom = hull[0].y();
    for (const QPointF &p : hull) {
        top = std::min(top, p.y());
        bottom = std::max(bottom, p.y());
    }
    // Clamped first, so the conversions below stay in range whatever the points.
    top = std::clamp(top, -1.0, size.height() + 1.0);
    bottom = std::clamp(bottom, -1.0, size.height() + 1.0);
    const int firstRow = std::max(0, static_cast<int>(std::ceil(top - 0.5)));
    const int lastRow = std::min(size.height() - 1, static_cast<int>(std::ceil(bottom - 0.5)) - 1);
    std::vector<QRect> rects;
    for (int y = firstRow; y <= lastRow; ++y) {
        const double cy = y + 0.5;
        double left = INFINITY, right = -INFINITY;
        for (size_t i = 0; i < hull.size(); ++i) {
            const QPointF &a = hull[i];
            const QPointF &b = hull[(i + 1) % hull.size()];
            // Half-open in y, so a vertex on the row's centre counts for one edge only.
            if ((a.y() <= cy && cy < b.y()) || (b.y() <= cy && cy < a.y())) {
                const double x = a.x() + (cy - a.y()) * (b.x() - a.x()) / (b.y() - a.y());
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        if (!(left <= right))
            continue;
        left = std::clamp(left, -1.0, size.width() + 1.0);
        right = std::clamp(right, -1.0, size.width() + 1.0);
        const int x0 = std::max(0, static_cast<int>(std::ceil(left - 0.5)));
        const int x1 = std::min(size.width(), static_cast<int>(std::ceil(right - 0.5)));
        if (x1 > x0)
            rects.emplace_back(x0, y, x1 - x0, 1);
    }
    return regionFromRects(rects);
}

} // namespace host
