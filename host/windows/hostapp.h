// Process-wide host services: the program folder, screen twips, the event pump and End.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

namespace host {

// Where the program keeps its files (the side files the cube reads). It is the folder that
// holds the executable when the program may write there and no one else may (a build
// tree, a portable copy); for an installed copy, or one in a folder others may write (a
// shared or sticky temporary folder, where they could plant links in the side files'
// place), the user's own data folder ($XDG_DATA_HOME/Vexorin), made on first use.
QString programFolder();

// Whether `folder` is the user's own: owned by this user, and neither its group nor others
// may write in it.
bool isOwnFolder(const QString &folder);

// Where the file browser starts: the program folder when it is the executable's folder,
// else the user's Pictures folder, else the home folder.
QString browserStartFolder();

// The choice behind both, given the executable's folder, whether the program may write
// there with no one else able to (see isOwnFolder), and the user's data folder.
struct FolderChoice
{
    QString programFolder;
    bool portable = false; // the program folder is the executable's folder
};
FolderChoice chooseProgramFolder(const QString &exeFolder, bool exeFolderWritable, const QString &dataHome);

// Twips per screen pixel (1440 / logical DPI): 15 on a 96-dot-per-inch screen.
double twipsPerPixelX();
double twipsPerPixelY();

// Runs every pending event and returns the number of loaded window objects. Windows
// unloaded meanwhile are deleted only once the handler that unloaded them has returned.
int DoEvents();

// Stops the program at once: flushes the settings store and leaves the process; no handler
// runs after it. Tests replace the exit with a handler of their own, in which case End
// returns, so callers return straight after calling it.
void End();
using EndHandler = std::function<void()>;
EndHandler setEndHandler(EndHandler handler);
// Adds a step End takes just before the process leaves (after the settings are flushed),
// such as removing a file that marks the program as running. Not taken when a handler
// replaces the exit.
void atEnd(std::function<void()> step);

// The platform to run on, asked for before the application object is made; empty leaves
// the choice to Qt. Unless the user chose a platform (QT_QPA_PLATFORM, or -platform /
// --platform among the arguments): with a Wayland socket and Qt's Wayland plugin the
// program runs as a Wayland client (X11 after it, should the socket refuse), where the
// compositor blends the cube's edges and draws no shadow around it, as Xwayland's window
// managers may; in a Wayland session without the plugin, on a reachable X display.
QByteArray platformChoice(const QStringList &arguments, const QByteArray &qpaPlatform,
                          const QByteArray &waylandDisplay, const QByteArray &sessionType,
                          bool xDisplayReachable, bool waylandPlugin);
// Whether Qt's Wayland platform plugin (with OpenGL) is installed.
bool waylandPluginInstalled();
// Applies platformChoice to this process from its environment and arguments.
void choosePlatform(int argc, char **argv);

} // namespace host
