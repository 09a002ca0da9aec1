// A start where no display can be reached ends with one line on standard error and exit
// status 1, rather than with Qt's abort (status 134) and its several lines of advice.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>

namespace host {

// The line to print before the application object is made, when the environment names no
// display at all (neither DISPLAY nor WAYLAND_DISPLAY) and no platform was chosen
// (QT_QPA_PLATFORM, or -platform / --platform among the arguments); empty when there is
// something to try.
QString missingDisplayMessage(const QStringList &arguments, const QByteArray &qpaPlatform, const QByteArray &x11Display,
                              const QByteArray &waylandDisplay);

// The line for a display that was named but could not be reached.
QString unreachableDisplayMessage(const QByteArray &qpaPlatform, const QByteArray &x11Display,
                                  const QByteArray &waylandDisplay);

// Held while the application object is made: should Qt fail to reach the window system
// (it would abort), the program prints unreachableDisplayMessage and ends with status 1.
// What Qt reports meanwhile is held back and passed on by release(), once the
// application object stands; a guard dropped without release() passes it on too.
class WindowSystemGuard
{
public:
    WindowSystemGuard();
    ~WindowSystemGuard();
    WindowSystemGuard(const WindowSystemGuard &) = delete;
    WindowSystemGuard &operator=(const WindowSystemGuard &) = delete;
    void release();

private:
    bool m_active = false;
};

} // namespace host
