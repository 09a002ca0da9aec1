#include "picture.h"

#include "jpegpreview.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSemaphore>
#include <QTransform>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <optional>
#include <new>
#include <vector>

namespace host {

namespace {

// Upper bound for one decoded image in QImageReader, a second guard behind the pixel count
// check (a damaged header can claim less than the decoder then allocates).
constexpr int kAllocationLimitMB = 192;

// Below this decoding "quality" Qt's JPEG reader uses libjpeg's fast settings.
constexpr int kFastJpegQuality = 49;

// Pictures are loaded side by side; together they may hold this much decoding memory at a
// time (in MiB), so seven large pictures in the slots cannot add up beyond it.
constexpr int kSharedDecodingMB = 192;

QSemaphore &decodingMemory()
{
    static QSemaphore budget(kSharedDecodingMB);
    return budget;
}

// Holds `mb` of the shared decoding memory for as long as it lives.
class DecodingShare
{
public:
    explicit DecodingShare(int mb) : m_mb(std::clamp(mb, 1, kSharedDecodingMB)) { decodingMemory().acquire(m_mb); }
    ~DecodingShare() { decodingMemory().release(m_mb); }
    DecodingShare(const DecodingShare &) = delete;
    DecodingShare &operator=(const DecodingShare &) = delete;

private:
    int m_mb;
};

quint16 be16(const uchar *p)
{
    return quint16((p[0] << 8) | p[1]);
}

// What a JPEG's frame header says, read before any decoding.
struct JpegFrame
{
    bool found = false;
    bool wholeImageBuffer = false; // progressive or one component per scan
    qint64 coefficientBytes = 0;   // the decoder's buffer for all coefficients at once
};

// Walks the markers up to the first scan. A progressive JPEG (or one whose first scan does
// not carry every component) makes libjpeg keep every DCT coefficient of the whole picture,
// 128 bytes per 8 x 8 block and component, whatever scale it is decoded at.
JpegFrame readJpegFrame(const QString &path)
{
    JpegFrame frame;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return frame;
    uchar head[2];
    if (file.read(reinterpret_cast<char *>(head), 2) != 2 || head[0] != 0xFF || head[1] != 0xD8)
        return frame;
    int components = 0;
    bool progressive = false;
    for (int markers = 0; markers < 4096; ++markers) {
        char c = 0;
        do {
            if (!file.getChar(&c))
                return frame;
        } while (uchar(c) != 0xFF);
        do {
            if (!file.getChar(&c))
                return frame;
        } while (uchar(c) == 0xFF);
        const uchar marker = uchar(c);
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            continue; // no length field
        if (marker == 0xD9)
            return frame;
        uchar lengthBytes[2];
        if (file.read(reinterpret_cast<char *>(lengthBytes), 2) != 2)
            return frame;
        const int length = be16(lengthBytes);
        if (length < 2)
            return frame;
        const QByteArray body = file.read(length - 2);
        if (body.size() != length - 2)
            return frame;
        const auto *b = reinterpret_cast<const uchar *>(body.constData());
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (sof && body.size() >= 6) {
            progressive = marker == 0xC2 || marker == 0xC6 || marker == 0xCA || marker == 0xCE;
            const qint64 height = be16(b + 1), width = be16(b + 3);
            components = b[5];
            if (body.size() < 6 + 3 * components)
                return frame;
            int hMax = 1, vMax = 1;
            for (int i = 0; i < components; ++i) {
                hMax = std::max(hMax, b[6 + 3 * i + 1] >> 4);
                vMax = std::max(vMax, b[6 + 3 * i + 1] & 15);
            }
            qint64 bytes = 0;
            for (int i = 0; i < components; ++i) {
                const int h = std::max(1, b[6 + 3 * i + 1] >> 4), v = std::max(1, b[6 + 3 * i + 1] & 15);
                const qint64 blocksWide = (width * h + hMax * 8 - 1) / (hMax * 8) + h;
                const qint64 blocksHigh = (height * v + vMax * 8 - 1) / (vMax * 8) + v;
                bytes += blocksWide * blocksHigh * 128;
            }
            frame.found = true;
            frame.coefficientBytes = bytes;
        } else if (marker == 0xDA) {
            frame.wholeImageBuffer = progressive || (body.size() >= 1 && b[0] < components);
            return frame;
        }
    }
    return frame;
}

// A GIF's logical screen: the reader decodes every frame onto a canvas this large, however
// small the frames are.
QSize gifCanvas(const QString &path)
{
    QFile file(path);
    uchar head[10];
    if (!file.open(QIODevice::ReadOnly) || file.read(reinterpret_cast<char *>(head), 10) != 10)
        return QSize();
    return QSize(head[6] | (head[7] << 8), head[8] | (head[9] << 8));
}

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

namespace {

// Qt's BMP reader fills the rows a cut-off file lacks with black and reports success, so a
// truncated picture would show as a mostly black one. Uncompressed pixels have a known
// length: all of it must be in the file (the last row's padding may be missing).
bool bmpRowsMissing(const QString &path)
{
    QFile file(path);
    uchar h[34];
    if (!file.open(QIODevice::ReadOnly) || file.read(reinterpret_cast<char *>(h), sizeof h) != sizeof h)
        return false; // too short for a size: the reader refuses it
    const qint64 offset = qFromLittleEndian<quint32>(h + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(h + 14);
    const bool core = infoSize == 12;
    const qint64 width = core ? qFromLittleEndian<quint16>(h + 18) : qFromLittleEndian<qint32>(h + 18);
    const qint64 height = std::abs(core ? qFromLittleEndian<quint16>(h + 20) : qint64(qFromLittleEndian<qint32>(h + 22)));
    const qint64 bits = qFromLittleEndian<quint16>(h + (core ? 24 : 28));
    const quint32 compression = core ? 0 : qFromLittleEndian<quint32>(h + 30);
    // Run-length pixels have no length to check, and odd sizes and depths are the reader's.
    if ((compression != 0 && compression != 3) || width <= 0 || height == 0 || bits <= 0 || bits > 32)
        return false;
    const qint64 lastRow = (width * bits + 7) / 8;
    const qint64 stride = (width * bits + 31) / 32 * 4;
    const qint64 afterFirstRows = file.size() - offset - lastRow; // kept apart: no overflow
    return afterFirstRows < 0 || afterFirstRows / stride < height - 1;
}

// A top-down BMP (negative height) as the reader knows it: the same bytes with the height
// made positive. Read as the usual bottom-up layout, the picture comes out upside down and
// is turned back after decoding.
class PositiveBmpHeight : public QIODevice
{
public:
    PositiveBmpHeight(const QString &path, qint32 height) : m_file(path)
    {
        for (int i = 0; i < 4; ++i)
            m_height[i] = char((quint32(height) >> (8 * i)) & 0xFF);
    }
    bool open(OpenMode mode) override
    {
        return m_file.open(QIODevice::ReadOnly) && QIODevice::open(mode | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_file.size(); }
    bool seek(qint64 position) override { return QIODevice::seek(position) && m_file.seek(position); }

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const qint64 at = m_file.pos();
        const qint64 got = m_file.read(data, maxSize);
        for (qint64 i = std::max<qint64>(at, kHeightField); i < std::min<qint64>(at + got, kHeightField + 4); ++i)
            data[i - at] = m_height[i - kHeightField];
        return got;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    static constexpr qint64 kHeightField = 22;
    QFile m_file;
    char m_height[4];
};

// What decoding `path` allocates, judged from its headers alone: the image the reader
// makes, the buffers its decoder keeps beside it, and the copy made when it is turned
// upright or reduced with its transparency.
qint64 decodingCost(const QString &path, const QByteArray &format, QSize decoded, bool transformed)
{
    qint64 cost = qint64(decoded.width()) * decoded.height() * 4;
    if (format == "jpeg" || format == "jpg") {
        const JpegFrame frame = readJpegFrame(path);
        if (frame.wholeImageBuffer)
            cost += frame.coefficientBytes;
    } else if (format == "gif") {
        // Every frame is painted on a canvas of the logical screen's size, however small
        // the frames; with its transparency the canvas is copied once more to be reduced.
        const QSize canvas = gifCanvas(path).expandedTo(decoded);
        cost = qint64(canvas.width()) * canvas.height() * 4 * 2;
    } else if (format == "bmp") {
        QFile file(path);
        uchar head[30];
        if (file.open(QIODevice::ReadOnly) && file.read(reinterpret_cast<char *>(head), 30) == 30
            && (head[28] | (head[29] << 8)) == 32)
            cost *= 2; // 32 bits may carry transparency: as with a GIF, one more copy
    } else if (format == "png") {
        // The header's bit depth and colour type: 16-bit channels are decoded at eight bytes
        // a pixel, and a palette or an alpha channel may carry transparency (one more copy).
        QFile file(path);
        uchar head[26];
        if (file.open(QIODevice::ReadOnly) && file.read(reinterpret_cast<char *>(head), 26) == 26) {
            if (head[24] == 16)
                cost *= 2;
            if (head[25] == 3 || head[25] == 4 || head[25] == 6)
                cost *= 2;
        }
    }
    if (transformed)
        cost += qint64(decoded.width()) * decoded.height() * 4;
    return cost;
}

// As the reader turns a picture by its EXIF orientation when reading it.
QImage transformedAsReader(QImage image, QImageIOHandler::Transformations t)
{
    if (t == QImageIOHandler::TransformationRotate270)
        return image.transformed(QTransform().rotate(270));
    image = std::move(image).mirrored(t.testFlag(QImageIOHandler::TransformationMirror),
                                      t.testFlag(QImageIOHandler::TransformationFlip));
    if (t.testFlag(QImageIOHandler::TransformationRotate90))
        image = image.transformed(QTransform().rotate(90));
    return image;
}

// Larger JPEG files are left to the reader, which streams them: the DC decoder reads the
// whole file into memory first.
constexpr qint64 kMaxDcDecodedFileBytes = 32LL << 20;

// A JPEG decoded at an eighth of its size from its DC coefficients alone, as the reader
// would give it at `decoded` with the fast settings and `transformation`; a null image
// for a file that decoder leaves to the reader.
QImage jpegEighth(const QString &path, QSize decoded, QImageIOHandler::Transformations transformation)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxDcDecodedFileBytes)
        return QImage();
    QImage image = decodeJpegEighth(file.readAll());
    if (image.isNull())
        return image;
    // The library's eighth rounds up; the reader then brings it to the size asked for.
    if (image.size() != decoded)
        image = image.scaled(decoded, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    return transformedAsReader(std::move(image), transformation);
}

// The size a picture is kept at: see loadPicture. A picture of extreme shape cannot cover
// the need in both directions with its aspect kept (a 1 x 12,000,000 strip would stay
// whole), so no direction is kept at more than twice the need: every user stretches the
// picture to a size of its own anyway.
QSize keptSize(QSize size, QSize needed)
{
    QSize keep = coveringSize(size, needed);
    if (needed.isEmpty())
        return keep;
    if (keep.width() > 2 * needed.width())
        keep.setWidth(needed.width());
    if (keep.height() > 2 * needed.height())
        keep.setHeight(needed.height());
    return keep;
}

LoadedPicture loadChecked(const QString &path, QSize needed, Reduction reduction)
{
    LoadedPicture out;
    std::optional<PositiveBmpHeight> topDown; // outlives the reader reading it
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
    QSize raw = reader.size();
    // A negative height is a BMP stored top row first, as valid as the usual bottom-up one.
    if (format == "bmp" && raw.height() < 0 && raw.height() != std::numeric_limits<int>::min()) {
        raw.setHeight(-raw.height());
        topDown.emplace(path, raw.height());
        if (!topDown->open(QIODevice::ReadOnly)) {
            out.error = QStringLiteral("the file cannot be found or opened");
            return out;
        }
        reader.setDevice(&*topDown);
        reader.setFormat("bmp");
    }
    if (!raw.isValid() || raw.isEmpty()) {
        out.error = QStringLiteral("its size cannot be read");
        return out;
    }
    if (format == "bmp" && bmpRowsMissing(path)) {
        out.error = QStringLiteral("the file is truncated");
        return out;
    }
    const bool turned = transposes(reader.transformation());
    out.naturalSize = turned ? raw.transposed() : raw;
    const QSize neededRaw = turned ? needed.transposed() : needed;

    // A JPEG can be decoded straight at 1/2, 1/4 or 1/8 of its size, which costs a fraction
    // of the time and memory of a full decode; take the smallest that still covers the need.
    QSize decoded = raw;
    bool eighth = false;
    if ((format == "jpeg" || format == "jpg") && !needed.isEmpty()) {
        for (int d : {8, 4, 2}) {
            if (raw.width() / d >= neededRaw.width() && raw.height() / d >= neededRaw.height()) {
                decoded = QSize(raw.width() / d, raw.height() / d);
                eighth = d == 8;
                reader.setScaledSize(decoded);
                // The fast inverse transform and plain chroma upsampling: at a reduced
                // scale they differ from the exact ones by less than the averaging that
                // follows smooths away, and save a tenth of the decoding time.
                reader.setQuality(kFastJpegQuality);
                break;
            }
        }
    }
    const qint64 cost = decodingCost(path, format, decoded,
                                     reader.transformation() != QImageIOHandler::TransformationNone);
    if (qint64(decoded.width()) * decoded.height() > kMaxDecodedPixels || cost > kMaxDecodingBytes) {
        out.error = QStringLiteral("it is too large (%1 x %2 pixels)").arg(out.naturalSize.width()).arg(out.naturalSize.height());
        return out;
    }

    // The decoder at an eighth holds the file's bytes beside the picture.
    const qint64 fileBytes = eighth ? std::min(QFileInfo(path).size(), kMaxDcDecodedFileBytes) : 0;
    const DecodingShare share(int((cost + fileBytes) >> 20) + 1);
    // At an eighth only each block's DC coefficient counts: the common baseline files are
    // decoded from those alone, nearly twice as fast; the reader takes all others.
    QImage image = eighth ? jpegEighth(path, decoded, reader.transformation()) : QImage();
    if (image.isNull())
        image = reader.read();
    if (image.isNull()) {
        out.error = QStringLiteral("it cannot be decoded: %1").arg(reader.errorString());
        return out;
    }
    if (topDown)
        image = std::move(image).mirrored(false, true);
    // Reduced only when at least twice as large as needed: a second averaging step close
    // to the final size would cost time and accuracy for little memory.
    const QSize keep = keptSize(image.size(), needed);
    if (keep != image.size() && (image.width() >= 2 * keep.width() || image.height() >= 2 * keep.height())) {
        if (image.hasAlphaChannel())
            image = image.scaled(keep, Qt::IgnoreAspectRatio,
                                 reduction == Reduction::Average ? Qt::SmoothTransformation : Qt::FastTransformation);
        else
            image = reduction == Reduction::Average ? stretchAreaAverage(image, keep) : stretchNearest(image, keep);
        if (image.isNull())
            throw std::bad_alloc();
    }
    out.image = std::move(image);
    return out;
}

} // namespace

void loadPictureReaders()
{
    // A format no plugin names by suffix or content is offered to every plugin in turn,
    // which loads them all; they then stay loaded for the process.
    QByteArray nothing;
    QBuffer device(&nothing);
    QImageReader(&device).canRead();
}

LoadedPicture loadPicture(const QString &path, QSize needed, Reduction reduction)
{
    static std::once_flag limitSet;
    std::call_once(limitSet, [] { QImageReader::setAllocationLimit(kAllocationLimitMB); });
    // Whatever memory a picture turns out to need, running short of it refuses the picture
    // like any other that cannot be read; it never ends the program.
    try {
        return loadChecked(path, needed, reduction);
    } catch (const std::bad_alloc &) {
        LoadedPicture out;
        out.error = QStringLiteral("there is not enough memory to load it");
        return out;
    }
}

} // namespace host
