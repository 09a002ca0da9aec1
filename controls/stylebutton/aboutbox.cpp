#include "aboutbox.h"

#include "drawing.h"
#include "syscolours.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

using namespace host;

namespace {

constexpr unsigned kLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;

QFont sized(QFont font, double points, bool bold = false, bool underline = false)
{
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setUnderline(underline);
    return font;
}

} // namespace

AboutBox::AboutBox(QWidget *control, const QString &version) : QWidget(control), m_version(version)
{
    setFixedSize(kWidth, kHeight);
    hide();
}

void AboutBox::showAsTopLevel(quint32 style, const QString &caption)
{
    m_style = style;
    Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint | Qt::WindowStaysOnTopHint;
    if ((style & WS_CAPTION) == WS_CAPTION)
        flags |= Qt::WindowTitleHint;
    if (style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    // A top-level window has no parent; the control still owns the box and deletes it.
    if (parentWidget() || windowFlags() != flags)
        setParent(nullptr, flags);
    setWindowTitle(caption);
    if (!m_placed) {
        // First time on the desktop: the middle of the screen.
        m_placed = true;
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - QPoint(kWidth / 2, kHeight / 2));
    }
    m_pressed = false;
    m_About_Paint();
    show();
    raise();
}

void AboutBox::m_About_Paint()
{
    m_surface.resize(kWidth, kHeight);
    m_surface.setBackColor(GetSysColor(COLOR_BTNFACE));
    const OleColor savedColour = m_surface.foreColor();
    m_surface.setForeColor(GetSysColor(COLOR_BTNTEXT));

    m_surface.setFont(sized(font(), 18));
    DrawText(m_surface, QStringLiteral("StyleButton"), 20, 10, 220, 40, kLine);
    m_surface.setFont(sized(font(), 10));
    DrawText(m_surface, QStringLiteral("Version ") + m_version, 160, 70, 285, 90, kLine);
    m_surface.setFont(sized(font(), 10, true));
    DrawText(m_surface, QStringLiteral("An owner-drawn button in eleven looks."), 20, 110, 360, 130,
             kLine);
    m_surface.setFont(sized(font(), 10));
    DrawText(m_surface, QStringLiteral("Home: the Vexorin program folder"), 20, 140, 360, 160, kLine);

    m_surface.setForeColor(savedColour);
    drawCloseButton(m_pressed);
}

void AboutBox::drawCloseButton(bool pressed)
{
    QImage &dc = m_surface.image();
    const OleColor face = GetSysColor(COLOR_BTNFACE);
    const OleColor light = ShiftColor(face, 15);
    const OleColor dark = ShiftColor(face, -15);
    const int l = kCloseLeft, t = kCloseTop, r = kCloseRight - 1, b = kCloseBottom - 1;

    // face gradient, reversed while pressed
    GradientRowsOn(dc, pressed ? dark : light, pressed ? light : dark, l, t, r + 1, b - t);
    // shadow frame with its corners cut by two pixels
    const OleColor shadow = GetSysColor(COLOR_BTNSHADOW);
    DrawLineOn(dc, l + 2, t, r - 1, t, shadow);
    DrawLineOn(dc, l + 2, b, r - 1, b, shadow);
    DrawLineOn(dc, l, t + 2, l, b - 1, shadow);
    DrawLineOn(dc, r, t + 2, r, b - 1, shadow);
    SetPixel(dc, l + 1, t + 1, shadow);
    SetPixel(dc, r - 1, t + 1, shadow);
    SetPixel(dc, l + 1, b - 1, shadow);
    SetPixel(dc, r - 1, b - 1, shadow);
    // cut corners back in the face colour
    for (const QPoint corner : {QPoint(l, t), QPoint(r, t), QPoint(l, b), QPoint(r, b)}) {
        const int dx = corner.x() == l ? 1 : -1;
        const int dy = corner.y() == t ? 1 : -1;
        SetPixel(dc, corner.x(), corner.y(), face);
        SetPixel(dc, corner.x() + dx, corner.y(), face);
        SetPixel(dc, corner.x(), corner.y() + dy, face);
    }

    const OleColor savedColour = m_surface.foreColor();
    m_surface.setForeColor(RGB(0, 0, 255));
    m_surface.setFont(sized(font(), 8, false, true));
    DrawText(m_surface, QStringLiteral("Close"), kCloseLeft, kCloseTop, kCloseRight, kCloseBottom,
             kLine | DT_CENTER);
    m_surface.setForeColor(savedColour);
    m_pressed = pressed;
    update();
}

void AboutBox::paintEvent(QPaintEvent *)
{
    // Painted afresh for a new device pixel ratio (the first paint, another screen), so its
    // text is drawn at the device's resolution.
    if (m_surface.image().isNull() || m_surface.deviceScale() != devicePixelRatioF()) {
        m_surface.setDeviceScale(devicePixelRatioF());
        m_About_Paint();
    }
    QPainter painter(this);
    ShowSurface(painter, m_surface);
}

void AboutBox::mousePressEvent(QMouseEvent *event)
{
    // The whole box again, not just the button: above 1x its caption is kept beside the
    // pixels, and drawing it once more would pile up copies.
    m_pressed = true;
    m_About_Paint();
    event->accept();
}

void AboutBox::mouseReleaseEvent(QMouseEvent *event)
{
    // The click: a release over the box ends in it hidden.
    if (rect().contains(event->position().toPoint())) {
        m_pressed = false;
        m_About_Paint();
        hide();
    }
    event->accept();
}
