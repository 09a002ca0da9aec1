#include "artwork.h"

#include <QPainter>
#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace app {

QImage cubeIcon(int size)
{
    QImage pix(size, size, QImage::Format_ARGB32_Premultiplied);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    // An upright cube seen from above the front corner: top, left and right faces.
    const QPointF top(16, 2), centre(16, 15), left(3, 9), right(29, 9);
    const QPointF bottom(16, 30), lowLeft(3, 23), lowRight(29, 23);
    p.setPen(QPen(QColor(20, 20, 40), 1.2));
    p.setBrush(QColor(250, 200, 60));
    p.drawPolygon(QPolygonF({top, right, centre, left}));
    p.setBrush(QColor(200, 60, 50));
    p.drawPolygon(QPolygonF({left, centre, bottom, lowLeft}));
    p.setBrush(QColor(50, 120, 210));
    p.drawPolygon(QPolygonF({centre, right, lowRight, bottom}));
    return pix;
}

QIcon windowIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(cubeIcon(16)));
    icon.addPixmap(QPixmap::fromImage(cubeIcon(32)));
    return icon;
}

QCursor eyedropperPointer()
{
    QPixmap pix(32, 32);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn along the diagonal from the tip (bottom left) to the bulb (top right).
    p.translate(2, 30);
    p.rotate(-45);
    const QPen outline(Qt::black, 1.4);
    p.setPen(outline);
    p.setBrush(Qt::white);
    QPainterPath tube;
    tube.moveTo(0, 0);
    tube.lineTo(6, -2.5);
    tube.lineTo(24, -2.5);
    tube.lineTo(24, 2.5);
    tube.lineTo(6, 2.5);
    tube.closeSubpath();
    p.drawPath(tube);
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(24, -4.5, 4, 9)); // collar
    p.drawRoundedRect(QRectF(28, -4, 10, 8), 4, 4); // bulb
    return QCursor(pix, 1, 30);
}

} // namespace app
