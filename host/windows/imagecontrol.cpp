#include "imagecontrol.h"

#include "accessibility.h"
#include "syscolours.h"

#include <QAccessible>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

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

bool ClickAndPointer::keyClick(const QKeyEvent *event)
{
    const int key = event->key();
    return (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
           (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

void ClickAndPointer::paintFocus(QWidget *control, const QRect &area)
{
    if (!control->hasFocus())
        return;
    // A band of the highlight colour with a dotted line inside it: seen on any picture,
    // also on a swatch of the highlight colour itself.
    QPainter p(control);
    p.setPen(QPen(control->palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(area).adjusted(1, 1, -1, -1));
    p.setPen(QPen(control->palette().color(QPalette::WindowText), 1, Qt::DotLine));
    p.drawRect(area.adjusted(2, 2, -3, -3));
}

namespace {
// The first local file among the dragged URLs, empty when there is none.
QString firstLocalFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return QString();
    for (const QUrl &url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return QString();
}
} // namespace

namespace {
constexpr int kMarkerArm = 7; // from the point to the end of each arm
constexpr int kMarkerGap = 2; // from the point to the start of each arm

// Offers a key the control does not use to the window's handler; on to the parent unless
// the handler accepted it.
template <typename Control>
bool offerKey(Control *control, QKeyEvent *event)
{
    event->ignore();
    emit control->keyPressed(event);
    return event->isAccepted();
}
} // namespace

ImageControl::ImageControl(QWidget *parent) : QFrame(parent)
{
    installAccessibleInterfaces();
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setMouseTracking(true);
}

void ImageControl::setPicture(const QImage &picture)
{
    m_picture = picture;
    update();
}

void ImageControl::setChecked(bool checked)
{
    if (checked == m_checked)
        return;
    m_checked = checked;
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ImageControl::setMarker(std::optional<QPoint> at)
{
    if (at == m_marker)
        return;
    if (m_marker)
        update(markerArea(*m_marker));
    m_marker = at;
    if (m_marker)
        update(markerArea(*m_marker));
}

QRect ImageControl::markerArea(QPoint at) const
{
    // The arms and their outline, with a pixel to spare.
    const int reach = kMarkerArm + 2;
    return QRect(at.x() - reach, at.y() - reach, 2 * reach + 1, 2 * reach + 1);
}

void ImageControl::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter p(this);
    if (!m_picture.isNull()) {
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.drawImage(contentsRect(), m_picture);
    }
    if (m_marker) {
        // Four arms around the point, dark on a light outline so they show on any picture;
        // the point itself stays uncovered.
        const QPoint c = *m_marker;
        const QLine arms[] = {
            QLine(c.x() - kMarkerArm, c.y(), c.x() - kMarkerGap, c.y()),
            QLine(c.x() + kMarkerGap, c.y(), c.x() + kMarkerArm, c.y()),
            QLine(c.x(), c.y() - kMarkerArm, c.x(), c.y() - kMarkerGap),
            QLine(c.x(), c.y() + kMarkerGap, c.x(), c.y() + kMarkerArm),
        };
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::SquareCap));
        p.drawLines(arms, 4);
        p.setPen(QPen(Qt::black, 1, Qt::SolidLine, Qt::SquareCap));
        p.drawLines(arms, 4);
    }
    p.end();
    ClickAndPointer::paintFocus(this, contentsRect());
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

void ImageControl::keyPressEvent(QKeyEvent *event)
{
    if (ClickAndPointer::keyClick(event))
        emit clicked();
    else if (!offerKey(this, event))
        QFrame::keyPressEvent(event);
}

void ImageControl::focusInEvent(QFocusEvent *event)
{
    QFrame::focusInEvent(event);
    update();
}

void ImageControl::focusOutEvent(QFocusEvent *event)
{
    QFrame::focusOutEvent(event);
    update();
}

void ImageControl::dragEnterEvent(QDragEnterEvent *event)
{
    if (!firstLocalFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void ImageControl::dropEvent(QDropEvent *event)
{
    const QString path = firstLocalFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    emit fileDropped(path);
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    installAccessibleInterfaces();
}

void PictureBox::setBackColor(OleColor colour)
{
    const bool changed = colour != m_backColor;
    m_backColor = colour;
    m_picture = QImage();
    redraw();
    if (changed)
        emit backColorChanged(colour);
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
    {
        QPainter p(this);
        p.drawImage(0, 0, m_image);
    }
    ClickAndPointer::paintFocus(this, rect());
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

void PictureBox::keyPressEvent(QKeyEvent *event)
{
    if (ClickAndPointer::keyClick(event))
        emit clicked();
    else if (!offerKey(this, event))
        QWidget::keyPressEvent(event);
}

void PictureBox::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void PictureBox::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

} // namespace host
