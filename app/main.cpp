// Vexorin: six pictures on a spinning cube that floats over the desktop.
#include "commandline.h"
#include "fontwarmup.h"
#include "form1.h"
#include "glform.h"
#include "hostapp.h"
#include "singleinstance.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace {

// Runs `then` from the event loop once `window` has been painted for the first time (at
// once when there is no window to wait for).
class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then) : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: the paint is on screen only once it has been flushed, after this event.
            QTimer::singleShot(0, [then = std::move(m_then)] { then(); });
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

void afterFirstPaint(QWidget *window, std::function<void()> then)
{
    if (window)
        new AfterFirstPaint(window, std::move(then)); // owned by the window
    else
        QTimer::singleShot(0, std::move(then));
}

} // namespace

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

    host::choosePlatform(argc, argv);
    // Loads while the application connects to the display; waited for before any text.
    app::FontWarmUp fonts;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    // The program ends through "&Exit" (button or tray menu) or by closing the picker; the
    // picker is hidden, not closed, while the cube runs.
    QApplication::setQuitOnLastWindowClosed(false);

    // A second start only brings the running copy's picker to the front.
    app::SingleInstance instance;
    if (instance.start() == app::SingleInstance::Forwarded)
        return 0;

    fonts.wait();
    Form1 picker;
    instance.setActivationHandler([&picker] { picker.restoreFromTray(); });
    picker.Show();
    // Load the GL driver while the user looks at the picker, so the first "Show Cube"
    // does not wait for it; not before the picker is painted, which would keep its window
    // blank for as long as the driver takes to load.
    afterFirstPaint(picker.widget(), [] { host::GlForm::preloadDriver(); });
    return QApplication::exec();
}
