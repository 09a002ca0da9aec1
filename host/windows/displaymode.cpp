#include "displaymode.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <limits>

namespace host {

namespace {
int g_cursorCount = 0;

std::int16_t clamp16(double value)
{
    if (!(value > 0))
        return 0;
    if (value > std::numeric_limits<std::int16_t>::max())
        return std::numeric_limits<std::int16_t>::max();
    return static_cast<std::int16_t>(std::nearbyint(value));
}
} // namespace

DisplayMode currentDisplayMode()
{
    DisplayMode mode;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return mode;
    const QSize size = screen->geometry().size() * screen->devicePixelRatio();
    mode.width = clamp16(size.width());
    mode.height = clamp16(size.height());
    mode.bitsPerPixel = clamp16(screen->depth());
    mode.refreshRate = clamp16(screen->refreshRate());
    return mode;
}

bool changeDisplayMode(const DisplayMode &mode)
{
    const DisplayMode now = currentDisplayMode();
    if (now.width == 0 || mode.width != now.width || mode.height != now.height)
        return false;
    // A 24-bit screen serves a 32-bit request: the extra byte is padding, not colour.
    const bool depthFits = mode.bitsPerPixel == now.bitsPerPixel
                           || (mode.bitsPerPixel == 32 && now.bitsPerPixel == 24);
    if (!depthFits)
        return false;
    return mode.refreshRate == 0 || mode.refreshRate == now.refreshRate;
}

int ShowCursor(bool show)
{
    const int before = g_cursorCount;
    g_cursorCount += show ? 1 : -1;
    if (before >= 0 && g_cursorCount < 0)
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
    else if (before < 0 && g_cursorCount >= 0)
        QGuiApplication::restoreOverrideCursor();
    return g_cursorCount;
}

} // namespace host
