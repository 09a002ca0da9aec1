#include "picture.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace host {

namespace {

// One axis of an area-averaging scale: for each target pixel the first source pixel it
// covers, how many it covers, and their shares. Every covered pixel but the two at the ends
// lies wholly inside the target pixel and has the same share, so three numbers describe
// them all, and the table grows with the target only, not with the source.
struct AxisWeights
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> firstShare, innerShare, lastShare;

    float share(int i, int k) const
    {
        return k == 0 ? firstShare[i] : k == count[i] - 1 ? lastShare[i] : innerShare[i];
    }
};

AxisWeights areaWeights(int from, int to)
{
    AxisWeights w;
    w.first.resize(to);
    w.count.resize(to);
    w.firstShare.resize(to);
    w.innerShare.resize(to);
    w.lastShare.resize(to);
    const double scale = double(from) / to;
    for (int i = 0; i < to; ++i) {
        const double a = i * scale;
        const double b = (i + 1) * scale;
        const int s0 = std::min(from - 1, int(std::floor(a)));
        const int s1 = std::min(from - 1, std::max(s0, int(std::ceil(b)) - 1));
        auto cover = [a, b](int s) { return std::max(0.0, std::min(b, s + 1.0) - std::max(a, double(s))); };
        const double coverFirst = cover(s0), coverLast = cover(s1);
        const double total = s1 == s0 ? coverFirst : coverFirst + coverLast + (s1 - s0 - 1);
        // Normalised so rounding at the ends of the axis never darkens a border pixel.
        const double divisor = total > 0 ? total : 1.0;
        w.first[i] = s0;
        w.count[i] = s1 - s0 + 1;
        w.firstShare[i] = float(coverFirst / divisor);
        w.innerShare[i] = float(1.0 / divisor);
        w.lastShare[i] = float(coverLast / divisor);
    }
    return w;
}

QImage asRgb888(const QImage &image)
{
    return image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
}

// The rows of any image as RGB888, converted a strip of about a megapixel at a time, so a
// large picture is never copied whole. Rows are best asked for in rising order.
class Rgb888Rows
{
public:
    // `stripRows` 0: strips of about a megapixel, for reading every row.
    explicit Rgb888Rows(const QImage &source, int stripRows = 0)
        : m_source(source),
          m_stripRows(stripRows > 0 ? stripRows : std::max(1, int(kStripPixels / std::max(1, source.width()))))
    {
    }

    const uchar *row(int y)
    {
        if (m_source.format() == QImage::Format_RGB888)
            return m_source.constScanLine(y);
        if (m_strip.isNull() || y < m_top || y >= m_top + m_strip.height()) {
            m_top = y;
            const int rows = std::min(m_stripRows, m_source.height() - y);
            QImage view(m_source.constScanLine(y), m_source.width(), rows, m_source.bytesPerLine(), m_source.format());
            view.setColorTable(m_source.colorTable());
            m_strip = view.convertToFormat(QImage::Format_RGB888);
            if (m_strip.isNull())
                throw std::bad_alloc();
        }
        return m_strip.constScanLine(y - m_top);
    }

private:
    static constexpr qint64 kStripPixels = 1 << 20;
    const QImage &m_source;
    const int m_stripRows;
    QImage m_strip;
    int m_top = 0;
};

QImage newRgb888(QSize size)
{
    QImage image(size, QImage::Format_RGB888);
    if (image.isNull())
        throw std::bad_alloc();
    return image;
}

} // namespace

QImage flattened(const QImage &picture, QRgb background)
{
    if (picture.isNull())
        return QImage();
    if (!picture.hasAlphaChannel())
        return asRgb888(picture);
    QImage out(picture.size(), QImage::Format_RGB888);
    out.fill(QColor::fromRgb(background));
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}

// Memory stays in proportion to the output whatever the source's shape: a wide source is
// narrowed row by row (two narrowed rows kept, since neighbouring target rows share a source
// row), a tall narrow one is gathered row by row at its own width.
QImage stretchAreaAverage(const QImage &source, QSize size)
{
    if (source.isNull() || size.isEmpty())
        return QImage();
    Rgb888Rows src(source);
    const int sw = source.width(), sh = source.height();
    const int dw = size.width(), dh = size.height();
    const AxisWeights wx = areaWeights(sw, dw);
    const AxisWeights wy = areaWeights(sh, dh);

    QImage result = newRgb888(size);
    std::vector<float> acc(size_t(dw) * 3);
    auto store = [&](int y) {
        uchar *line = result.scanLine(y);
        for (int i = 0; i < dw * 3; ++i)
            line[i] = uchar(std::clamp(int(acc[i] + 0.5f), 0, 255));
    };
    // One source row (`width` pixels of 3 channels, float or bytes) reduced to the target width.
    auto narrow = [&](const auto *line, float *out) {
        for (int x = 0; x < dw; ++x) {
            float r = 0, g = 0, b = 0;
            const auto *p = line + size_t(wx.first[x]) * 3;
            for (int k = 0; k < wx.count[x]; ++k, p += 3) {
                const float w = wx.share(x, k);
                r += w * p[0];
                g += w * p[1];
                b += w * p[2];
            }
            out[x * 3] = r;
            out[x * 3 + 1] = g;
            out[x * 3 + 2] = b;
        }
    };

    if (sw > dw || sh <= dh) {
        std::vector<float> cache[2] = {std::vector<float>(size_t(dw) * 3), std::vector<float>(size_t(dw) * 3)};
        int tag[2] = {-1, -1};
        int last = 0;
        auto narrowed = [&](int s) -> const float * {
            for (int c : {0, 1}) {
                if (tag[c] == s) {
                    last = c;
                    return cache[c].data();
                }
            }
            last = 1 - last;
            narrow(src.row(s), cache[last].data());
            tag[last] = s;
            return cache[last].data();
        };
        for (int y = 0; y < dh; ++y) {
            std::fill(acc.begin(), acc.end(), 0.0f);
            for (int k = 0; k < wy.count[y]; ++k) {
                const float *in = narrowed(wy.first[y] + k);
                const float w = wy.share(y, k);
                for (int i = 0; i < dw * 3; ++i)
                    acc[i] += w * in[i];
            }
            store(y);
        }
    } else {
        std::vector<float> gathered(size_t(sw) * 3);
        for (int y = 0; y < dh; ++y) {
            std::fill(gathered.begin(), gathered.end(), 0.0f);
            for (int k = 0; k < wy.count[y]; ++k) {
                const uchar *in = src.row(wy.first[y] + k);
                const float w = wy.share(y, k);
                for (int i = 0; i < sw * 3; ++i)
                    gathered[i] += w * in[i];
            }
            narrow(gathered.data(), acc.data());
            store(y);
        }
    }
    return result;
}

QImage stretchNearest(const QImage &source, QSize size)
{
    if (source.isNull() || size.isEmpty())
        return QImage();
    // Only the rows under the target rows are read, one at a time.
    Rgb888Rows src(source, 1);
    const int sw = source.width(), sh = source.height();
    std::vector<int> columns(size.width());
    for (int x = 0; x < size.width(); ++x)
        columns[x] = std::min(sw - 1, int((x + 0.5) * sw / size.width()));
    QImage result = newRgb888(size);
    for (int y = 0; y < size.height(); ++y) {
        const uchar *in = src.row(std::min(sh - 1, int((y + 0.5) * sh / size.height())));
        uchar *out = result.scanLine(y);
        for (int x = 0; x < size.width(); ++x) {
            const uchar *p = in + size_t(columns[x]) * 3;
            out[x * 3] = p[0];
            out[x * 3 + 1] = p[1];
            out[x * 3 + 2] = p[2];
        }
    }
    return result;
}

} // namespace host
