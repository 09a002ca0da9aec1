#include "composition.h"

#include "picture.h"
#include "syscolours.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>
#include <QFile>
#include <QRandomGenerator>
#include <array>
#include <cerrno>
#include <cstring>
#include <future>
#include <fcntl.h>
#include <new>
#include <unistd.h>

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
} // namespace

QImage stretchedSide(const QImage &picture)
{
    return host::stretchAreaAverage(host::flattened(picture, kSideBackground), QSize(kSideSize, kSideSize));
}

QImage composeSide(const QImage &picture, int side, const QImage *frame, host::OleColor transparent)
{
    QImage result = picture.isNull() ? defaultFace(side) : stretchedSide(picture);
    if (!frame || frame->isNull())
        return result;
    return keyedOver(std::move(result), laidFrame(*frame, QSize(kSideSize, kSideSize)), host::TranslateColor(transparent));
}

std::array<QImage, 6> composeSides(const std::array<QImage, 6> &pictures, const QImage *frame,
                                   host::OleColor transparent, const std::array<QImage, 6> &stretched)
{
    // What reads the desktop's palette or lays out text stays on this thread: the key, the
    // frame and the numbered faces. The stretches run side by side; each task owns its
    // picture (a shared, read-only copy) and its result.
    const host::OleColor key = host::TranslateColor(transparent);
    const QImage laid = frame && !frame->isNull() ? laidFrame(*frame, QSize(kSideSize, kSideSize)) : QImage();
    std::array<std::future<QImage>, 6> tasks;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (!pictures[i].isNull() && stretched[i].isNull())
            tasks[i] = std::async(std::launch::async | std::launch::deferred,
                                  [picture = pictures[i]] { return stretchedSide(picture); });
    }
    std::array<QImage, 6> sides;
    for (size_t i = 0; i < sides.size(); ++i) {
        QImage side;
        try {
            side = tasks[i].valid() ? tasks[i].get() : pictures[i].isNull() ? QImage() : stretched[i];
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
    // Encoded in memory first and handed to the file in one go, so a failing write (a full
    // disk, a size limit) reports the system's own reason at once.
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
    // A name of its own beside the file, made new (never a link or a file someone left
    // there), then renamed over the old name: that replaces whatever is there, a link
    // included, instead of writing where it points.
    const QByteArray target = QFile::encodeName(fileName);
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
        temporary = target + '.' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    const auto fail = [&](bool made) {
        const int code = errno;
        if (fd >= 0)
            ::close(fd);
        if (made)
            ::unlink(temporary.constData());
        if (error)
            *error = QString::fromLocal8Bit(std::strerror(code));
        return false;
    };
    if (fd < 0)
        return fail(false);
    for (qsizetype written = 0; written < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return fail(true);
        }
        written += n;
    }
    if (::fsync(fd) != 0)
        return fail(true);
    const int closing = ::close(fd);
    fd = -1;
    if (closing != 0 || ::rename(temporary.constData(), target.constData()) != 0)
        return fail(true);
    return true;
}

} // namespace app
