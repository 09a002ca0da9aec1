// What loading a picture costs, judged before it is decoded: the memory its decoding
// allocates and the work it takes, and the memory all loads running at once share.
#pragma once

#include "picture_layout.h"

#include <QByteArray>
#include <QSize>

namespace host {

// The formats the program reads, as the loader names them.
enum class PictureFormat { Gif, Bmp, Jpeg, Png };

// What decoding a picture allocates, from its header facts: the image the decoder makes
// (`made`, which the reader may then scale to `decoded`, a second image), the buffers the
// decoder keeps beside it, the copies made for transparency, and the one made to turn it
// upright.
struct DecodingPlan
{
    PictureFormat format = PictureFormat::Bmp;
    QSize made;    // as the decoder makes it
    QSize decoded; // as the reader gives it
    bool transformed = false;
    QSize gifCanvas;
    int pngBitDepth = 0, pngColourType = 0;
};
qint64 decodingBytes(const DecodingPlan &plan, const LayoutFacts &facts);

// The work of decoding: the structure's own (coded bytes, passes over blocks) and the
// pixels made.
qint64 decodingWork(const DecodingPlan &plan, const LayoutFacts &facts);

// Holds `bytes` of the memory that loads running side by side share, for as long as it
// lives; waits while others hold too much of it.
class DecodingShare
{
public:
    explicit DecodingShare(qint64 bytes);
    ~DecodingShare();
    DecodingShare(const DecodingShare &) = delete;
    DecodingShare &operator=(const DecodingShare &) = delete;

private:
    int m_mb;
};

} // namespace host
