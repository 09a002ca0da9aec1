#include "picture.h"

#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <vector>

namespace host {

namespace {

// Upper bound for one decoded image in QImageReader, a second guard behind the pixel count
// check (a damaged header can claim less than the decoder then allocates).
constexpr int kAllocationLimitMB = 192;

// Below this decoding "quality" Qt's JPEG reader uses libjpeg's fast settings.
constexpr int kFastJpegQuality = 49;

bool transposes(QImageIOHandler::Transformations t)
{
    return t.testFlag(QImageIOHandler::TransformationRotate90);
}

// The smallest size with the aspect of `size` that covers `needed` in both directions;
// `size` itself when it is not larger.
QSize coveringSize(QSize size, QSize needed)
{
    if (needed.isEmpty())
        return size;
    const double f = std::max(double(needed.width()) / size.width(), double(needed.height()) / size.height());
    if (f >= 1.0)
        return size;
    return QSize(std::clamp(int(std::ceil(size.width() * f - 1e-9)), 1, size.width()),
                 std::clamp(int(std::ceil(size.height() * f - 1e-9)), 1, size.height()));
}

// One axis of an area-averaging scale: for each target pixel the first source pixel it
// covers and the share of each covered source pixel.
struct AxisWeights
{
    std::vector<int> first;
    std::vector<int> count;
    std::vector<float> weights; // count[i] entries per target pixel, in order
    std::vector<int> offset;
};

AxisWeights areaWeights(int from, int to)
{
    AxisWeights w;
    w.first.resize(to);
    w.count.resize(to);
    w.offset.resize(to);
    const double scale = double(from) / to;
    for (int i = 0; i < to; ++i) {
        const double a = i * scale;
        const double b = (i + 1) * scale;
        const int s0 = std::min(from - 1, int(std::floor(a)));
        const int s1 = std::min(from - 1, std::max(s0, int(std::ceil(b)) - 1));
        w.first[i] = s0;
        w.count[i] = s1 - s0 + 1;
        w.offset[i] = int(w.weights.size());
        double total = 0;
        for (int s = s0; s <= s1; ++s) {
            const double cover = std::min(b, s + 1.0) - std::max(a, double(s));
            w.weights.push_back(float(std::max(0.0, cover)));
            total += std::max(0.0, cover);
        }
        // Normalise so rounding at the ends of the axis never darkens a border pixel.
        for (int k = 0; k < w.count[i]; ++k)
            w.weights[w.offset[i] + k] = float(w.weights[w.offset[i] + k] / (total > 0 ? total : 1.0));
    }
    return w;
}

QImage asRgb888(const QImage &image)
{
    return image.format() == QImage::Format_RGB888 ? image : image.convertToFormat(QImage::Format_RGB888);
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

QImage stretchAreaAverage(const QImage &source, QSize size)
{
    if (source.isNull() || size.isEmpty())
        return QImage();
    const QImage src = asRgb888(source);
    const int sw = src.width(), sh = src.height();
    const int dw = size.width(), dh = size.height();
    const AxisWeights wx = areaWeights(sw, dw);
    const AxisWeights wy = areaWeights(sh, dh);

    // Rows first: every source row reduced to the target width.
    std::vector<float> rows(size_t(sh) * dw * 3);
    for (int y = 0; y < sh; ++y) {
        const uchar *line = src.constScanLine(y);
        float *out = &rows[size_t(y) * dw * 3];
        for (int x = 0; x < dw; ++x) {
            float r = 0, g = 0, b = 0;
            const uchar *p = line + size_t(wx.first[x]) * 3;
            const float *w = &wx.weights[wx.offset[x]];
            for (int k = 0; k < wx.count[x]; ++k, p += 3) {
                r += w[k] * p[0];
                g += w[k] * p[1];
                b += w[k] * p[2];
            }
            out[x * 3] = r;
            out[x * 3 + 1] = g;
            out[x * 3 + 2] = b;
        }
    }

    QImage result(size, QImage::Format_RGB888);
    std::vector<float> acc(size_t(dw) * 3);
    for (int y = 0; y < dh; ++y) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        const float *w = &wy.weights[wy.offset[y]];
        for (int k = 0; k < wy.count[y]; ++k) {
            const float *in = &rows[size_t(wy.first[y] + k) * dw * 3];
            for (int i = 0; i < dw * 3; ++i)
                acc[i] += w[k] * in[i];
        }
        uchar *line = result.scanLine(y);
        for (int i = 0; i < dw * 3; ++i)
            line[i] = uchar(std::clamp(int(acc[i] + 0.5f), 0, 255));
    }
    return result;
}

QImage stretchNearest(const QImage &source, QSize size)
{
    if (source.isNull() || size.isEmpty())
        return QImage();
    const QImage src = asRgb888(source);
    const int sw = src.width(), sh = src.height();
    std::vector<int> columns(size.width());
    for (int x = 0; x < size.width(); ++x)
        columns[x] = std::min(sw - 1, int((x + 0.5) * sw / size.width()));
    QImage result(size, QImage::Format_RGB888);
    for (int y = 0; y < size.height(); ++y) {
        const uchar *in = src.constScanLine(std::min(sh - 1, int((y + 0.5) * sh / size.height())));
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

LoadedPicture loadPicture(const QString &path, QSize needed, Reduction reduction)
{
    LoadedPicture out;
    QImageReader::setAllocationLimit(kAllocationLimitMB);
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        out.error = reader.error() == QImageReader::FileNotFoundError
                        ? QStringLiteral("the file cannot be found or opened")
                        : QStringLiteral("it is not a readable GIF, BMP, JPEG or PNG picture");
        return out;
    }
    const QByteArray format = reader.format().toLower();
    if (format != "gif" && format != "bmp" && format != "jpeg" && format != "jpg" && format != "png") {
        out.error = QStringLiteral("it is not a GIF, BMP, JPEG or PNG picture");
        return out;
    }
    const QSize raw = reader.size();
    if (!raw.isValid() || raw.isEmpty()) {
        out.error = QStringLiteral("its size cannot be read");
        return out;
    }
    const bool turned = transposes(reader.transformation());
    out.naturalSize = turned ? raw.transposed() : raw;
    const QSize neededRaw = turned ? needed.transposed() : needed;

    // A JPEG can be decoded straight at 1/2, 1/4 or 1/8 of its size, which costs a fraction
    // of the time and memory of a full decode; take the smallest that still covers the need.
    QSize decoded = raw;
    if ((format == "jpeg" || format == "jpg") && !needed.isEmpty()) {
        for (int d : {8, 4, 2}) {
            if (raw.width() / d >= neededRaw.width() && raw.height() / d >= neededRaw.height()) {
                decoded = QSize(raw.width() / d, raw.height() / d);
                reader.setScaledSize(decoded);
                // The fast inverse transform and plain chroma upsampling: at a reduced
                // scale they differ from the exact ones by less than the averaging that
                // follows smooths away, and save a tenth of the decoding time.
                reader.setQuality(kFastJpegQuality);
                break;
            }
        }
    }
    if (qint64(decoded.width()) * decoded.height() > kMaxDecodedPixels) {
        out.error = QStringLiteral("it is too large (%1 x %2 pixels)").arg(out.naturalSize.width()).arg(out.naturalSize.height());
        return out;
    }

    QImage image = reader.read();
    if (image.isNull()) {
        out.error = QStringLiteral("it cannot be decoded: %1").arg(reader.errorString());
        return out;
    }
    // Reduced only when at least twice as large as needed: a second averaging step close
    // to the final size would cost time and accuracy for little memory.
    const QSize keep = coveringSize(image.size(), needed);
    if (keep != image.size() && (image.width() >= 2 * keep.width() || image.height() >= 2 * keep.height())) {
        if (image.hasAlphaChannel())
            image = image.scaled(keep, Qt::IgnoreAspectRatio,
                                 reduction == Reduction::Average ? Qt::SmoothTransformation : Qt::FastTransformation);
        else
            image = reduction == Reduction::Average ? stretchAreaAverage(image, keep) : stretchNearest(image, keep);
    }
    out.image = std::move(image);
    return out;
}

} // namespace host
