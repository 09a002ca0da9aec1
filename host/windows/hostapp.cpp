#include "hostapp.h"

#include "hostform.h"
#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QStandardPaths>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace host {

namespace {
EndHandler &endHandler()
{
    static EndHandler handler;
    return handler;
}

std::vector<std::function<void()>> &endSteps()
{
    static std::vector<std::function<void()>> steps;
    return steps;
}

double twipsFor(double dpi)
{
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

bool xDisplayReachable(const QByteArray &display); // below, with Xlib
} // namespace

QByteArray platformChoice(const QStringList &arguments, const QByteArray &qpaPlatform,
                          const QByteArray &waylandDisplay, const QByteArray &sessionType,
                          bool xDisplayReachable, bool waylandPlugin)
{
    if (!qpaPlatform.isEmpty())
        return {};
    for (const QString &argument : arguments) {
        if (argument == QLatin1String("-platform") || argument == QLatin1String("--platform")
            || argument.startsWith(QLatin1String("-platform=")) || argument.startsWith(QLatin1String("--platform=")))
            return {};
    }
    if (!waylandDisplay.isEmpty() && waylandPlugin)
        return xDisplayReachable ? "wayland;xcb" : "wayland";
    const bool waylandSession = !waylandDisplay.isEmpty() || sessionType == "wayland";
    if (!waylandSession || !xDisplayReachable)
        return {};
    return "xcb";
}

bool waylandPluginInstalled()
{
    // Where Qt looks for platform plugins: its own folder and QT_PLUGIN_PATH. The cube
    // needs the OpenGL flavour.
    QStringList folders{QLibraryInfo::path(QLibraryInfo::PluginsPath)};
    folders += QString::fromLocal8Bit(qgetenv("QT_PLUGIN_PATH")).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    for (const QString &folder : folders) {
        if (QFileInfo::exists(folder + QLatin1String("/platforms/libqwayland-egl.so")))
            return true;
    }
    return false;
}

void choosePlatform(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QByteArray qpa = qgetenv("QT_QPA_PLATFORM");
    const QByteArray wayland = qgetenv("WAYLAND_DISPLAY");
    const QByteArray session = qgetenv("XDG_SESSION_TYPE");
    const bool askX = qpa.isEmpty() && (!wayland.isEmpty() || session == "wayland");
    const QByteArray choice = platformChoice(arguments, qpa, wayland, session,
                                             askX && xDisplayReachable(qgetenv("DISPLAY")),
                                             askX && waylandPluginInstalled());
    if (!choice.isEmpty())
        qputenv("QT_QPA_PLATFORM", choice);
}

FolderChoice chooseProgramFolder(const QString &exeFolder, bool exeFolderWritable, const QString &dataHome)
{
    if (exeFolderWritable || dataHome.isEmpty())
        return {exeFolder, true};
    return {QDir(dataHome).filePath(QStringLiteral("Vexorin")), false};
}

bool isOwnFolder(const QString &folder)
{
    struct stat st{};
    return ::stat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)
           && st.st_uid == ::geteuid() && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

namespace {
const FolderChoice &folderChoice()
{
    static const FolderChoice choice = [] {
        const QString exe = QCoreApplication::applicationDirPath();
        // access() rather than the permission bits: it also knows read-only mounts and
        // the user's groups.
        const bool writable = ::access(QFile::encodeName(exe).constData(), W_OK) == 0 && isOwnFolder(exe);
        FolderChoice c = chooseProgramFolder(
            exe, writable, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        // A folder that cannot be made shows up later as the side file's own message.
        if (!c.portable)
            QDir().mkpath(c.programFolder);
        return c;
    }();
    return choice;
}
} // namespace

QString programFolder()
{
    return folderChoice().programFolder;
}

QString browserStartFolder()
{
    if (folderChoice().portable)
        return programFolder();
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!pictures.isEmpty() && QFileInfo(pictures).isDir())
        return pictures;
    return QDir::homePath();
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

void atEnd(std::function<void()> step)
{
    endSteps().push_back(std::move(step));
}

void End()
{
    SettingsStore::flush();
    if (endHandler()) {
        endHandler()();
        return;
    }
    for (const auto &step : endSteps())
        step();
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace host

// Xlib last: its macros would clash with the Qt code above.
#include <X11/Xlib.h>

namespace host {
namespace {
bool xDisplayReachable(const QByteArray &display)
{
    if (display.isEmpty())
        return false;
    Display *connection = XOpenDisplay(display.constData());
    if (!connection)
        return false;
    XCloseDisplay(connection);
    return true;
}
} // namespace
} // namespace host
