#include "hostapp.h"

#include "hostform.h"
#include "settingsstore.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>
#include <cstdlib>

namespace host {

namespace {
EndHandler &endHandler()
{
    static EndHandler handler;
    return handler;
}

double twipsFor(double dpi)
{
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}
} // namespace

QString programFolder()
{
    return QCoreApplication::applicationDirPath();
}

double twipsPerPixelX()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return twipsFor(screen ? screen->logicalDotsPerInchX() : 96.0);
}

double twipsPerPixelY()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return twipsFor(screen ? screen->logicalDotsPerInchY() : 96.0);
}

int DoEvents()
{
    // Deferred deletes are left to Qt: it runs them once the handler that asked for them
    // has returned. Forcing them here would delete a window whose own handler is still on
    // the stack below a nested render loop.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return HostForm::openForms();
}

EndHandler setEndHandler(EndHandler handler)
{
    EndHandler previous = std::move(endHandler());
    endHandler() = std::move(handler);
    return previous;
}

void End()
{
    SettingsStore::flush();
    if (endHandler()) {
        endHandler()();
        return;
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

int roundEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

} // namespace host
