#include "jpegpreview.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace host {

namespace {

// Codes of up to this many bits are found in one lookup, and as many whole AC steps (code
// and magnitude bits) as these bits hold are skipped in one.
constexpr int kFastBits = 13;
// A skip entry: the bits it takes (low four bits), how far it moves along the block, and
// whether it ends with the end-of-block code.
constexpr int kAdvanceShift = 4;
constexpr int kAdvanceMask = 127;
constexpr quint16 kEndsBlock = 0x800;
// Where a block's walk stands after its end-of-block code, beyond any real position.
constexpr int kEndOfBlock = 128;

quint16 be16(const uchar *p)
{
    return quint16((p[0] << 8) | p[1]);
}

struct HuffmanTable
{
    bool defined = false;
    // By the next kFastBits bits: the length of the code they start with (0: longer) and its
    // symbol.
    std::array<quint8, 1 << kFastBits> lookLength{};
    std::array<quint8, 1 << kFastBits> lookSymbol{};
    // For skipping AC coefficients, by the next kFastBits bits: the whole steps they hold,
    // as a skip entry; 0 where not even one step fits.
    std::array<quint16, 1 << kFastBits> skip{};
    // Longer codes, length by length: the largest code of each length (-1: none) and what
    // turns a code into an index into `symbols`.
    std::array<qint32, 18> maxCode{};
    std::array<qint32, 17> valueOffset{};
    std::array<quint8, 256> symbols{};
};

// Builds `table` from a DHT entry, refusing what the JPEG library refuses: more than 256
// codes, codes that do not fit their length (the all-ones code included) and, for a DC
// table, categories above 15.
bool buildTable(HuffmanTable &table, const uchar *counts, const uchar *symbols, bool dc)
{
    std::array<quint8, 257> sizes{};
    int total = 0;
    for (int length = 1; length <= 16; ++length) {
        const int n = counts[length - 1];
        if (total + n > 256)
            return false;
        for (int i = 0; i < n; ++i)
            sizes[size_t(total++)] = quint8(length);
    }
    std::array<quint32, 256> codes{};
    quint32 code = 0;
    int length = sizes[0];
    for (int p = 0; sizes[size_t(p)];) {
        while (sizes[size_t(p)] == length) {
            codes[size_t(p++)] = code;
            ++code;
        }
        if (code >= (1u << length))
            return false;
        code <<= 1;
        ++length;
    }
    table = HuffmanTable();
    std::copy(symbols, symbols + total, table.symbols.begin());
    if (dc && std::any_of(symbols, symbols + total, [](uchar s) { return s > 15; }))
        return false;
    for (int p = 0, l = 1; l <= 16; ++l) {
        const int n = counts[l - 1];
        if (n) {
            table.valueOffset[size_t(l)] = p - qint32(codes[size_t(p)]);
            p += n;
            table.maxCode[size_t(l)] = qint32(codes[size_t(p - 1)]);
        } else {
            table.maxCode[size_t(l)] = -1;
        }
    }
    table.maxCode[17] = 0x7FFFFFFF;
    for (int p = 0; p < total && sizes[size_t(p)] <= kFastBits; ++p) {
        const int l = sizes[size_t(p)];
        const int span = 1 << (kFastBits - l);
        const int first = int(codes[size_t(p)]) << (kFastBits - l);
        for (int i = first; i < first + span; ++i) {
            table.lookLength[size_t(i)] = quint8(l);
            table.lookSymbol[size_t(i)] = symbols[p];
        }
    }
    if (!dc) {
        // Each window of bits walked step by step while whole steps lie inside it. An entry
        // stops at the end-of-block code: the next bits belong to the next block.
        const int mask = (1 << kFastBits) - 1;
        for (int i = 0; i <= mask; ++i) {
            int used = 0, advance = 0;
            quint16 ends = 0;
            while (used < kFastBits) {
                const int look = (i << used) & mask;
                const int l = table.lookLength[size_t(look)];
                const int run = table.lookSymbol[size_t(look)] >> 4, magnitude = table.lookSymbol[size_t(look)] & 15;
                const int step = magnitude ? run + 1 : run == 15 ? 16 : 0;
                if (l == 0 || used + l + magnitude > kFastBits || advance + step > 63)
                    break;
                used += l + magnitude;
                advance += step;
                if (step == 0) {
                    ends = kEndsBlock;
                    break;
                }
            }
            table.skip[size_t(i)] = quint16(used | (advance << kAdvanceShift) | ends);
        }
    }
    table.defined = true;
    return true;
}

// The entropy-coded bits of a scan, most significant first in a 64-bit buffer. Stuffed
// zero bytes are dropped; at a marker (or the end of the data) filling stops and the buffer
// runs on with zero bits, `bits` then going below zero once a code used any of them.
class BitReader
{
public:
    BitReader(const uchar *data, const uchar *end) : m_at(data), m_end(end) {}

    Q_ALWAYS_INLINE void fill()
    {
        while (!m_stopped && bits <= 56) {
            if (m_end - m_at >= 8) {
                quint64 next;
                std::memcpy(&next, m_at, 8);
                const quint64 inverse = ~next;
                // No 0xFF among the next eight bytes: take as many whole bytes as fit.
                if (((inverse - 0x0101010101010101ull) & ~inverse & 0x8080808080808080ull) == 0) {
                    const int n = (63 - bits) >> 3;
                    if (n == 0)
                        return;
                    next = qFromBigEndian(next) & ~(~0ull >> (8 * n));
                    m_buffer |= next >> bits;
                    bits += 8 * n;
                    m_at += n;
                    return;
                }
            }
            if (m_at >= m_end) {
                m_stopped = true;
                return;
            }
            const quint64 byte = *m_at;
            if (byte == 0xFF) {
                if (m_end - m_at < 2 || m_at[1] != 0) {
                    m_stopped = true;
                    return;
                }
                m_at += 2;
            } else {
                ++m_at;
            }
            m_buffer |= byte << (56 - bits);
            bits += 8;
        }
    }

    Q_ALWAYS_INLINE quint32 peek(int n) const { return quint32(m_buffer >> (64 - n)); }
    Q_ALWAYS_INLINE void drop(int n)
    {
        m_buffer <<= n;
        bits -= n;
    }

    // At the end of a restart interval: only the last byte's padding may be left before
    // the marker, which must be RST`number`.
    bool restart(int number)
    {
        fill();
        if (!m_stopped || bits < 0 || bits >= 8 || m_at >= m_end || *m_at != 0xFF)
            return false;
        while (m_at < m_end && *m_at == 0xFF)
            ++m_at;
        if (m_at >= m_end || *m_at != 0xD0 + number)
            return false;
        ++m_at;
        m_buffer = 0;
        bits = 0;
        m_stopped = false;
        return true;
    }

    int bits = 0; // valid bits in the buffer

private:
    const uchar *m_at;
    const uchar *m_end;
    quint64 m_buffer = 0;
    bool m_stopped = false;
};

// The next symbol coded with `table`, or -1 for a code the table lacks. Needs 16 bits in
// the buffer (or a stopped reader).
Q_ALWAYS_INLINE int decodeSymbol(BitReader &in, const HuffmanTable &table)
{
    const quint32 look = in.peek(kFastBits);
    if (const int length = table.lookLength[look]) {
        in.drop(length);
        return table.lookSymbol[look];
    }
    for (int length = kFastBits + 1; length <= 16; ++length) {
        const qint32 code = qint32(in.peek(length));
        if (code <= table.maxCode[size_t(length)]) {
            in.drop(length);
            return table.symbols[size_t((table.valueOffset[size_t(length)] + code) & 0xFF)];
        }
    }
    return -1;
}

// One block: its DC difference added to `dc`, its AC coefficients passed over. False for a
// code the tables lack, a run beyond the block, a DC value no 8-bit file has, or bits read
// past the data.
Q_ALWAYS_INLINE bool readBlockIn(BitReader &in, const HuffmanTable &dcTable, const HuffmanTable &acTable, int &dc)
{
    if (in.bits < 32)
        in.fill();
    const int category = decodeSymbol(in, dcTable);
    if (category < 0)
        return false;
    if (category) {
        int diff = int(in.peek(category));
        in.drop(category);
        if (diff < (1 << (category - 1)))
            diff -= (1 << category) - 1;
        dc += diff;
        if (dc < -32768 || dc > 32767)
            return false;
    }
    int k = 1;
    while (k < 64) {
        if (in.bits < 32)
            in.fill();
        // Several steps at once where they stay inside the block: a block whose last
        // coefficient is coded has no end-of-block code, and what follows it is not its own.
        const quint16 steps = acTable.skip[in.peek(kFastBits)];
        const int advance = (steps >> kAdvanceShift) & kAdvanceMask;
        if (steps & kEndsBlock ? k + advance < 64 : steps && k + advance <= 64) {
            in.drop(steps & 15);
            k = steps & kEndsBlock ? kEndOfBlock : k + advance;
            continue;
        }
        const int symbol = decodeSymbol(in, acTable);
        if (symbol < 0)
            return false;
        const int run = symbol >> 4, magnitude = symbol & 15;
        if (magnitude) {
            in.drop(magnitude);
            k += run + 1;
        } else if (run == 15) {
            k += 16;
        } else {
            k = kEndOfBlock;
        }
    }
    return (k == 64 || k >= kEndOfBlock) && in.bits >= 0;
}

bool readBlock(BitReader &reader, const HuffmanTable &dcTable, const HuffmanTable &acTable, int &dc)
{
    // Walked in a copy the compiler can keep in registers.
    BitReader in = reader;
    const bool read = readBlockIn(in, dcTable, acTable, dc);
    reader = in;
    return read;
}

// The JPEG library's sample limit: a value centred on 0, wrapped and clamped as its range
// table does.
quint8 limitSample(int value)
{
    value &= 1023;
    if (value < 128)
        return quint8(value + 128);
    if (value < 512)
        return 255;
    if (value < 896)
        return 0;
    return quint8(value - 896);
}

// The 1 x 1 inverse transform: the DC term dequantised and divided by eight with rounding,
// level-shifted and limited through the same wrapping table the JPEG library uses.
quint8 dcSample(int dc, int quant)
{
    return limitSample((dc * quant + 4) >> 3);
}

// JFIF YCbCr to RGB in the JPEG library's 16-bit fixed point, rounded the same way.
QRgb ycbcrToRgb(int y, int cb, int cr)
{
    cb -= 128;
    cr -= 128;
    const int r = y + ((91881 * cr + 32768) >> 16);
    const int g = y + ((-22554 * cb - 46802 * cr + 32768) >> 16);
    const int b = y + ((116130 * cb + 32768) >> 16);
    return qRgb(std::clamp(r, 0, 255), std::clamp(g, 0, 255), std::clamp(b, 0, 255));
}

// Where the k-th coefficient of the zigzag order lies in the 8 x 8 block.
constexpr std::array<int, 64> kNaturalOrder = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

// The coefficients the 2 x 2 reduced inverse transform uses: rows and columns 0, 1, 3, 5
// and 7 (natural order).
constexpr std::array<bool, 64> kTwoByTwoTerms = [] {
    std::array<bool, 64> used{};
    for (int row : {0, 1, 3, 5, 7})
        for (int col : {0, 1, 3, 5, 7})
            used[size_t(row * 8 + col)] = true;
    return used;
}();

// One block with the coefficients of kTwoByTwoTerms decoded and dequantised by `quant`
// into `coefficients` (natural order, the AC terms zero on entry), the others passed over; `detailed` tells whether any
// AC term was set. False in the cases readBlockIn refuses.
bool readBlockCoefficients(BitReader &in, const HuffmanTable &dcTable, const HuffmanTable &acTable, int &dc,
                           const std::array<int, 64> &quant, std::array<int, 64> &coefficients, bool &detailed)
{
    detailed = false;
    auto extend = [](int value, int magnitude) {
        return value < (1 << (magnitude - 1)) ? value - (1 << magnitude) + 1 : value;
    };
    if (in.bits < 32)
        in.fill();
    const int category = decodeSymbol(in, dcTable);
    if (category < 0)
        return false;
    if (category) {
        dc += extend(int(in.peek(category)), category);
        in.drop(category);
        if (dc < -32768 || dc > 32767)
            return false;
    }
    coefficients[0] = dc * quant[0];
    auto keep = [&](int k, int value) {
        const size_t at = size_t(kNaturalOrder[size_t(k)]);
        if (kTwoByTwoTerms[at] && value) {
            coefficients[at] = value * quant[at];
            detailed = true;
        }
    };
    int k = 1;
    while (k < 64) {
        if (in.bits < 32)
            in.fill();
        const int symbol = decodeSymbol(in, acTable);
        if (symbol < 0)
            return false;
        const int run = symbol >> 4, magnitude = symbol & 15;
        if (magnitude) {
            k += run;
            if (k > 63)
                return false;
            keep(k++, extend(int(in.peek(magnitude)), magnitude));
            in.drop(magnitude);
        } else if (run == 15) {
            k += 16;
        } else {
            k = kEndOfBlock;
        }
    }
    return (k == 64 || k >= kEndOfBlock) && in.bits >= 0;
}

// The 2 x 2 reduced inverse transform the JPEG library uses for chroma sampled half as
// often both ways when it decodes at an eighth, on dequantised coefficients (natural
// order): the DC term and the odd terms of rows and columns 1, 3, 5 and 7, in its 13-bit
// fixed point and with its rounding.
void inverseTransform2x2(const std::array<int, 64> &d, quint8 out[4])
{
    constexpr qint64 k0720 = 5906, k0850 = 6967, k1272 = 10426, k3624 = 29692;
    // Pass 1: columns 0, 1, 3, 5 and 7 into two rows.
    qint64 top[8] = {}, bottom[8] = {};
    for (int col : {0, 1, 3, 5, 7}) {
        const qint64 r1 = d[size_t(8 + col)], r3 = d[size_t(24 + col)], r5 = d[size_t(40 + col)], r7 = d[size_t(56 + col)];
        if (!r1 && !r3 && !r5 && !r7) {
            top[col] = bottom[col] = qint64(d[size_t(col)]) * 4;
            continue;
        }
        const qint64 even = qint64(d[size_t(col)]) << 15;
        const qint64 odd = -k0720 * r7 + k0850 * r5 - k1272 * r3 + k3624 * r1;
        top[col] = (even + odd + (1 << 12)) >> 13;
        bottom[col] = (even - odd + (1 << 12)) >> 13;
    }
    // Pass 2: the two rows.
    const qint64 *rows[2] = {top, bottom};
    for (int row = 0; row < 2; ++row) {
        const qint64 *w = rows[row];
        if (!w[1] && !w[3] && !w[5] && !w[7]) {
            out[2 * row] = out[2 * row + 1] = limitSample(int((w[0] + (1 << 4)) >> 5));
            continue;
        }
        const qint64 even = w[0] << 15;
        const qint64 odd = -k0720 * w[7] + k0850 * w[5] - k1272 * w[3] + k3624 * w[1];
        out[2 * row] = limitSample(int((even + odd + (1 << 19)) >> 20));
        out[2 * row + 1] = limitSample(int((even - odd + (1 << 19)) >> 20));
    }
}

struct Component
{
    int id = 0;
    int h = 1, v = 1;
    int quantTable = 0;
    int dcTable = 0, acTable = 0;
    // Samples per block each way: 2 for chroma sampled half as often both ways, which the
    // JPEG library scales to 2 x 2 at an eighth; 1 (the DC value) for all others.
    int samples = 1;
};

// Everything the first scan needs, from the segments before it.
struct Frame
{
    // Tables 0-3 DC, 4-7 AC.
    std::vector<HuffmanTable> tables = std::vector<HuffmanTable>(8);
    std::array<std::array<int, 64>, 4> quant{}; // natural order
    std::array<Component, 3> components;
    int componentCount = 0, width = 0, height = 0, restartInterval = 0;
    std::array<int, 3> scanOrder{};
    bool colour = false;
    int hMax = 1, vMax = 1, blocksPerUnit = 0;
    int unitsWide = 0, unitsHigh = 0;
};

bool readFrameHeader(const uchar *body, int n, Frame &f)
{
    if (n < 6 || body[0] != 8)
        return false;
    f.height = be16(body + 1);
    f.width = be16(body + 3);
    f.componentCount = body[5];
    if (f.width == 0 || f.height == 0 || (f.componentCount != 1 && f.componentCount != 3) || n != 6 + 3 * f.componentCount)
        return false;
    for (int i = 0; i < f.componentCount; ++i) {
        Component &c = f.components[size_t(i)];
        const uchar *p = body + 6 + 3 * i;
        c.id = p[0];
        c.h = p[1] >> 4;
        c.v = p[1] & 15;
        c.quantTable = p[2];
        if (c.h < 1 || c.h > 2 || c.v < 1 || c.v > 2 || c.quantTable > 3)
            return false;
        for (int j = 0; j < i; ++j)
            if (f.components[size_t(j)].id == c.id)
                return false;
    }
    return true;
}

bool readHuffmanTables(const uchar *body, int n, Frame &f)
{
    for (int p = 0; p < n;) {
        if (n - p < 17)
            return false;
        const int kind = body[p] >> 4, slot = body[p] & 15;
        int total = 0;
        for (int i = 1; i <= 16; ++i)
            total += body[p + i];
        if (kind > 1 || slot > 3 || total > 256 || n - p - 17 < total)
            return false;
        if (!buildTable(f.tables[size_t(kind * 4 + slot)], body + p + 1, body + p + 17, kind == 0))
            return false;
        p += 17 + total;
    }
    return true;
}

bool readQuantTables(const uchar *body, int n, Frame &f, std::array<bool, 4> &defined)
{
    for (int p = 0; p < n;) {
        const int precision = body[p] >> 4, slot = body[p] & 15;
        if (precision > 1 || slot > 3 || n - p - 1 < 64 * (precision + 1))
            return false;
        for (int k = 0; k < 64; ++k)
            f.quant[size_t(slot)][size_t(kNaturalOrder[size_t(k)])] = precision ? be16(body + p + 1 + 2 * k) : body[p + 1 + k];
        defined[size_t(slot)] = true;
        p += 1 + 64 * (precision + 1);
    }
    return true;
}

bool readScanHeader(const uchar *body, int n, Frame &f, const std::array<bool, 4> &quantDefined)
{
    if (!f.componentCount || n < 1 || body[0] != f.componentCount || n != 4 + 2 * f.componentCount)
        return false;
    for (int i = 0; i < f.componentCount; ++i) {
        const uchar *p = body + 1 + 2 * i;
        int index = -1;
        for (int j = 0; j < f.componentCount; ++j)
            if (f.components[size_t(j)].id == p[0])
                index = j;
        for (int j = 0; j < i; ++j)
            if (f.scanOrder[size_t(j)] == index)
                index = -1;
        if (index < 0 || (p[1] >> 4) > 3 || (p[1] & 15) > 3)
            return false;
        Component &c = f.components[size_t(index)];
        c.dcTable = p[1] >> 4;
        c.acTable = 4 + (p[1] & 15);
        if (!f.tables[size_t(c.dcTable)].defined || !f.tables[size_t(c.acTable)].defined
            || !quantDefined[size_t(c.quantTable)])
            return false;
        f.scanOrder[size_t(i)] = index;
    }
    const uchar *p = body + 1 + 2 * f.componentCount;
    return p[0] == 0 && p[1] == 63 && p[2] == 0;
}

// The header step: the segments before the first scan, as the walk of the file listed
// them. False for anything but the files this decoder takes.
bool readHeader(const uchar *data, const JpegLayout &layout, Frame &f)
{
    bool jfif = false, adobe = false;
    int adobeTransform = -1;
    std::array<bool, 4> quantDefined{};
    for (const JpegSegment &segment : layout.header) {
        const uchar *body = data + segment.body;
        const int n = segment.length;
        bool read = true;
        switch (segment.marker) {
        case 0xC0:
        case 0xC1:
            read = readFrameHeader(body, n, f);
            break;
        case 0xC4:
            read = readHuffmanTables(body, n, f);
            break;
        case 0xDB:
            read = readQuantTables(body, n, f, quantDefined);
            break;
        case 0xDD:
            read = n == 2;
            f.restartInterval = n == 2 ? be16(body) : 0;
            break;
        case 0xE0:
            jfif = jfif || (n >= 14 && std::memcmp(body, "JFIF\0", 5) == 0);
            break;
        case 0xEE:
            if (n >= 12 && std::memcmp(body, "Adobe", 5) == 0) {
                adobe = true;
                adobeTransform = body[11];
            }
            break;
        case 0xE1:
            break; // EXIF: its orientation is the caller's
        case 0xDA:
            read = readScanHeader(body, n, f, quantDefined);
            break;
        default:
            // Progressive or arithmetic frames, 12-bit data, DNL: all for the JPEG library.
            read = false;
        }
        if (!read)
            return false;
    }
    if (!f.componentCount)
        return false;
    if (f.componentCount == 3) {
        // Which three-component files are YCbCr, as the JPEG library decides it.
        const bool ycbcr = jfif    ? true
                           : adobe ? adobeTransform == 1
                                   : !(f.components[0].id == 'R' && f.components[1].id == 'G' && f.components[2].id == 'B');
        if (!ycbcr)
            return false;
    }
    // A grey scan is one block per unit whatever its sampling; a colour one interleaves
    // luma's blocks with the chroma blocks of the same area.
    f.colour = f.componentCount == 3;
    f.hMax = f.colour ? f.components[0].h : 1;
    f.vMax = f.colour ? f.components[0].v : 1;
    for (int i = 0; i < f.componentCount; ++i) {
        const Component &c = f.components[size_t(i)];
        if (f.colour && (c.h > f.hMax || c.v > f.vMax))
            return false;
        f.blocksPerUnit += f.colour ? c.h * c.v : 1;
    }
    for (int i = 1; f.colour && i < f.componentCount; ++i) {
        Component &c = f.components[size_t(i)];
        if (f.hMax == 2 && f.vMax == 2 && c.h == 1 && c.v == 1)
            c.samples = 2;
    }
    f.unitsWide = (f.width + 8 * f.hMax - 1) / (8 * f.hMax);
    f.unitsHigh = (f.height + 8 * f.vMax - 1) / (8 * f.vMax);
    return f.blocksPerUnit <= 10;
}

// One row of units at a time: every component's samples, one per block.
struct UnitRow
{
    std::array<std::vector<quint8>, 3> planes;
    std::array<int, 3> stride{};
};

// The row step: a row of units' samples turned into the picture's rows.
void writeRows(const Frame &f, const UnitRow &units, int unitRow, QImage &image)
{
    const int outWidth = image.width();
    for (int by = 0; by < f.vMax; ++by) {
        const int y = unitRow * f.vMax + by;
        if (y >= image.height())
            break;
        const quint8 *luma = units.planes[0].data() + size_t(by) * size_t(units.stride[0]);
        if (!f.colour) {
            std::memcpy(image.scanLine(y), luma, size_t(outWidth));
            continue;
        }
        // Chroma with fewer samples is repeated over the luma it covers.
        const Component &cb = f.components[1], &cr = f.components[2];
        const int cbH = cb.h * cb.samples, cbV = cb.v * cb.samples, crH = cr.h * cr.samples, crV = cr.v * cr.samples;
        const quint8 *cbLine = units.planes[1].data() + size_t(by * cbV / f.vMax) * size_t(units.stride[1]);
        const quint8 *crLine = units.planes[2].data() + size_t(by * crV / f.vMax) * size_t(units.stride[2]);
        // Samples per block are 1 or 2 and components 1 or 2 blocks wide: each chroma
        // sample covers 1 or 2 luma samples.
        const int cbShift = cbH < f.hMax ? 1 : 0, crShift = crH < f.hMax ? 1 : 0;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < outWidth; ++x)
            out[x] = ycbcrToRgb(luma[x], cbLine[x >> cbShift], crLine[x >> crShift]);
    }
}

// The scan step: every block's DC value, a row of units at a time, each row written out
// as soon as it is complete.
bool readScan(const uchar *begin, const uchar *end, const Frame &f, QImage &image)
{
    UnitRow units;
    for (int i = 0; i < f.componentCount; ++i) {
        const Component &c = f.components[size_t(i)];
        units.stride[size_t(i)] = f.colour ? f.unitsWide * c.h * c.samples : f.unitsWide;
        units.planes[size_t(i)].assign(size_t(units.stride[size_t(i)]) * (f.colour ? c.v * c.samples : 1), 0);
    }
    BitReader in(begin, end);
    std::array<int, 3> dc{};
    std::array<int, 64> coefficients{}; // AC terms kept zero between blocks
    int untilRestart = f.restartInterval, restartNumber = 0;
    for (int unitRow = 0; unitRow < f.unitsHigh; ++unitRow) {
        for (int unit = 0; unit < f.unitsWide; ++unit) {
            if (f.restartInterval) {
                if (untilRestart == 0) {
                    if (!in.restart(restartNumber))
                        return false;
                    restartNumber = (restartNumber + 1) & 7;
                    dc = {};
                    untilRestart = f.restartInterval;
                }
                --untilRestart;
            }
            for (int s = 0; s < f.componentCount; ++s) {
                const int ci = f.scanOrder[size_t(s)];
                const Component &c = f.components[size_t(ci)];
                const HuffmanTable &dcTable = f.tables[size_t(c.dcTable)];
                const HuffmanTable &acTable = f.tables[size_t(c.acTable)];
                const std::array<int, 64> &quant = f.quant[size_t(c.quantTable)];
                const int h = f.colour ? c.h : 1, v = f.colour ? c.v : 1;
                if (c.samples == 2) {
                    quint8 samples[4];
                    bool detailed = false;
                    if (!readBlockCoefficients(in, dcTable, acTable, dc[size_t(ci)], quant, coefficients, detailed))
                        return false;
                    if (detailed) {
                        inverseTransform2x2(coefficients, samples);
                        for (size_t at = 1; at < 64; ++at)
                            if (kTwoByTwoTerms[at])
                                coefficients[at] = 0;
                    } else {
                        // A flat block: the transform comes to the DC sample in all four.
                        samples[0] = samples[1] = samples[2] = samples[3] = dcSample(dc[size_t(ci)], quant[0]);
                    }
                    const size_t stride = size_t(units.stride[size_t(ci)]);
                    quint8 *line = units.planes[size_t(ci)].data() + size_t(unit * 2);
                    line[0] = samples[0];
                    line[1] = samples[1];
                    line[stride] = samples[2];
                    line[stride + 1] = samples[3];
                    continue;
                }
                for (int by = 0; by < v; ++by) {
                    quint8 *line = units.planes[size_t(ci)].data() + size_t(by) * size_t(units.stride[size_t(ci)])
                                   + size_t(unit * h);
                    for (int bx = 0; bx < h; ++bx) {
                        if (!readBlock(in, dcTable, acTable, dc[size_t(ci)]))
                            return false;
                        line[bx] = dcSample(dc[size_t(ci)], quant[0]);
                    }
                }
            }
        }
        writeRows(f, units, unitRow, image);
    }
    return true;
}

} // namespace

QImage decodeJpegEighth(QByteArrayView jpeg, const JpegLayout &layout)
{
    // Only a file whose one scan is followed by its end: anything else after it (a second
    // frame, more scans) is for the JPEG library, which gives the one answer for it.
    if (!layout.problem.isEmpty() || !layout.endFollows || layout.scanDataEnd > jpeg.size())
        return QImage();
    const auto *data = reinterpret_cast<const uchar *>(jpeg.data());
    Frame f;
    if (!readHeader(data, layout, f))
        return QImage();
    // Every block takes at least two bits (a DC code and an AC code): data too short for
    // the blocks is refused before anything as large as the picture is allocated.
    if (qint64(f.unitsWide) * f.unitsHigh * f.blocksPerUnit > 4 * (layout.scanDataEnd - layout.scanData))
        return QImage();
    QImage image((f.width + 7) / 8, (f.height + 7) / 8, f.colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
    if (image.isNull() || !readScan(data + layout.scanData, data + layout.scanDataEnd, f, image))
        return QImage();
    return image;
}

QImage decodeJpegEighth(QByteArrayView jpeg)
{
    ByteStream in(jpeg);
    return decodeJpegEighth(jpeg, walkJpeg(in));
}

} // namespace host
