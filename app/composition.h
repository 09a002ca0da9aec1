// The composition of the six cube sides: each slot's picture scaled to 256 x 256 with the
// halftone (area-averaging) stretch, the frame laid over it with its transparent colour
// keyed out, and the result written as "Side 1.bmp" ... "Side 6.bmp".
#pragma once

#include "colour.h"

#include <QImage>
#include <QString>
#include <array>

namespace app {

constexpr int kSideSize = 256;

// The face a side gets when its slot holds no picture: the side's number, large and
// centred, on a colour of its own (never black, which the cube window keys out).
QImage defaultFace(int side);

// Side `side` (1 ... 6) from its slot's picture (null = empty slot). With `frame` not null
// the frame is stretched over it without blending and every frame pixel of exactly
// `transparent` lets the side show through.
QImage composeSide(const QImage &picture, int side, const QImage *frame, host::OleColor transparent);

// A side as its picture alone makes it, before any frame: the picture on white, area
// averaged to 256 x 256. Touches no window: runs on any thread.
QImage stretchedSide(const QImage &picture);

// The six sides at once, side 1 first, the pictures reduced in parallel; otherwise the same
// as composeSide for each. `stretched` may hold, for any side, what stretchedSide already
// made of that very picture: it is used instead of reducing the picture again. Call from
// the UI thread.
std::array<QImage, 6> composeSides(const std::array<QImage, 6> &pictures, const QImage *frame,
                                   host::OleColor transparent, const std::array<QImage, 6> &stretched = {});

// The frame as the sides and the frame holder show it: its transparent parts on the frame
// holder's red, stretched to `size` without blending (every colour is one the frame holds).
QImage laidFrame(const QImage &frame, QSize size);

// "<folder>/Side n.bmp", the number with the blank a number formatter leaves for the sign.
QString sideFileName(const QString &folder, int side);

// Writes `image` (256 x 256) as a 24-bit bottom-up BMP, 196,662 bytes. The file is written
// under a new temporary name and renamed over the old one, so the old file stays whole when
// the write fails, and a link in its place is replaced, never written through. Returns
// false and the reason when it fails.
bool writeSideFile(const QString &fileName, const QImage &image, QString *error);

} // namespace app
