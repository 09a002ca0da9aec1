// Pictures as the program uses them: GIF, BMP, JPEG and PNG files loaded upright (EXIF
// orientation applied) and only as large as their use needs, and the two ways of scaling
// them onto a surface: area averaging (the halftone stretch) and nearest pixel (a stretch
// that never blends, so a colour key survives it).
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace host {

// Pictures with more pixels than this (after any reduced-scale decoding) are refused:
// 40 megapixels, 160 MB while decoding, about a 7,300 x 5,500 BMP or GIF. A JPEG may be far
// larger, since it is decoded at an eighth of its size where that is enough.
constexpr qint64 kMaxDecodedPixels = 40LL * 1000 * 1000;
// And whatever its size, a picture whose decoding would allocate more than this is refused
// before it is decoded: a progressive JPEG's coefficients, a GIF's canvas, the copies made
// to turn or reduce it all count.
constexpr qint64 kMaxDecodingBytes = kMaxDecodedPixels * 4;

struct LoadedPicture
{
    QImage image;      // null when the picture could not be loaded
    QString error;     // why not, for a message naming the file
    QSize naturalSize; // the picture's own size, upright
};

// How a picture larger than needed is reduced while loading.
enum class Reduction {
    Average, // area averaging, and JPEGs decoded at 1/2, 1/4 or 1/8 scale: photographs
    Nearest, // whole source pixels, so every kept colour is one the file holds: frames. A
             // JPEG is still decoded at reduced scale; its colours are approximate anyway.
};

// Loads `path`. The kept image is reduced, never enlarged, to the smallest size that still
// covers `needed` in both directions with the aspect kept, and to at most twice `needed` in
// each direction for a picture of extreme shape. An empty `needed` keeps the full size.
// Pictures with an alpha channel keep it. Safe to call from several threads at once.
LoadedPicture loadPicture(const QString &path, QSize needed, Reduction reduction = Reduction::Average);

// The picture laid over a solid background, as an RGB888 image.
QImage flattened(const QImage &picture, QRgb background);

// Scales `source` to `size` by averaging the area each target pixel covers (aspect not
// kept), the way a halftone stretch does when reducing. Enlarging repeats source pixels
// with the same weights. Returns an RGB888 image.
QImage stretchAreaAverage(const QImage &source, QSize size);

// Scales `source` to `size` by taking the source pixel under each target pixel's centre;
// no colours are mixed. Returns an RGB888 image.
QImage stretchNearest(const QImage &source, QSize size);

} // namespace host
