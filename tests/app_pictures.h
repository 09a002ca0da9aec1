// Test pictures made in code: a detailed photograph-like JPEG, an EXIF orientation tag
// spliced into a JPEG, and headers that claim enormous pictures.
#pragma once

#include "cube_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QRandomGenerator>
#include <QString>
#include <cmath>

namespace apptest {

// Smooth gradients, a fine wave pattern and a little noise: enough detail that a poor
// reduction shows, and compressible like a photograph.
inline QImage photoLike(int width, int height, quint32 seed = 7)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            const int wave = int(40 * std::sin(x * 0.05) * std::cos(y * 0.03));
            const int noise = int(rng.bounded(17)) - 8;
            line[x] = qRgb(std::clamp(int(255 * u) + wave + noise, 0, 255),
                           std::clamp(int(255 * v) - wave + noise, 0, 255),
                           std::clamp(int(128 + 100 * std::sin(6 * u + 4 * v)) + noise, 0, 255));
        }
    }
    return image;
}

inline bool saveJpeg(const QImage &image, const QString &path, int quality = 90)
{
    QImageWriter writer(path, "jpeg");
    writer.setQuality(quality);
    return writer.write(image);
}

// The JPEG bytes of `image` with an EXIF block carrying `orientation` (1 ... 8) right
// behind the start-of-image marker.
inline QByteArray jpegWithOrientation(const QImage &image, quint16 orientation)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    QByteArray tiff("MM\0*\0\0\0\x08", 8);                      // big-endian, first IFD at 8
    tiff += QByteArray("\0\x01", 2);                              // one entry
    tiff += QByteArray("\x01\x12\0\x03\0\0\0\x01", 8);            // Orientation, SHORT, 1
    tiff += char(orientation >> 8);
    tiff += char(orientation & 0xFF);
    tiff += QByteArray("\0\0", 2);
    tiff += QByteArray("\0\0\0\0", 4);                            // no next IFD
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray app1("\xFF\xE1", 2);
    const quint16 length = quint16(payload.size() + 2);
    app1 += char(length >> 8);
    app1 += char(length & 0xFF);
    app1 += payload;
    return jpeg.left(2) + app1 + jpeg.mid(2);
}

// A BMP header (no pixel data after it) that claims a picture of width x height, 24 bits.
inline QByteArray bmpHeaderClaiming(qint32 width, qint32 height)
{
    return cubetest::bitmapFile(width, height, 24, false);
}

// A GIF header whose logical screen and one image claim width x height, with a tiny body.
inline QByteArray gifClaiming(quint16 width, quint16 height)
{
    QByteArray g("GIF89a", 6);
    auto put16 = [&g](quint16 v) { g += char(v & 0xFF); g += char(v >> 8); };
    put16(width);
    put16(height);
    g += char(0x80); // global colour table of 2 entries
    g += char(0);
    g += char(0);
    g += QByteArray("\0\0\0\xFF\xFF\xFF", 6);
    g += ',';
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    g += char(0);
    g += char(2);                             // LZW minimum code size
    g += QByteArray("\x02\x4C\x01\0", 4);     // a scrap of data, then the end of the image
    g += ';';
    return g;
}

// A GIF whose logical screen is width x height but whose only frame is one pixel.
inline QByteArray gifCanvasOnly(quint16 width, quint16 height)
{
    QByteArray g = gifClaiming(width, height);
    cubetest::putLe16(g, 6 + 7 + 6 + 5, 1); // the frame's width and height
    cubetest::putLe16(g, 6 + 7 + 6 + 7, 1);
    return g;
}

// A small progressive JPEG whose frame header is patched to claim width x height.
inline QByteArray progressiveJpegClaiming(quint16 width, quint16 height)
{
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    writer.write(photoLike(16, 16));
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC2", 2));
    if (sof < 0)
        return QByteArray();
    qToBigEndian<quint16>(height, jpeg.data() + sof + 5);
    qToBigEndian<quint16>(width, jpeg.data() + sof + 7);
    return jpeg;
}

// The header of a 16-bit RGBA PNG claiming width x height, with a scrap of image data.
inline QByteArray pngClaiming(quint32 width, quint32 height)
{
    const auto chunk = [](const char *type, const QByteArray &data) {
        QByteArray c(4, '\0');
        qToBigEndian<quint32>(quint32(data.size()), c.data());
        const QByteArray body = QByteArray(type, 4) + data;
        quint32 crc = 0xFFFFFFFF;
        for (char byte : body) {
            crc ^= quint8(byte);
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        QByteArray tail(4, '\0');
        qToBigEndian<quint32>(~crc, tail.data());
        return c + body + tail;
    };
    QByteArray header(13, '\0');
    qToBigEndian<quint32>(width, header.data());
    qToBigEndian<quint32>(height, header.data() + 4);
    header[8] = 16; // bits per channel
    header[9] = 6;  // RGBA
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) +
           chunk("IDAT", QByteArray("\x78\x9c\x03\0\0\0\0\x01", 8)) + chunk("IEND", QByteArray());
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace apptest
