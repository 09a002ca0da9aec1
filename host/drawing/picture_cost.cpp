#include "picture_cost.h"

#include "picture.h"

#include <QSemaphore>
#include <algorithm>

namespace host {

namespace {

// Pictures are loaded side by side; together they may hold this much decoding memory at a
// time (in MiB), so seven large pictures in the slots cannot add up beyond it.
constexpr int kSharedDecodingMB = 192;

// A decoded pixel, in the units of kMaxDecodingWork.
constexpr qint64 kPixelWork = 4;

QSemaphore &decodingMemory()
{
    static QSemaphore budget(kSharedDecodingMB);
    return budget;
}

qint64 area(QSize size)
{
    return qint64(size.width()) * size.height();
}

} // namespace

DecodingShare::DecodingShare(qint64 bytes) : m_mb(int(std::clamp<qint64>((bytes >> 20) + 1, 1, kSharedDecodingMB)))
{
    decodingMemory().acquire(m_mb);
}

DecodingShare::~DecodingShare()
{
    decodingMemory().release(m_mb);
}

qint64 decodingBytes(const DecodingPlan &plan, const LayoutFacts &facts)
{
    qint64 cost = area(plan.made) * 4;
    // The reader scales what the decoder made to the size asked for: one more image.
    if (plan.made != plan.decoded)
        cost += area(plan.decoded) * 4;
    switch (plan.format) {
    case PictureFormat::Jpeg:
        cost += facts.extraBytes; // a progressive file's coefficients
        break;
    case PictureFormat::Gif:
        // Every frame is painted on a canvas of the logical screen's size, however small
        // the frames; with its transparency the canvas is copied once more to be reduced.
        cost = area(plan.gifCanvas.expandedTo(plan.decoded)) * 4 * 2;
        break;
    case PictureFormat::Bmp:
        cost *= 1 + facts.copies; // 32 bits may carry transparency: as with a GIF
        break;
    case PictureFormat::Png:
        // 16-bit channels are decoded at eight bytes a pixel, and a palette or an alpha
        // channel may carry transparency (one more copy).
        if (plan.pngBitDepth == 16)
            cost *= 2;
        if (plan.pngColourType == 3 || plan.pngColourType == 4 || plan.pngColourType == 6)
            cost *= 2;
        break;
    }
    if (plan.transformed)
        cost += area(plan.decoded) * 4;
    return cost;
}

qint64 decodingWork(const DecodingPlan &plan, const LayoutFacts &facts)
{
    const QSize painted = plan.format == PictureFormat::Gif ? plan.gifCanvas.expandedTo(plan.decoded) : plan.made;
    return facts.work + area(painted) * kPixelWork;
}

} // namespace host
