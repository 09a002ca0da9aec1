// Vexorin: six pictures on a spinning cube that floats over the desktop.
#include "artwork.h"
#include "commandline.h"
#include "displaycheck.h"
#include "form1.h"
#include "hostapp.h"
#include "singleinstance.h"
#include "startup.h"
#include "stylebutton.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    // Read before the window system is reached, so --help and --version work without one.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const app::CommandLine commandLine = app::parseCommandLine(arguments);
    if (commandLine.action != app::CommandLine::Run) {
        std::fprintf(commandLine.exitCode == 0 ? stdout : stderr, "%s\n", qPrintable(commandLine.text.trimmed()));
        return commandLine.exitCode;
    }

    if (const QString missing = host::missingDisplayMessage(arguments.mid(1), qgetenv("QT_QPA_PLATFORM"),
                                                            qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
        !missing.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(missing));
        return 1;
    }
    host::choosePlatform(argc, argv);
    // The work done ahead of need (startup.h); the fonts load while the display is reached.
    app::StartUp startUp;
    host::WindowSystemGuard unreachable;
    QApplication app(argc, argv);
    unreachable.release();
    // Every window carries the program's icon, the cube's too (the task bar shows it).
    QApplication::setWindowIcon(app::windowIcon());
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    // The program ends through "&Exit" (button or tray menu) or by closing the picker; the
    // picker is hidden, not closed, while the cube runs.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second start only brings the running copy's picker to the front.
    app::SingleInstance instance;
    if (instance.start() == app::SingleInstance::Forwarded)
        return 0;
    host::atEnd([&instance] { instance.removeSocket(); });

    startUp.beforePicker();
    Form1 picker;
    instance.setActivationHandler([&picker] { picker.restoreFromTray(); });
    picker.Show();
    startUp.afterShow(picker.widget(), picker.showCube);
    return QApplication::exec();
}
