#include "picture_layout.h"

#include <QFileInfo>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host {

namespace {

constexpr qint64 kBufferBytes = 64 * 1024;

// Bytes libjpeg would pass over between segments before giving up on finding a marker is
// unbounded; no real file has more than a few.
constexpr qint64 kMaxStrayBytes = 1 << 20;
// Segments or chunks in one file, and metadata blocks left out of it: far beyond real
// files, and each costs a little time and memory to list.
constexpr int kMaxBlocks = 100000;
// Scans in one JPEG: encoders write 1 to about 12; a file with hundreds only makes work.
constexpr int kMaxJpegScans = 256;

// Work units, see kMaxDecodingWork, measured with the JPEG library at an eighth and Qt's
// readers: a block in a sequential scan, each coefficient position of a block in a
// progressive scan (passed over even where the scan codes nothing), a byte of coded JPEG
// data, of PNG image data, of a GIF's first frame, and of the rest of a GIF (read through
// for its size).
constexpr qint64 kSequentialBlockWork = 10;
constexpr qint64 kProgressiveCoefficientWork = 3;
constexpr qint64 kByteWork = 12;
constexpr qint64 kPngByteWork = 4;
constexpr qint64 kGifByteWork = 8;
constexpr qint64 kGifScanByteWork = 4;

const QString kTruncated = QStringLiteral("the file is truncated");
const QString kNotReadable = QStringLiteral("it is not a readable GIF, BMP, JPEG or PNG picture");
const QString kTooSlow = QStringLiteral("it would take too long to decode");

quint16 be16(const uchar *p)
{
    return quint16((p[0] << 8) | p[1]);
}

// Adds [from, to) to `ranges`, joined to the last range when they meet.
void addRange(ByteRanges &ranges, qint64 from, qint64 to)
{
    if (!ranges.empty() && ranges.back().second == from)
        ranges.back().second = to;
    else
        ranges.emplace_back(from, to);
}

} // namespace

std::unique_ptr<QFile> openPictureFile(const QString &path, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        *error = QStringLiteral("the file cannot be found or opened");
        return nullptr;
    }
    if (!info.isFile()) {
        *error = QStringLiteral("it is not a regular file");
        return nullptr;
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        *error = QStringLiteral("the file cannot be found or opened");
        return nullptr;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *error = QStringLiteral("it is not a regular file");
        return nullptr;
    }
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *error = QStringLiteral("the file cannot be found or opened");
        return nullptr;
    }
    return file;
}

ByteStream::ByteStream(QByteArrayView bytes)
    : m_begin(reinterpret_cast<const uchar *>(bytes.data())), m_at(m_begin), m_end(m_begin + bytes.size()),
      m_size(bytes.size())
{
}

ByteStream::ByteStream(QIODevice &device)
    : m_device(&device), m_buffer(new uchar[kBufferBytes]), m_begin(m_buffer.get()), m_at(m_begin), m_end(m_begin),
      m_base(device.pos()), m_size(device.size())
{
}

bool ByteStream::refill()
{
    if (!m_device)
        return false;
    m_base = pos();
    const qint64 got = m_device->read(reinterpret_cast<char *>(m_buffer.get()), kBufferBytes);
    m_at = m_begin;
    m_end = m_begin + std::max<qint64>(got, 0);
    return got > 0;
}

int ByteStream::next()
{
    if (m_at == m_end && !refill())
        return -1;
    return *m_at++;
}

bool ByteStream::read(void *out, qint64 n)
{
    auto *to = static_cast<uchar *>(out);
    while (n > 0) {
        if (m_at == m_end && !refill())
            return false;
        const qint64 take = std::min<qint64>(n, m_end - m_at);
        std::memcpy(to, m_at, size_t(take));
        to += take;
        m_at += take;
        n -= take;
    }
    return true;
}

bool ByteStream::skip(qint64 n)
{
    if (n <= m_end - m_at) {
        m_at += n;
        return true;
    }
    const qint64 target = pos() + n;
    if (target > m_size)
        return false;
    if (!m_device)
        return false;
    if (!m_device->seek(target))
        return false;
    m_base = target;
    m_at = m_end = m_begin;
    return true;
}

bool ByteStream::findByte(uchar value, qint64 limit)
{
    for (;;) {
        if (m_at == m_end && !refill())
            return false;
        const qint64 span = std::min<qint64>(m_end - m_at, limit);
        if (const void *hit = std::memchr(m_at, value, size_t(span))) {
            m_at = static_cast<const uchar *>(hit);
            return true;
        }
        m_at += span;
        limit -= span;
        if (limit <= 0)
            return false;
    }
}

KeptBytes::KeptBytes(QIODevice &file, ByteRanges dropped) : m_file(file)
{
    const qint64 total = file.size();
    qint64 at = 0;
    auto keep = [this](qint64 from, qint64 to) {
        if (to > from) {
            m_pieces.push_back({m_size, from, to - from});
            m_size += to - from;
        }
    };
    for (const auto &[from, to] : dropped) {
        keep(at, std::min(from, total));
        at = std::max(at, to);
    }
    keep(at, total);
}

bool KeptBytes::seek(qint64 position)
{
    return position >= 0 && position <= m_size && QIODevice::seek(position);
}

qint64 KeptBytes::readData(char *data, qint64 maxSize)
{
    const qint64 at = pos();
    qint64 done = 0;
    auto piece = std::upper_bound(m_pieces.begin(), m_pieces.end(), at,
                                  [](qint64 p, const Piece &piece) { return p < piece.stream; });
    if (piece != m_pieces.begin())
        --piece;
    for (; piece != m_pieces.end() && done < maxSize; ++piece) {
        const qint64 offset = at + done - piece->stream;
        if (offset < 0 || offset >= piece->length)
            continue;
        const qint64 want = std::min(maxSize - done, piece->length - offset);
        if (!m_file.seek(piece->file + offset))
            return done ? done : -1;
        const qint64 got = m_file.read(data + done, want);
        if (got <= 0)
            return done ? done : -1;
        done += got;
        if (got < want)
            break;
    }
    return done;
}

JpegLayout walkJpeg(ByteStream &in)
{
    JpegLayout out;
    uchar soi[2];
    if (!in.read(soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) {
        out.problem = kNotReadable;
        return out;
    }
    auto damaged = [&out](const char *what) {
        out.problem = QStringLiteral("it cannot be decoded: %1").arg(QLatin1String(what));
        return out;
    };
    bool afterScanHeader = false, exifKept = false;
    qint64 stray = 0, scanStart = 0, codedBytes = 0;
    int segments = 0;
    std::vector<qint64> componentBlocks; // blocks of each frame component, padded
    uchar body[65536];
    for (;;) {
        // The next marker: after a scan header, past the coded data (its stuffed zeros and
        // restart markers are data); elsewhere past any stray bytes, as the library does.
        qint64 markerAt = -1;
        int marker = -1;
        if (afterScanHeader) {
            for (;;) {
                // The coded bytes alone bound the walk; the rest of the work is judged after.
                const qint64 budget = kMaxDecodingWork / kByteWork - codedBytes - (in.pos() - scanStart);
                if (budget <= 0) {
                    out.problem = kTooSlow;
                    return out;
                }
                if (!in.findByte(0xFF, budget)) {
                    if (in.pos() < in.size())
                        continue; // the budget check above decides
                    out.truncated = true;
                    out.problem = kTruncated;
                    return out;
                }
                markerAt = in.pos();
                int c = 0;
                do
                    c = in.next();
                while (c == 0xFF);
                if (c < 0) {
                    out.truncated = true;
                    out.problem = kTruncated;
                    return out;
                }
                if (c != 0 && (c < 0xD0 || c > 0xD7)) {
                    marker = c;
                    break;
                }
            }
            codedBytes += markerAt - scanStart;
            out.work += (markerAt - scanStart) * kByteWork;
            if (out.scans == 1) {
                out.scanDataEnd = markerAt;
                out.endFollows = marker == 0xD9;
            }
        } else {
            int c = in.next();
            while (c != 0xFF) {
                if (c < 0) {
                    out.truncated = true;
                    out.problem = kTruncated;
                    return out;
                }
                if (++stray > kMaxStrayBytes)
                    return damaged("no marker where one belongs");
                c = in.next();
            }
            markerAt = in.pos() - 1;
            do
                c = in.next();
            while (c == 0xFF);
            if (c < 0) {
                out.truncated = true;
                out.problem = kTruncated;
                return out;
            }
            marker = c;
        }
        afterScanHeader = false;
        if (marker == 0xD9) {
            if (!out.frameMarker || !out.scans)
                return damaged("no picture before its end");
            return out;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length field
        if (marker == 0xD8)
            return damaged("a second start of image");
        if (++segments > kMaxBlocks)
            return damaged("too many segments");
        uchar lengthBytes[2];
        if (!in.read(lengthBytes, 2)) {
            out.truncated = true;
            out.problem = kTruncated;
            return out;
        }
        const int length = be16(lengthBytes);
        if (length < 2)
            return damaged("a segment shorter than its length field");
        const int n = length - 2;
        const qint64 bodyAt = in.pos();
        const bool inHeader = out.scans == 0;
        const bool sof = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        const bool exif = marker == 0xE1 && !exifKept && !out.scans;
        const bool metadata = marker == 0xFE || (marker >= 0xE1 && marker <= 0xEF && marker != 0xEE);
        const bool parsed = sof || marker == 0xDA || exif;
        if (parsed ? !in.read(body, n) : !in.skip(n)) {
            out.truncated = true;
            out.problem = kTruncated;
            return out;
        }
        if (exif && n >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0) {
            exifKept = true;
        } else if (metadata) {
            if (out.dropped.size() >= size_t(kMaxBlocks))
                return damaged("too many metadata blocks");
            addRange(out.dropped, markerAt, bodyAt + n);
            continue;
        }
        if (sof) {
            if (out.frameMarker)
                return damaged("two frame headers");
            if (n < 6 || n < 6 + 3 * body[5])
                return damaged("a short frame header");
            out.frameMarker = uchar(marker);
            out.precision = body[0];
            out.height = be16(body + 1);
            out.width = be16(body + 3);
            const int count = body[5];
            if (out.width == 0 || out.height == 0 || count == 0)
                return damaged("no size in the frame header");
            int hMax = 1, vMax = 1;
            for (int i = 0; i < count; ++i) {
                const uchar *p = body + 6 + 3 * i;
                out.components.push_back({p[0], p[1] >> 4, p[1] & 15, p[2]});
                hMax = std::max(hMax, p[1] >> 4);
                vMax = std::max(vMax, p[1] & 15);
            }
            for (const JpegComponent &c : out.components) {
                const qint64 h = std::max(1, c.h), v = std::max(1, c.v);
                const qint64 wide = (out.width * h + hMax * 8 - 1) / (hMax * 8) + h;
                const qint64 high = (out.height * v + vMax * 8 - 1) / (vMax * 8) + v;
                componentBlocks.push_back(wide * high);
                out.coefficientBytes += wide * high * 128;
            }
        } else if (marker == 0xDA) {
            if (!out.frameMarker)
                return damaged("a scan before the frame header");
            if (++out.scans > kMaxJpegScans)
                return damaged("more scans than any encoder writes");
            const int count = n >= 1 ? body[0] : 0;
            if (count < 1 || n < 1 + 2 * count + 3)
                return damaged("a short scan header");
            const bool progressive = (out.frameMarker & 3) == 2;
            const int from = body[1 + 2 * count], to = body[2 + 2 * count];
            const qint64 perBlock = progressive ? std::max(1, to - from + 1) * kProgressiveCoefficientWork
                                                : kSequentialBlockWork;
            for (int i = 0; i < count; ++i) {
                for (size_t c = 0; c < out.components.size(); ++c)
                    if (out.components[c].id == body[1 + 2 * i])
                        out.work += componentBlocks[c] * perBlock;
            }
            if (out.scans == 1) {
                out.wholeImageBuffer = progressive || count < int(out.components.size());
                out.scanData = bodyAt + n;
            }
            afterScanHeader = true;
            scanStart = bodyAt + n;
        }
        if (inHeader)
            out.header.push_back({uchar(marker), bodyAt, n});
    }
}

PngLayout walkPng(ByteStream &in)
{
    PngLayout out;
    uchar signature[8];
    if (!in.read(signature, 8) || std::memcmp(signature, "\x89PNG\r\n\x1a\n", 8) != 0) {
        out.problem = kNotReadable;
        return out;
    }
    for (int chunks = 0;; ++chunks) {
        const qint64 at = in.pos();
        uchar head[8];
        if (!in.read(head, 8)) {
            out.problem = kTruncated;
            return out;
        }
        const quint32 length = qFromBigEndian<quint32>(head);
        if (length > 0x7FFFFFFFu || chunks > kMaxBlocks) {
            out.problem = QStringLiteral("it cannot be decoded: a damaged chunk list");
            return out;
        }
        const QByteArrayView type(reinterpret_cast<const char *>(head + 4), 4);
        if (chunks == 0) {
            uchar header[13];
            if (type != "IHDR" || length != 13 || !in.read(header, 13) || !in.skip(4)) {
                out.problem = kNotReadable;
                return out;
            }
            out.size = QSize(int(std::min<quint32>(qFromBigEndian<quint32>(header), 0x7FFFFFFF)),
                             int(std::min<quint32>(qFromBigEndian<quint32>(header + 4), 0x7FFFFFFF)));
            out.bitDepth = header[8];
            out.colourType = header[9];
            continue;
        }
        if (!in.skip(qint64(length) + 4)) {
            out.problem = kTruncated;
            return out;
        }
        if (type == "IEND")
            return out;
        if (type == "IDAT") {
            out.work += qint64(length) * kPngByteWork;
            if (out.work > kMaxDecodingWork) {
                out.problem = kTooSlow;
                return out;
            }
        } else if (type != "PLTE" && type != "tRNS") {
            addRange(out.dropped, at, in.pos());
        }
    }
}

GifLayout walkGif(ByteStream &in)
{
    GifLayout out;
    uchar head[13];
    if (!in.read(head, 13) || (std::memcmp(head, "GIF87a", 6) != 0 && std::memcmp(head, "GIF89a", 6) != 0)) {
        out.problem = kNotReadable;
        return out;
    }
    out.canvas = QSize(qFromLittleEndian<quint16>(head + 6), qFromLittleEndian<quint16>(head + 8));
    auto colourTable = [](int flags) { return flags & 0x80 ? 3 * (2 << (flags & 7)) : 0; };
    // The sub-blocks of an extension or of image data, up to their terminator.
    auto subBlocks = [&in, &out]() {
        for (;;) {
            const int size = in.next();
            if (size < 0 || !in.skip(size))
                return false;
            out.work += size * kGifByteWork;
            if (size == 0)
                return true;
        }
    };
    if (!in.skip(colourTable(head[10]))) {
        out.problem = kTruncated;
        return out;
    }
    for (;;) {
        const int introducer = in.next();
        if (introducer == 0x21) {
            if (in.next() < 0 || !subBlocks()) {
                out.problem = kTruncated;
                return out;
            }
        } else if (introducer == 0x2C) {
            uchar descriptor[9];
            if (!in.read(descriptor, 9) || !in.skip(colourTable(descriptor[8])) || in.next() < 0 || !subBlocks())
                out.problem = kTruncated;
            // The rest is read by the reader for the size alone, byte by byte.
            out.work += (in.size() - in.pos()) * kGifScanByteWork;
            if (out.work > kMaxDecodingWork)
                out.problem = kTooSlow;
            return out;
        } else if (introducer < 0) {
            out.problem = kTruncated;
            return out;
        } else {
            out.problem = QStringLiteral("it cannot be decoded: no picture in it");
            return out;
        }
    }
}

BmpLayout walkBmp(ByteStream &in)
{
    BmpLayout out;
    uchar h[34];
    if (!in.read(h, sizeof h) || h[0] != 'B' || h[1] != 'M') {
        out.problem = kNotReadable; // too short for a size
        return out;
    }
    const qint64 offset = qFromLittleEndian<quint32>(h + 10);
    const quint32 infoSize = qFromLittleEndian<quint32>(h + 14);
    const bool core = infoSize == 12;
    out.width = core ? qFromLittleEndian<quint16>(h + 18) : qFromLittleEndian<qint32>(h + 18);
    out.height = std::abs(core ? qFromLittleEndian<quint16>(h + 20) : qint64(qFromLittleEndian<qint32>(h + 22)));
    out.bits = qFromLittleEndian<quint16>(h + (core ? 24 : 28));
    const quint32 compression = core ? 0 : qFromLittleEndian<quint32>(h + 30);
    // 32 bits may carry transparency: one more copy to reduce it.
    out.copies = out.bits == 32 ? 1 : 0;
    // Run-length pixels have no length to check, and odd sizes and depths are the reader's.
    if ((compression != 0 && compression != 3) || out.width <= 0 || out.height == 0 || out.bits <= 0 || out.bits > 32)
        return out;
    // Qt's reader fills the rows a cut-off file lacks with black and reports success.
    const qint64 lastRow = (out.width * out.bits + 7) / 8;
    const qint64 stride = (out.width * out.bits + 31) / 32 * 4;
    const qint64 afterFirstRows = in.size() - offset - lastRow; // kept apart: no overflow
    if (afterFirstRows < 0 || afterFirstRows / stride < out.height - 1)
        out.problem = kTruncated;
    return out;
}

} // namespace host
