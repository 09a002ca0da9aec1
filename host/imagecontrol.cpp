#include "imagecontrol.h"

#include <QMouseEvent>
#include <QPainter>

namespace host {

ImageControl::ImageControl(QWidget *parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMouseTracking(true);
}

void ImageControl::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void ImageControl::setMousePointer(int code)
{
    m_pointer = code;
    if (code == vbCustom)
        setCursor(m_icon);
    else
        unsetCursor();
}

void ImageControl::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(contentsRect(), m_picture);
}

// A click is a press and a release of the left button over the control.
void ImageControl::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

void ImageControl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    emit mouseMoved(at.x(), at.y());
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
}

void PictureBox::setBackColor(OleColor colour)
{
    m_backColor = colour;
    m_picture = QImage();
    redraw();
}

void PictureBox::setPicture(const QImage &picture)
{
    m_picture = picture;
    redraw();
}

qint64 PictureBox::Point(int x, int y) const
{
    if (!m_image.valid(x, y))
        return -1;
    return fromQColor(m_image.pixelColor(x, y));
}

void PictureBox::setMousePointer(int code)
{
    m_pointer = code;
    if (code == vbCustom)
        setCursor(m_icon);
    else
        unsetCursor();
}

void PictureBox::redraw()
{
    if (m_image.size() != size())
        m_image = QImage(size(), QImage::Format_RGB32);
    m_image.fill(toQColor(m_backColor));
    if (!m_picture.isNull()) {
        QPainter p(&m_image);
        p.drawImage(0, 0, m_picture);
    }
    update();
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    redraw();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.drawImage(0, 0, m_image);
}

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit clicked();
}

} // namespace host
