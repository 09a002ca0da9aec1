// Test pictures made in code: a detailed photograph-like JPEG, an EXIF orientation tag
// spliced into a JPEG, and headers that claim enormous pictures.
#pragma once

#include "cube_files.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QList>
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

// Squares of `block` pixels, each of a random saturated colour: chroma that changes as
// often as the blocks of a JPEG.
inline QImage colourBlocks(int width, int height, int block, quint32 seed = 11)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator rng(seed);
    const int across = (width + block - 1) / block;
    QList<QRgb> colours;
    for (int i = 0; i < across * ((height + block - 1) / block); ++i)
        colours.append(qRgb(int(rng.bounded(2)) * 255, int(rng.bounded(2)) * 255, int(rng.bounded(256))));
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = colours[(y / block) * across + x / block];
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

// A baseline JPEG written by hand, every 8 x 8 block flat (no AC coefficient), so that any
// sampling (`sampling`: one 0xHV per component, one component for grey) and any restart
// interval can be had; decoders then agree exactly at an eighth. Block values are random
// and reach past the sample range at both ends.
inline QByteArray flatBlockJpeg(int width, int height, const QList<int> &sampling, int restartInterval, quint32 seed = 3)
{
    const int n = int(sampling.size());
    auto segment = [](uchar marker, const QByteArray &body) {
        QByteArray s("\xFF", 1);
        s += char(marker);
        s += char((body.size() + 2) >> 8);
        s += char((body.size() + 2) & 0xFF);
        return s + body;
    };
    QByteArray jpeg("\xFF\xD8", 2);
    jpeg += segment(0xDB, QByteArray(1, 0) + char(4) + QByteArray(63, 1)); // DC quantised by 4
    QByteArray frame(1, 8);
    frame += char(height >> 8) + QByteArray(1, char(height & 0xFF)) + char(width >> 8) + char(width & 0xFF) + char(n);
    for (int i = 0; i < n; ++i)
        frame += QByteArray(1, char(i + 1)) + char(sampling[i]) + char(0);
    jpeg += segment(0xC0, frame);
    // DC: categories 0-11 as four-bit codes; AC: the end of block alone, one bit "0".
    QByteArray dc(1, 0x00), ac(1, 0x10);
    dc += QByteArray(3, 0) + char(12) + QByteArray(12, 0);
    for (int c = 0; c < 12; ++c)
        dc += char(c);
    ac += char(1) + QByteArray(15, 0) + char(0);
    jpeg += segment(0xC4, dc + ac);
    if (restartInterval)
        jpeg += segment(0xDD, QByteArray(1, char(restartInterval >> 8)) + char(restartInterval & 0xFF));
    QByteArray scan(1, char(n));
    for (int i = 0; i < n; ++i)
        scan += QByteArray(1, char(i + 1)) + char(0);
    scan += QByteArray(1, 0) + char(63) + char(0);
    jpeg += segment(0xDA, scan);

    quint32 bits = 0;
    int count = 0;
    auto put = [&](quint32 value, int length) {
        for (int i = length - 1; i >= 0; --i) {
            bits = (bits << 1) | ((value >> i) & 1);
            if (++count == 8) {
                jpeg += char(bits);
                if (bits == 0xFF)
                    jpeg += char(0);
                bits = 0;
                count = 0;
            }
        }
    };
    auto padToByte = [&] { put(0x7F, (8 - count) % 8); };
    const int hMax = n == 1 ? 1 : sampling[0] >> 4, vMax = n == 1 ? 1 : sampling[0] & 15;
    const int unitsWide = (width + 8 * hMax - 1) / (8 * hMax), unitsHigh = (height + 8 * vMax - 1) / (8 * vMax);
    QRandomGenerator rng(seed);
    QList<int> predictions(n, 0);
    for (int unit = 0; unit < unitsWide * unitsHigh; ++unit) {
        if (restartInterval && unit && unit % restartInterval == 0) {
            padToByte();
            jpeg += char(0xFF);
            jpeg += char(0xD0 + (unit / restartInterval - 1) % 8);
            predictions.fill(0);
        }
        for (int i = 0; i < n; ++i) {
            const int blocks = n == 1 ? 1 : (sampling[i] >> 4) * (sampling[i] & 15);
            for (int b = 0; b < blocks; ++b) {
                const int value = int(rng.bounded(601)) - 300;
                const int diff = value - predictions[i];
                predictions[i] = value;
                int category = 0;
                while ((std::abs(diff) >> category) != 0)
                    ++category;
                put(quint32(category), 4);
                put(quint32(diff >= 0 ? diff : diff + (1 << category) - 1), category);
                put(0, 1);
            }
        }
    }
    padToByte();
    return jpeg + QByteArray("\xFF\xD9", 2);
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

// `jpeg` with its last scan repeated `times` more times before its end marker.
inline QByteArray withLastScanRepeated(const QByteArray &jpeg, int times)
{
    const qsizetype last = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const QByteArray scan = jpeg.mid(last, jpeg.size() - 2 - last);
    return jpeg.chopped(2) + scan.repeated(times) + QByteArray("\xFF\xD9", 2);
}

// `first` with the frame header and scan of `second` after its own scan: two pictures in
// one file, as a damaged or crafted file may hold them.
inline QByteArray withSecondFrame(const QByteArray &first, const QByteArray &second)
{
    const qsizetype sof = second.indexOf(QByteArray("\xFF\xC0", 2));
    const int length = (quint8(second[sof + 2]) << 8) | quint8(second[sof + 3]);
    const qsizetype sos = second.indexOf(QByteArray("\xFF\xDA", 2));
    return first.chopped(2) + second.mid(sof, 2 + length) + second.mid(sos);
}

// Metadata segments spliced in after the start-of-image marker: `count` segments of marker
// `marker`, each `bytes` long, starting with `tag`.
inline QByteArray withJpegSegments(const QByteArray &jpeg, uchar marker, int count, int bytes, const QByteArray &tag = {})
{
    QByteArray segment("\xFF", 1);
    segment += char(marker);
    segment += char((bytes + 2) >> 8);
    segment += char((bytes + 2) & 0xFF);
    segment += tag + QByteArray(bytes - tag.size(), 'x');
    return jpeg.left(2) + segment.repeated(count) + jpeg.mid(2);
}

// A PNG chunk with its length and check sum.
inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
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
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace apptest
