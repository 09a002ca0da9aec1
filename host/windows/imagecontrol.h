// Image control and picture box, the two ways a window shows a picture.
// ImageControl stretches its picture over its whole area (inside a single-line border) and
// reports clicks, pointer moves and files dropped on it. PictureBox keeps an image of its own
// size: a back colour, a picture drawn at natural size from its corner, one pixel's colour
// read back. Either takes the focus when its focus policy lets it; then it shows a focus
// frame, and Space or Enter clicks it; other keys are offered to the window through
// keyPressed. Screen readers see either as a button with a press action (accessibility.h).
#pragma once

#include "colour.h"

#include <QCursor>
#include <QFrame>
#include <QImage>
#include <optional>

class QKeyEvent;
class QMouseEvent;

namespace host {

// Mouse pointer codes: the default arrow, or the control's own shape.
enum MousePointer : int { vbDefault = 0, vbCustom = 99 };

// What both controls share: a click is a left press and release over the control, and the
// pointer is the default arrow or the control's own shape.
class ClickAndPointer
{
public:
    void press(const QMouseEvent *event);
    // True when this release completes a click on `control`.
    bool release(const QWidget *control, const QMouseEvent *event);
    void setPointer(QWidget *control, int code);
    int pointer() const { return m_pointer; }
    void setIcon(const QCursor &cursor) { m_icon = cursor; }
    // True when `event` clicks a focused control: Space, Enter or Return without modifiers.
    static bool keyClick(const QKeyEvent *event);
    // Draws the focus frame inside `area` when `control` has the focus.
    static void paintFocus(QWidget *control, const QRect &area);

private:
    QCursor m_icon;
    int m_pointer = vbDefault;
    bool m_pressed = false;
};

class ImageControl : public QFrame
{
    Q_OBJECT
public:
    explicit ImageControl(QWidget *parent = nullptr);

    void setPicture(const QImage &picture);
    const QImage &picture() const { return m_picture; }

    // Pointer code 99 shows `MouseIcon`, 0 the default arrow.
    void setMousePointer(int code) { m_mouse.setPointer(this, code); }
    int mousePointer() const { return m_mouse.pointer(); }
    void setMouseIcon(const QCursor &cursor) { m_mouse.setIcon(cursor); }

    // One of a set of controls of which one is chosen: screen readers see a radio button,
    // checked while it is the chosen one.
    void setCheckable(bool checkable) { m_checkable = checkable; }
    bool isCheckable() const { return m_checkable; }
    void setChecked(bool checked);
    bool isChecked() const { return m_checked; }

    // A small crosshair over the picture at `at` (control coordinates, as mouseMoved gives
    // them); none without a point.
    void setMarker(std::optional<QPoint> at);
    std::optional<QPoint> marker() const { return m_marker; }

    // Clicks the control as the pointer or the keyboard does.
    void click() { emit clicked(); }

signals:
    void clicked();
    void mouseMoved(int x, int y);
    // A key the control does not use itself, while it has the focus; a receiver that uses
    // it accepts the event, else it goes on to the window.
    void keyPressed(QKeyEvent *event);
    // A local file dropped on the control (the first, when several are); only with
    // setAcceptDrops(true).
    void fileDropped(const QString &path);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QRect markerArea(QPoint at) const;

    QImage m_picture;
    ClickAndPointer m_mouse;
    std::optional<QPoint> m_marker;
    bool m_checkable = false;
    bool m_checked = false;
};

class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    // Setting the back colour erases what the box keeps.
    void setBackColor(OleColor colour);
    OleColor backColor() const { return m_backColor; }
    // Erases to the back colour and draws `picture` at natural size from the top-left corner.
    void setPicture(const QImage &picture);
    // The colour of pixel (x, y) of what the box keeps, -1 when the point is outside it.
    qint64 Point(int x, int y) const;
    const QImage &image() const { return m_image; }

    void setMousePointer(int code) { m_mouse.setPointer(this, code); }
    int mousePointer() const { return m_mouse.pointer(); }
    void setMouseIcon(const QCursor &cursor) { m_mouse.setIcon(cursor); }

    void click() { emit clicked(); }

signals:
    void clicked();
    // Each change of the back colour.
    void backColorChanged(host::OleColor colour);
    // As ImageControl::keyPressed.
    void keyPressed(QKeyEvent *event);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void redraw();

    QImage m_image;
    QImage m_picture;
    OleColor m_backColor = 0xFFFFFF;
    ClickAndPointer m_mouse;
};

} // namespace host
