// What a picture file holds, learnt from its structure before any decoder sees it: the
// file opened safely, each format's blocks walked with bounded work, and a view of the file
// that leaves out what a decoder would only keep in memory (comments, text, profiles).
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QIODevice>
#include <QSize>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

namespace host {

// Opens `path` for reading pictures: only a regular file, and opened without waiting, so a
// pipe, a device or a file swapped for one between the check and the open never blocks.
// Null with the reason when the file cannot be used.
std::unique_ptr<QFile> openPictureFile(const QString &path, QString *error);

// Reads a device (or bytes in memory) forwards with a buffer of its own; large skips seek.
class ByteStream
{
public:
    explicit ByteStream(QByteArrayView bytes);
    explicit ByteStream(QIODevice &device);

    qint64 pos() const { return m_base + (m_at - m_begin); }
    // The next byte, or -1 at the end.
    int next();
    // Copies `n` bytes; false (and nothing promised) when fewer are left.
    bool read(void *out, qint64 n);
    // Moves on `n` bytes; false when that passes the end.
    bool skip(qint64 n);
    // Moves to the next 0xFF byte, reading at most `limit` bytes; false when none is found.
    bool findByte(uchar value, qint64 limit);
    qint64 size() const { return m_size; }

private:
    bool refill();
    QIODevice *m_device = nullptr;
    std::unique_ptr<uchar[]> m_buffer;
    const uchar *m_begin = nullptr;
    const uchar *m_at = nullptr;
    const uchar *m_end = nullptr;
    qint64 m_base = 0;
    qint64 m_size = 0;
};

// Byte ranges [first, second) of a file left out.
using ByteRanges = std::vector<std::pair<qint64, qint64>>;

// `file` read as one stream without the ranges `dropped` (sorted, apart from each other).
class KeptBytes : public QIODevice
{
public:
    KeptBytes(QIODevice &file, ByteRanges dropped);
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_size; }
    bool seek(qint64 position) override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // Kept ranges: where each starts in the stream and in the file, and how long it is.
    struct Piece
    {
        qint64 stream, file, length;
    };
    QIODevice &m_file;
    std::vector<Piece> m_pieces;
    qint64 m_size = 0;
};

// The facts every format gives.
struct LayoutFacts
{
    QString problem;       // why the file is refused; empty when it is sound
    ByteRanges dropped;    // metadata a decoder would keep in memory
    qint64 work = 0;       // decoding work, in the units of kMaxDecodingWork
    qint64 extraBytes = 0; // memory the decoder holds beside the image
    int copies = 0;        // copies of the decoded image made for transparency
};

// Work a picture may take to decode, in units of about a nanosecond of a desktop core
// (the units each step counts are listed where the files are walked; a decoded pixel
// counts 4): about a second and a half.
constexpr qint64 kMaxDecodingWork = 1500LL * 1000 * 1000;

struct JpegComponent
{
    int id = 0;
    int h = 1, v = 1;
    int quantTable = 0;
};

// A segment of a JPEG: its marker and where its body (after the length) lies.
struct JpegSegment
{
    uchar marker = 0;
    qint64 body = 0;
    int length = 0;
};

struct JpegLayout : LayoutFacts
{
    bool truncated = false;
    uchar frameMarker = 0; // 0: no frame header
    int precision = 8;
    int width = 0, height = 0;
    std::vector<JpegComponent> components;
    // The segments up to and including the first scan's header, metadata left out.
    std::vector<JpegSegment> header;
    qint64 scanData = 0;      // where the first scan's coded data starts
    qint64 scanDataEnd = 0;   // the marker that ends it
    bool endFollows = false;  // the end-of-image marker comes straight after the first scan
    int scans = 0;
    qint64 coefficientBytes = 0; // the decoder's buffer for every coefficient at once
    bool wholeImageBuffer = false;
};

// Walks the markers of a whole JPEG. Refuses a file with more than one frame header, more
// scans than any encoder writes, more decoding work than kMaxDecodingWork, no frame within
// the first megabytes, or no end-of-image marker (then `truncated`). Comments and the
// application blocks the pixels do not depend on are listed in `dropped`.
JpegLayout walkJpeg(ByteStream &in);

// A PNG's chunks: anything but the header, palette, transparency and image data is dropped
// (text, profiles: the reader would keep them). Refused when the end chunk is missing.
struct PngLayout : LayoutFacts
{
    QSize size;
    int bitDepth = 0, colourType = 0;
};
PngLayout walkPng(ByteStream &in);

// A GIF up to the end of its first frame, all the reader decodes. Refused when that frame
// is cut short.
struct GifLayout : LayoutFacts
{
    QSize canvas;
};
GifLayout walkGif(ByteStream &in);

// A BMP's header. Refused when uncompressed pixels are missing from the file (the last
// row's padding may be).
struct BmpLayout : LayoutFacts
{
    qint64 width = 0, height = 0;
    int bits = 0;
};
BmpLayout walkBmp(ByteStream &in);

} // namespace host
