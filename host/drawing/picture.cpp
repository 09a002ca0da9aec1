#include "picture.h"

#include "jpegpreview.h"
#include "picture_cost.h"
#include "picture_layout.h"

#include <QBuffer>
#include <QImageReader>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>
#include <new>
#include <optional>

namespace host {

namespace {

// Upper bound for one decoded image in QImageReader, a second guard behind the pixel count
// check (a damaged header can claim less than the decoder then allocates).
constexpr int kAllocationLimitMB = 192;

// Below this decoding "quality" Qt's JPEG reader uses libjpeg's fast settings.
constexpr int kFastJpegQuality = 49;

// Larger JPEG files are left to the reader, which streams them: the DC decoder reads the
// whole file into memory first.
constexpr qint64 kMaxDcDecodedFileBytes = 32LL << 20;

const QString kNotReadable = QStringLiteral("it is not a readable GIF, BMP, JPEG or PNG picture");

// The format by the file's first bytes, the way each reader knows its own.
std::optional<PictureFormat> formatOf(QIODevice &file)
{
    const QByteArray head = file.peek(8);
    if (head.startsWith("\xFF\xD8"))
        return PictureFormat::Jpeg;
    if (head == QByteArrayView("\x89PNG\r\n\x1a\n"))
        return PictureFormat::Png;
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return PictureFormat::Gif;
    if (head.startsWith("BM"))
        return PictureFormat::Bmp;
    return std::nullopt;
}

const char *readerFormat(PictureFormat format)
{
    switch (format) {
    case PictureFormat::Gif:
        return "gif";
    case PictureFormat::Bmp:
        return "bmp";
    case PictureFormat::Jpeg:
        return "jpeg";
    case PictureFormat::Png:
        return "png";
    }
    return "";
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

// The structure of a file in one of the four formats, walked before any decoder reads it.
struct Layout
{
    JpegLayout jpeg;
    PngLayout png;
    GifLayout gif;
    BmpLayout bmp;
    const LayoutFacts *facts = nullptr;
};

Layout walk(PictureFormat format, ByteStream &in)
{
    Layout layout;
    switch (format) {
    case PictureFormat::Jpeg:
        layout.jpeg = walkJpeg(in);
        layout.jpeg.extraBytes = layout.jpeg.wholeImageBuffer ? layout.jpeg.coefficientBytes : 0;
        layout.facts = &layout.jpeg;
        break;
    case PictureFormat::Png:
        layout.png = walkPng(in);
        layout.facts = &layout.png;
        break;
    case PictureFormat::Gif:
        layout.gif = walkGif(in);
        layout.facts = &layout.gif;
        break;
    case PictureFormat::Bmp:
        layout.bmp = walkBmp(in);
        layout.facts = &layout.bmp;
        break;
    }
    return layout;
}

// A JPEG decoded at an eighth of its size from its DC coefficients alone, turned as the
// reader would turn it; a null image for a file that decoder leaves to the reader.
QImage jpegEighth(const QByteArray &bytes, const JpegLayout &layout, QImageIOHandler::Transformations transformation)
{
    QImage image = decodeJpegEighth(bytes, layout);
    if (image.isNull())
        return image;
    return transformedAsReader(std::move(image), transformation);
}

LoadedPicture loadChecked(const QString &path, QSize needed, Reduction reduction)
{
    LoadedPicture out;
    const std::unique_ptr<QFile> file = openPictureFile(path, &out.error);
    if (!file)
        return out;
    const std::optional<PictureFormat> format = formatOf(*file);
    if (!format) {
        out.error = kNotReadable;
        return out;
    }
    // A JPEG small enough for the DC decoder is read once, whole: the walk, that decoder
    // and the reader all take it from memory.
    QByteArray bytes;
    QBuffer memory(&bytes);
    if (*format == PictureFormat::Jpeg && file->size() <= kMaxDcDecodedFileBytes) {
        bytes = file->readAll();
        if (bytes.size() != file->size() || !memory.open(QIODevice::ReadOnly)) {
            out.error = QStringLiteral("the file cannot be found or opened");
            return out;
        }
    }
    QIODevice &source = memory.isOpen() ? static_cast<QIODevice &>(memory) : *file;
    std::optional<ByteStream> in;
    if (memory.isOpen())
        in.emplace(QByteArrayView(bytes));
    else
        in.emplace(*file);
    const Layout layout = walk(*format, *in);
    if (!layout.facts->problem.isEmpty()) {
        out.error = layout.facts->problem;
        return out;
    }
    // The reader sees the file without the metadata it would only keep in memory.
    KeptBytes kept(source, layout.facts->dropped);
    if (!source.seek(0) || !kept.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        out.error = QStringLiteral("the file cannot be found or opened");
        return out;
    }
    QImageReader reader(&kept, readerFormat(*format));
    reader.setAutoTransform(true);
    if (!reader.canRead()) {
        out.error = kNotReadable;
        return out;
    }
    QSize raw = reader.size();
    // A negative height is a BMP stored top row first, as valid as the usual bottom-up one.
    if (*format == PictureFormat::Bmp && raw.height() < 0 && raw.height() != std::numeric_limits<int>::min())
        raw.setHeight(-raw.height());
    if (!raw.isValid() || raw.isEmpty()) {
        out.error = QStringLiteral("its size cannot be read");
        return out;
    }
    const QImageIOHandler::Transformations transformation = reader.transformation();
    const bool turned = transposes(transformation);
    out.naturalSize = turned ? raw.transposed() : raw;
    const QSize neededRaw = turned ? needed.transposed() : needed;

    DecodingPlan plan;
    plan.format = *format;
    plan.made = plan.decoded = raw;
    plan.transformed = transformation != QImageIOHandler::TransformationNone;
    plan.gifCanvas = layout.gif.canvas;
    plan.pngBitDepth = layout.png.bitDepth;
    plan.pngColourType = layout.png.colourType;
    // A JPEG can be decoded straight at 1/2, 1/4 or 1/8 of its size, which costs a fraction
    // of the time and memory of a full decode; take the smallest that still covers the need.
    // The decoder's picture is rounded up, and the reader scales it to the size asked for.
    bool eighth = false;
    if (*format == PictureFormat::Jpeg && !needed.isEmpty()) {
        for (int d : {8, 4, 2}) {
            if (raw.width() / d >= neededRaw.width() && raw.height() / d >= neededRaw.height()) {
                plan.decoded = QSize(raw.width() / d, raw.height() / d);
                plan.made = QSize((raw.width() + d - 1) / d, (raw.height() + d - 1) / d);
                eighth = d == 8;
                reader.setScaledSize(plan.decoded);
                // The fast inverse transform and plain chroma upsampling: at a reduced
                // scale they differ from the exact ones by less than the averaging that
                // follows smooths away, and save a tenth of the decoding time.
                reader.setQuality(kFastJpegQuality);
                break;
            }
        }
    }
    const qint64 readerCost = decodingBytes(plan, *layout.facts);
    const bool readerFits = qint64(plan.made.width()) * plan.made.height() <= kMaxDecodedPixels
                            && readerCost <= kMaxDecodingBytes;
    // The DC decoder makes the rounded-up picture and keeps it: no scaled copy. It holds the
    // file's bytes beside it, bounded on their own by kMaxDcDecodedFileBytes.
    DecodingPlan eighthPlan = plan;
    eighthPlan.decoded = plan.made;
    const qint64 eighthCost = decodingBytes(eighthPlan, *layout.facts);
    eighth = eighth && memory.isOpen()
             && qint64(plan.made.width()) * plan.made.height() <= kMaxDecodedPixels && eighthCost <= kMaxDecodingBytes;
    const QString tooLarge =
        QStringLiteral("it is too large (%1 x %2 pixels)").arg(out.naturalSize.width()).arg(out.naturalSize.height());
    if (!readerFits && !eighth) {
        out.error = tooLarge;
        return out;
    }
    if (decodingWork(plan, *layout.facts) > kMaxDecodingWork) {
        out.error = QStringLiteral("it would take too long to decode");
        return out;
    }

    QImage image;
    if (eighth) {
        // At an eighth only each block's DC coefficient counts: the common baseline files
        // are decoded from those alone, faster than the reader; it takes all others.
        const DecodingShare share(eighthCost + bytes.size());
        image = jpegEighth(bytes, layout.jpeg, transformation);
    }
    if (image.isNull()) {
        if (!readerFits) {
            out.error = tooLarge;
            return out;
        }
        const DecodingShare share(readerCost + bytes.size());
        image = reader.read();
        if (image.isNull()) {
            out.error = QStringLiteral("it cannot be decoded: %1").arg(reader.errorString());
            return out;
        }
    }
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
