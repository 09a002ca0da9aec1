// The three picture readers of the texture loader (BMP, TGA, raw), kept apart from OpenGL:
// each turns the bytes of a file into a block of pixels ready for the upload, so they can
// be tried on any bytes without a rendering context.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <stdexcept>

namespace texture {

// Largest pixel block a picture may need; bigger ones are refused before any allocation.
inline constexpr qint64 MaxPixelBytes = 64 * 1024 * 1024;

// Where a reader takes its bytes from. Reads advance the position; bytes past the end
// read as zero (as the program's binary files do).
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual void readInto(char *dest, qint64 count) = 0;
    virtual void seek(qint64 position) = 0;
    virtual qint64 size() const = 0;
};

class MemorySource : public ByteSource
{
public:
    MemorySource(const char *data, qint64 size) : m_data(data), m_size(size) {}
    explicit MemorySource(const QByteArray &bytes) : MemorySource(bytes.constData(), bytes.size()) {}
    void readInto(char *dest, qint64 count) override;
    void seek(qint64 position) override { m_position = position < 0 ? 0 : position; }
    qint64 size() const override { return m_size; }

private:
    const char *m_data;
    qint64 m_size;
    qint64 m_position = 0;
};

// Pixels bottom row first, blue-green-red(-alpha) per pixel, each row starting on a
// 4-byte boundary (the upload's row alignment), so the block covers all the upload reads.
struct PixelBlock
{
    int width = 0;
    int height = 0;
    int bytesPerPixel = 3;
    bool hasAlpha = false;
    QByteArray bytes;

    qint64 stride() const { return rowStride(width, bytesPerPixel); }
    static qint64 rowStride(qint64 width, int bytesPerPixel) { return (width * bytesPerPixel + 3) / 4 * 4; }
    // Smallest blue + green + red over all pixels (765 for an empty block): a picture
    // whose darkest pixel is well above zero can never show a pure black texel.
    int darkestPixel() const;
};

enum class ReadStatus {
    Ok,
    BadTgaType,       // "Bad TGA Image Type": RLE, colour-mapped or another type
    UnsupportedDepth, // "Unsupported bitdepth"
};

struct ReadResult
{
    ReadStatus status = ReadStatus::Ok;
    PixelBlock block;
};

// A file that cannot become a picture: damaged, truncated, or of absurd size. The text
// says what is wrong; the loader adds the file's name.
class TextureError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

ReadResult readBitmap(ByteSource &source);
ReadResult readTarga(ByteSource &source);
ReadResult readRaw(ByteSource &source, qint64 width, qint64 height);

} // namespace texture
