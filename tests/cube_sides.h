// Side pictures for the cube's tests and benchmark: six distinct 256 x 256, 24-bit bitmaps,
// each a bright colour with its number and an arrow pointing to the picture's top, so a
// screenshot shows which face is which and which way is up.
#pragma once

#include <QColor>
#include <QDir>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QString>

namespace cubetest {

inline QColor sideColour(int side)
{
    static const QColor colours[6] = {QColor(230, 60, 50),  QColor(60, 170, 70),
                                      QColor(60, 90, 220),  QColor(235, 200, 40),
                                      QColor(200, 80, 200), QColor(50, 200, 210)};
    return colours[(side - 1) % 6];
}

// A side picture: no pixel is darker than (40, 40, 40), so no texel is keyed out.
inline QImage sidePicture(int side)
{
    QImage image(256, 256, QImage::Format_RGB888);
    image.fill(sideColour(side));
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(250, 250, 250));
    // The arrow, pointing up, in the upper half.
    painter.drawPolygon(QPolygon({QPoint(128, 12), QPoint(188, 80), QPoint(148, 80),
                                  QPoint(148, 120), QPoint(108, 120), QPoint(108, 80),
                                  QPoint(68, 80)}));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(110);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor(40, 40, 40));
    painter.drawText(QRect(0, 120, 256, 136), Qt::AlignCenter, QString::number(side));
    return image;
}

// Writes "Side 1.bmp" ... "Side 6.bmp" into `folder`; false when one could not be written.
inline bool writeSideFiles(const QString &folder)
{
    for (int side = 1; side <= 6; ++side) {
        if (!sidePicture(side).save(QDir(folder).filePath(QStringLiteral("Side %1.bmp").arg(side)), "BMP"))
            return false;
    }
    return true;
}

} // namespace cubetest
