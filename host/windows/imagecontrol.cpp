#include "imagecontrol.h"

#include "syscolours.h"

#include <QMouseEvent>
#include <QPainter>

namespace host {

void ClickAndPointer::press(const QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
}

bool ClickAndPointer::release(const QWidget *control, const QMouseEvent *event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       control->rect().contains(event->position().toPoint());
    m_pressed = false;
    return click;
}

void ClickAndPointer::setPointer(QWidget *control, int code)
{
    m_pointer = code;
    if (code == vbCustom)
        control->setCursor(m_icon);
    else
        control->unsetCursor();
}

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

void ImageControl::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(contentsRect(), m_picture);
}

void ImageControl::mousePressEvent(QMouseEvent *event)
{
    m_mouse.press(event);
}

void ImageControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_mouse.release(this, event))
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

void PictureBox::redraw()
{
    if (m_image.size() != size())
        m_image = QImage(size(), QImage::Format_RGB32);
    // A system colour shows as the colour it stands for now, as everything that uses it sees it.
    const OleColor shown = TranslateColor(m_backColor);
    m_image.fill(toQColor(shown == kTranslateFailed ? m_backColor : shown));
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
    m_mouse.press(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_mouse.release(this, event))
        emit clicked();
}

} // namespace host
