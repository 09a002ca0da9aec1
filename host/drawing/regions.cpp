#include "regions.h"

#include <QPolygon>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace host {

namespace {
// The rounded-rectangle rule for any box and corner ellipse.
QRegion RoundRectRegion(int left, int top, int right, int bottom, int ew, int eh)
{
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    // The system's rounded region covers the box without its last column and row.
    --right;
    --bottom;
    ew = std::min(right - left, std::abs(ew));
    eh = std::min(bottom - top, std::abs(eh));
    if (right <= left || bottom <= top)
        return QRegion();
    if (ew < 2 || eh < 2)
        return QRegion(left, top, right - left, bottom - top);

    // Inset of each corner row: the first pixel whose centre lies inside the corner ellipse
    // through the pixel centres 0 .. ew-1 (and 0 .. eh-1).
    const double cx = (ew - 1) / 2.0, cy = (eh - 1) / 2.0;
    const int half = eh / 2;
    QVector<QRect> rows;
    rows.reserve(2 * half + 1);
    const auto inset = [&](int i) {
        const double dy = (cy - i) / cy;
        const double reach = cx * std::sqrt(std::max(0.0, 1.0 - dy * dy));
        return std::clamp(static_cast<int>(std::ceil(cx - reach - 1e-9)), 0, ew / 2);
    };
    for (int i = 0; i < half; ++i) {
        const int in = inset(i);
        rows.append(QRect(QPoint(left + in, top + i), QPoint(right - in - 1, top + i)));
    }
    if (bottom - half > top + half)
        rows.append(QRect(QPoint(left, top + half), QPoint(right - 1, bottom - half - 1)));
    for (int i = half - 1; i >= 0; --i) {
        const int in = inset(i);
        rows.append(QRect(QPoint(left + in, bottom - 1 - i), QPoint(right - in - 1, bottom - 1 - i)));
    }
    // United row by row, so Qt keeps the rows in its own banded form.
    QRegion region;
    for (const QRect &row : rows)
        region += row;
    return region;
}

} // namespace

QRegion MakeCutCornerRegion(int w, int h)
{
    const QPolygon shape({QPoint(0, 1), QPoint(1, 0), QPoint(w - 1, 0), QPoint(w, 1),
                          QPoint(w, h - 2), QPoint(w - 2, h), QPoint(2, h), QPoint(0, h - 2)});
    return QRegion(shape, Qt::OddEvenFill);
}

QRegion MakeBevelCornerRegion(int w, int h)
{
    const QPolygon shape({QPoint(0, 2), QPoint(2, 0), QPoint(w - 3, 0), QPoint(w, 3),
                          QPoint(w, h - 3), QPoint(w - 3, h), QPoint(4, h), QPoint(0, h - 4)});
    return QRegion(shape, Qt::OddEvenFill);
}

QRegion MakeRoundRegion(int w, int h)
{
    return RoundRectRegion(0, 0, w + 1, h + 1, 18, 18);
}

} // namespace host
