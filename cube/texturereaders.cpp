#include "texturereaders.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

namespace texture {

void MemorySource::readInto(char *dest, qint64 count)
{
    if (count <= 0)
        return;
    qint64 got = 0;
    if (m_position < m_size) {
        got = std::min(count, m_size - m_position);
        std::memcpy(dest, m_data + m_position, static_cast<size_t>(got));
    }
    if (got < count)
        std::memset(dest + got, 0, static_cast<size_t>(count - got));
    m_position += count;
}

int PixelBlock::darkestPixel() const
{
    int darkest = 3 * 255;
    const auto *data = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qint64 rowStride = stride();
    for (int y = 0; y < height && darkest > 0; ++y) {
        const unsigned char *p = data + y * rowStride;
        for (int x = 0; x < width; ++x, p += bytesPerPixel)
            darkest = std::min(darkest, p[0] + p[1] + p[2]);
    }
    return darkest;
}

namespace {
quint32 le32(const unsigned char *p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<quint32>(p[3]) << 24);
}

quint16 le16(const unsigned char *p)
{
    return static_cast<quint16>(p[0] | (p[1] << 8));
}

std::string sizeText(qint64 width, qint64 height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// Checks the size a header claims before anything is allocated for it.
void checkSize(qint64 width, qint64 height, int bytesPerPixel)
{
    if (width < 0 || height < 0)
        throw TextureError("the header gives an impossible size (" + sizeText(width, height) + ")");
    // Each side alone is bounded first, so the product below cannot overflow 64 bits.
    if (width > MaxPixelBytes || height > MaxPixelBytes
        || PixelBlock::rowStride(width, bytesPerPixel) * height > MaxPixelBytes)
        throw TextureError("the picture is too large (" + sizeText(width, height)
                           + " pixels); at most 64 MiB of pixels can be loaded");
}

void checkComplete(const ByteSource &source, qint64 needed)
{
    if (source.size() < needed)
        throw TextureError("the file is truncated (" + std::to_string(source.size())
                           + " bytes, " + std::to_string(needed) + " needed)");
}

// Reads `height` rows of `fileStride` bytes (the first width * bytesPerPixel of each are
// pixels) into a block whose rows start on 4-byte boundaries.
PixelBlock readRows(ByteSource &source, int width, int height, int bytesPerPixel,
                    qint64 fileStride, bool hasAlpha)
{
    PixelBlock block;
    block.width = width;
    block.height = height;
    block.bytesPerPixel = bytesPerPixel;
    block.hasAlpha = hasAlpha;
    const qint64 stride = block.stride();
    block.bytes = QByteArray(stride * height, '\0');
    const qint64 rowBytes = qint64(width) * bytesPerPixel;
    if (fileStride == stride) {
        source.readInto(block.bytes.data(), stride * height);
        return block;
    }
    for (int y = 0; y < height; ++y) {
        source.readInto(block.bytes.data() + y * stride, rowBytes);
        char skip[4];
        source.readInto(skip, fileStride - rowBytes);
    }
    return block;
}
// The red, green and blue masks sit right after the 40 bytes every info header of 40 bytes
// or more starts with, whether the header holds them or they follow it.
bool hasUsualMasks(ByteSource &source)
{
    unsigned char masks[12];
    source.seek(14 + 40);
    source.readInto(reinterpret_cast<char *>(masks), sizeof masks);
    return le32(masks) == 0x00ff0000 && le32(masks + 4) == 0x0000ff00 && le32(masks + 8) == 0x000000ff;
}
} // namespace

ReadResult readBitmap(ByteSource &source)
{
    unsigned char header[54];
    source.readInto(reinterpret_cast<char *>(header), sizeof header);
    const qint64 pixelOffset = le32(header + 10);
    const quint32 infoSize = le32(header + 14);
    // The oldest header (12 bytes) has 16-bit sizes; every later one (40 bytes, and the
    // 108- and 124-byte ones that add colour spaces) starts with the same fields.
    const bool coreHeader = infoSize == 12;
    const qint64 width = coreHeader ? qint64(le16(header + 18)) : qint64(static_cast<qint32>(le32(header + 18)));
    const qint64 storedHeight = coreHeader ? qint64(le16(header + 20)) : qint64(static_cast<qint32>(le32(header + 22)));
    const int bitsPerPixel = static_cast<qint16>(le16(coreHeader ? header + 24 : header + 28));
    const quint32 compression = coreHeader ? 0 : le32(header + 30);

    ReadResult result;
    if (width == 0 || storedHeight == 0) {
        // A missing file is created empty: every field reads 0 and the face stays blank.
        if (source.size() > 0)
            checkComplete(source, sizeof header);
        return result;
    }
    // Below 24 bits the pixels are colour-table indices, which this loader does not look
    // up; such a file would only come out as noise. So would compressed pixels, and 32-bit
    // pixels whose bit-field masks put red, green and blue anywhere but in the usual bytes
    // (many writers add the usual masks, so those are read).
    if ((bitsPerPixel != 24 && bitsPerPixel != 32) || (compression != 0 && !(compression == 3 && bitsPerPixel == 32))
        || (compression == 3 && !hasUsualMasks(source))) {
        result.status = ReadStatus::UnsupportedDepth;
        return result;
    }
    // A negative height stores the top row first.
    const bool topDown = storedHeight < 0 && storedHeight != std::numeric_limits<qint32>::min();
    const qint64 height = topDown ? -storedHeight : storedHeight;
    const int bytesPerPixel = bitsPerPixel / 8;
    checkSize(width, height, bytesPerPixel);
    // The pixels start where the file header says: after a colour table or a longer info
    // header they are further on than the usual 54 bytes.
    if (pixelOffset < 14 + qint64(infoSize) || infoSize < 12)
        throw TextureError("the header gives an impossible pixel offset (" + std::to_string(pixelOffset) + ")");
    // Rows of a bitmap file are stored padded to 4 bytes; the last row's padding may be
    // missing from a file without harm.
    const qint64 fileStride = PixelBlock::rowStride(width, bytesPerPixel);
    checkComplete(source, pixelOffset + fileStride * (height - 1) + width * bytesPerPixel);
    source.seek(pixelOffset);
    result.block = readRows(source, int(width), int(height), bytesPerPixel, fileStride, false);
    if (topDown) {
        const qint64 stride = result.block.stride();
        char *rows = result.block.bytes.data();
        for (qint64 y = 0; y < height / 2; ++y)
            std::swap_ranges(rows + y * stride, rows + (y + 1) * stride, rows + (height - 1 - y) * stride);
    }
    return result;
}

ReadResult readTarga(ByteSource &source)
{
    ReadResult result;
    unsigned char start[3];
    source.readInto(reinterpret_cast<char *>(start), sizeof start);
    if (source.size() == 0) {
        // An empty (just created) file: nothing to draw, nothing to complain about.
        return result;
    }
    if (start[2] != 2 || start[1] != 0) {
        result.status = ReadStatus::BadTgaType;
        return result;
    }
    unsigned char sizeFields[6];
    source.seek(12);
    source.readInto(reinterpret_cast<char *>(sizeFields), sizeof sizeFields);
    const qint64 width = le16(sizeFields);
    const qint64 height = le16(sizeFields + 2);
    const int bitsPerPixel = sizeFields[4];
    // Sizes are signed 16-bit numbers in this loader.
    if (width > 32767 || height > 32767)
        throw TextureError("the header gives an impossible size (" + sizeText(width, height) + ")");
    if (bitsPerPixel != 24 && bitsPerPixel != 32) {
        result.status = ReadStatus::UnsupportedDepth;
        return result;
    }
    const int bytesPerPixel = bitsPerPixel / 8;
    checkSize(width, height, bytesPerPixel);
    checkComplete(source, 18 + width * height * bytesPerPixel);
    source.seek(18);
    // Targa rows are packed; the block gets them on 4-byte boundaries.
    result.block = readRows(source, int(width), int(height), bytesPerPixel,
                            width * bytesPerPixel, bitsPerPixel == 32);
    return result;
}

ReadResult readRaw(ByteSource &source, qint64 width, qint64 height)
{
    ReadResult result;
    if (width > 0x7fffffff || height > 0x7fffffff)
        throw TextureError("the size asked for is impossible (" + sizeText(width, height) + ")");
    checkSize(width, height, 4);
    if (width == 0 || height == 0)
        return result;
    checkComplete(source, width * height * 4);
    source.seek(0);
    result.block = readRows(source, int(width), int(height), 4, width * 4, true);
    return result;
}

} // namespace texture
