#include "composition.h"

#include "picture.h"
#include "syscolours.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QSaveFile>
#include <array>
#include <cerrno>
#include <cstring>
#include <future>
#include <new>

namespace app {

namespace {
// Side colours of the built-in faces, one per side, all well away from black.
constexpr std::array<QRgb, 6> kFaceColours{{
    0xffc0392b, // 1 brick red
    0xff2e86c1, // 2 blue
    0xff27ae60, // 3 green
    0xffd68910, // 4 amber
    0xff8e44ad, // 5 purple
    0xff17a589, // 6 teal
}};

// Pictures with transparent parts are seen on white, as on a sheet of paper.
constexpr QRgb kSideBackground = 0xffffffff;
// A frame's transparent parts are seen on the frame holder's red, so a frame whose
// transparency was left in the file is keyed out with the default transparent colour.
constexpr QRgb kFrameBackground = 0xffff0000;

// The reason a file operation just failed: the device's own text, or the system's when the
// device has none to give (it then says only "Unknown error").
QString systemReason(const QFileDevice &file)
{
    const int code = errno;
    const QString text = file.errorString();
    if (file.error() != QFileDevice::NoError && !text.isEmpty() && text != QIODevice::tr("Unknown error"))
        return text;
    return code != 0 ? QString::fromLocal8Bit(std::strerror(code)) : text;
}
} // namespace

QImage defaultFace(int side)
{
    QImage face(kSideSize, kSideSize, QImage::Format_RGB888);
    face.fill(QColor::fromRgb(kFaceColours[size_t(std::clamp(side, 1, 6) - 1)]));
    QPainter p(&face);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(180);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(face.rect(), Qt::AlignCenter, QString::number(side));
    return face;
}

namespace {
// The laid frame over `side`, except where it has exactly the colour `key` (an RGB colour,
// or kTranslateFailed, which matches no pixel: the whole frame covers the side).
QImage keyedOver(QImage side, const QImage &laid, host::OleColor key)
{
    const int kr = host::redOf(key), kg = host::greenOf(key), kb = host::blueOf(key);
    for (int y = 0; y < kSideSize; ++y) {
        const uchar *in = laid.constScanLine(y);
        uchar *out = side.scanLine(y);
        for (int x = 0; x < kSideSize * 3; x += 3) {
            const bool keyed = key != host::kTranslateFailed && in[x] == kr && in[x + 1] == kg && in[x + 2] == kb;
            if (!keyed) {
                out[x] = in[x];
                out[x + 1] = in[x + 1];
                out[x + 2] = in[x + 2];
            }
        }
    }
    return side;
}

QImage stretchedSide(const QImage &picture)
{
    return host::stretchAreaAverage(host::flattened(picture, kSideBackground), QSize(kSideSize, kSideSize));
}
} // namespace

QImage composeSide(const QImage &picture, int side, const QImage *frame, host::OleColor transparent)
{
    QImage result = picture.isNull() ? defaultFace(side) : stretchedSide(picture);
    if (!frame || frame->isNull())
        return result;
    return keyedOver(std::move(result), laidFrame(*frame, QSize(kSideSize, kSideSize)), host::TranslateColor(transparent));
}

std::array<QImage, 6> composeSides(const std::array<QImage, 6> &pictures, const QImage *frame,
                                   host::OleColor transparent)
{
    // What reads the desktop's palette or lays out text stays on this thread: the key, the
    // frame and the numbered faces. The stretches run side by side; each task owns its
    // picture (a shared, read-only copy) and its result.
    const host::OleColor key = host::TranslateColor(transparent);
    const QImage laid = frame && !frame->isNull() ? laidFrame(*frame, QSize(kSideSize, kSideSize)) : QImage();
    std::array<std::future<QImage>, 6> tasks;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (!pictures[i].isNull())
            tasks[i] = std::async(std::launch::async | std::launch::deferred,
                                  [picture = pictures[i]] { return stretchedSide(picture); });
    }
    std::array<QImage, 6> sides;
    for (size_t i = 0; i < sides.size(); ++i) {
        QImage side;
        try {
            side = tasks[i].valid() ? tasks[i].get() : QImage();
        } catch (const std::bad_alloc &) {
            side = QImage(); // no memory to reduce it: the side gets its numbered face
        }
        if (side.isNull())
            side = defaultFace(int(i) + 1);
        sides[i] = laid.isNull() ? std::move(side) : keyedOver(std::move(side), laid, key);
    }
    return sides;
}

QImage laidFrame(const QImage &frame, QSize size)
{
    return host::stretchNearest(host::flattened(frame, kFrameBackground), size);
}

QString sideFileName(const QString &folder, int side)
{
    return folder + QStringLiteral("/Side ") + QString::number(side) + QStringLiteral(".bmp");
}

bool writeSideFile(const QString &fileName, const QImage &image, QString *error)
{
    // Encoded in memory first and handed to the file in one write, so a failing write (a
    // full disk, a size limit) reports the system's own reason at once, before closing or
    // cancelling the file could overwrite it.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (image.isNull() || !image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP")) {
            if (error)
                *error = QStringLiteral("the picture could not be encoded");
            return false;
        }
    }
    QSaveFile file(fileName);
    QString reason;
    if (!file.open(QIODevice::WriteOnly)) {
        reason = file.errorString();
    } else if (file.write(bytes) != bytes.size() || !file.flush()) {
        reason = systemReason(file);
        file.cancelWriting();
    } else if (!file.commit()) {
        reason = systemReason(file);
    }
    if (reason.isEmpty())
        return true;
    if (error)
        *error = reason;
    return false;
}

} // namespace app
