// The control's About box: a child of the control, hidden while the control works as a
// button, that About turns into a captioned top-level window. It paints a title, the
// version, a credit line, a link line and a Close button; any press shows the button
// pressed and the click that follows hides the box.
#pragma once

#include "surface.h"

#include <QString>
#include <QWidget>

class AboutBox : public QWidget
{
    Q_OBJECT

public:
    // Window style bits, as the window system numbers them.
    enum StyleBits : quint32 {
        WS_CHILD = 0x40000000, WS_CLIPSIBLINGS = 0x04000000, WS_CAPTION = 0x00C00000,
        WS_THICKFRAME = 0x00040000, WS_MINIMIZEBOX = 0x00020000,
    };
    // The caption, sizing border and minimise box About adds.
    static constexpr quint32 kAboutStyleBits = WS_CAPTION | WS_THICKFRAME | WS_MINIMIZEBOX;
    static constexpr int kWidth = 380;
    static constexpr int kHeight = 170;
    // The Close button (right and bottom excluded).
    static constexpr int kCloseLeft = 290, kCloseTop = 80, kCloseRight = 360, kCloseBottom = 106;

    AboutBox(QWidget *control, const QString &version);

    // The window style in force; a child picture box until About sets another.
    quint32 windowStyle() const { return m_style; }
    // Takes the style and turns the box into a top-level window that stays on top, framed
    // as the style says, without moving or resizing it.
    void showAsTopLevel(quint32 style, const QString &caption);

    bool closePressed() const { return m_pressed; }
    const host::Surface &surface() const { return m_surface; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void m_About_Paint();
    void drawCloseButton(bool pressed);

    QString m_version;
    quint32 m_style = WS_CHILD | WS_CLIPSIBLINGS;
    bool m_pressed = false;
    bool m_placed = false;
    host::Surface m_surface;
};
