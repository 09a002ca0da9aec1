// Byte images of small picture files for the texture loader's tests: bitmaps and Targa
// files built field by field, so a test can damage exactly one field.
#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>

namespace cubetest {

inline void putLe16(QByteArray &bytes, int offset, quint16 value)
{
    qToLittleEndian<quint16>(value, bytes.data() + offset);
}

inline void putLe32(QByteArray &bytes, int offset, quint32 value)
{
    qToLittleEndian<quint32>(value, bytes.data() + offset);
}

// Pixel (x, y), y counted from the bottom row, as blue, green, red (, alpha).
inline quint8 testChannel(int x, int y, int channel)
{
    return static_cast<quint8>(10 + 40 * x + 7 * y + 60 * channel);
}

// A bitmap with rows padded to 4 bytes, bottom row first, pixels at offset 54; only the
// 54-byte header without `withPixels` (for sizes no test should allocate).
inline QByteArray bitmapFile(qint32 width, qint32 height, qint16 bitsPerPixel = 24,
                             bool withPixels = true)
{
    const int bytesPerPixel = bitsPerPixel / 8;
    const int stride = withPixels && width > 0 && bytesPerPixel > 0 ? (width * bytesPerPixel + 3) / 4 * 4 : 0;
    const int rows = withPixels && height > 0 ? height : 0;
    QByteArray bytes(54 + stride * rows, '\0');
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLe32(bytes, 2, static_cast<quint32>(bytes.size()));
    putLe32(bytes, 10, 54);
    putLe32(bytes, 14, 40);
    putLe32(bytes, 18, static_cast<quint32>(width));
    putLe32(bytes, 22, static_cast<quint32>(height));
    putLe16(bytes, 26, 1);
    putLe16(bytes, 28, static_cast<quint16>(bitsPerPixel));
    for (int y = 0; y < rows; ++y) {
        for (int x = 0; x < width && stride > 0; ++x) {
            for (int c = 0; c < bytesPerPixel; ++c)
                bytes[54 + y * stride + x * bytesPerPixel + c] = static_cast<char>(testChannel(x, y, c));
        }
    }
    return bytes;
}

// bitmapFile's picture with a longer info header (`infoSize` bytes: 108 and 124 are the
// later versions) and `gap` bytes (a colour table, say) before the pixels, the offset field
// pointing past them; with `topDown` the rows are stored top first under a negative height.
inline QByteArray bitmapLaidOut(qint32 width, qint32 height, quint32 infoSize, int gap, bool topDown = false)
{
    QByteArray bytes = bitmapFile(width, height);
    const int stride = (width * 3 + 3) / 4 * 4;
    if (topDown) {
        QByteArray rows;
        for (int y = height - 1; y >= 0; --y)
            rows += bytes.mid(54 + y * stride, stride);
        bytes = bytes.left(54) + rows;
        putLe32(bytes, 22, static_cast<quint32>(-height));
    }
    bytes.insert(54, QByteArray(int(infoSize) - 40 + gap, '\x5a'));
    putLe32(bytes, 2, static_cast<quint32>(bytes.size()));
    putLe32(bytes, 10, 14 + infoSize + static_cast<quint32>(gap));
    putLe32(bytes, 14, infoSize);
    return bytes;
}

// An uncompressed true-colour Targa file, rows packed, bottom row first.
inline QByteArray targaFile(int width, int height, int bitsPerPixel = 24, int imageType = 2,
                            int colourMapType = 0)
{
    const int bytesPerPixel = bitsPerPixel / 8;
    QByteArray bytes(18 + width * height * bytesPerPixel, '\0');
    bytes[1] = static_cast<char>(colourMapType);
    bytes[2] = static_cast<char>(imageType);
    putLe16(bytes, 12, static_cast<quint16>(width));
    putLe16(bytes, 14, static_cast<quint16>(height));
    bytes[16] = static_cast<char>(bitsPerPixel);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < bytesPerPixel; ++c)
                bytes[18 + (y * width + x) * bytesPerPixel + c] = static_cast<char>(testChannel(x, y, c));
        }
    }
    return bytes;
}

} // namespace cubetest
