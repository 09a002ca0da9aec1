// The texture loader's three readers on arbitrary bytes: each must either give a pixel
// block that covers every row the upload reads, report the file, or refuse it with a
// TextureError; never crash, hang, leak or read out of bounds. The same bytes go to the
// pictures' DC JPEG decoder, which must refuse them or give an eighth no larger than the
// data can describe.
#include "jpegpreview.h"
#include "texturereaders.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {
void check(const texture::ReadResult &result)
{
    const texture::PixelBlock &block = result.block;
    if (block.width < 0 || block.height < 0)
        std::abort();
    if (block.bytes.size() < block.stride() * block.height)
        std::abort();
    if (block.bytes.size() > texture::MaxPixelBytes)
        std::abort();
    (void)block.darkestPixel();
}

template <typename Read>
void attempt(const uint8_t *data, size_t size, Read read)
{
    texture::MemorySource source(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    try {
        check(read(source));
    } catch (const texture::TextureError &) {
        // Refused with a message: what a damaged file should get.
    }
}

void checkJpegEighth(const uint8_t *data, size_t size)
{
    const QImage eighth = host::decodeJpegEighth(QByteArrayView(data, qsizetype(size)));
    if (eighth.isNull())
        return;
    // Every block takes two bits at least, and one block makes at most one pixel.
    if (eighth.width() > 8192 || eighth.height() > 8192 || qint64(eighth.width()) * eighth.height() > 4 * qint64(size))
        std::abort();
    (void)eighth.pixel(eighth.width() - 1, eighth.height() - 1);
}
// The structure walks the picture loader makes before any decoder reads a file.
void checkLayouts(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    host::ByteStream png(bytes), gif(bytes), bmp(bytes);
    (void)host::walkPng(png);
    (void)host::walkGif(gif);
    (void)host::walkBmp(bmp);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkJpegEighth(data, size);
    checkLayouts(data, size);
    attempt(data, size, [](texture::ByteSource &s) { return texture::readBitmap(s); });
    attempt(data, size, [](texture::ByteSource &s) { return texture::readTarga(s); });
    // The raw reader's size comes from the caller: take it from the first bytes, signed,
    // so negative and huge sizes are tried too.
    if (size >= 8) {
        int32_t width = 0, height = 0;
        for (int i = 0; i < 4; ++i) {
            width |= static_cast<int32_t>(static_cast<uint32_t>(data[i]) << (8 * i));
            height |= static_cast<int32_t>(static_cast<uint32_t>(data[4 + i]) << (8 * i));
        }
        attempt(data + 8, size - 8, [=](texture::ByteSource &s) { return texture::readRaw(s, width, height); });
    }
    return 0;
}
