// bench_startup: how soon the program is seen. Prints `name value unit` lines:
//
// - From process start to the picker window mapped on the display, against a bare Qt
//   widget program (bare_qt_window, linked with Qt Widgets only) mapping a window of the
//   same size; the two take turns in the same run,
//   each in a fresh process, and the fastest of each counts. The ratio is the last line.
// - With "Show Cube at Start up", the time from the cube window's load to its first frame
//   (cold: a fresh process, whose GL driver is not loaded yet), and from process start.
//
// A window counts as seen when the X server reports it mapped, for both programs alike.
#include "appsettings.h"
#include "form1.h"
#include "frmmain.h"
#include "hostapp.h"
#include "settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <X11/Xlib.h>
#include <algorithm>
#include <cstdio>
#include <poll.h>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr int kPickerWidth = 428, kPickerHeight = 529;

void print(const char *name, double value, const char *unit)
{
    std::printf("%s %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

// The start-up road of the program itself with the cube opening at once; reports when the
// cube's first frame is on screen, then closes it.
int startupCube(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    QApplication::setQuitOnLastWindowClosed(false);
    host::setEndHandler([] {});
    if (argc >= 3)
        frmMain::setSideFolder(QString::fromLocal8Bit(argv[2]));
    QElapsedTimer sinceLoad;
    double firstFrame = -1;
    Form1::setCubeFactory([&sinceLoad] {
        sinceLoad.start();
        return std::make_unique<frmMain>();
    });
    frmMain::setFrameObserver([&] {
        if (firstFrame < 0) {
            firstFrame = sinceLoad.nsecsElapsed() / 1e6;
            std::printf("first-frame %.2f\n", firstFrame);
            std::fflush(stdout);
        }
        keyPressed[vk::Escape] = true;
    });
    Form1 picker;
    picker.Show();
    return firstFrame >= 0 ? 0 : 1;
}

// Starts `program` and waits for a top-level window of the picker's size to be mapped;
// milliseconds from the start, or -1.
double timeToWindow(Display *display, const QString &program, const QStringList &arguments)
{
    while (XPending(display)) {
        XEvent stale;
        XNextEvent(display, &stale);
    }
    QProcess child;
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    double seen = -1;
    while (seen < 0 && clock.elapsed() < 10000) {
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 20);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify)
            continue;
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(display, event.xmap.window, &attributes) && attributes.width == kPickerWidth
            && attributes.height == kPickerHeight)
            seen = clock.nsecsElapsed() / 1e6;
    }
    child.kill();
    child.waitForFinished();
    return seen;
}

double fastest(const std::vector<double> &v)
{
    return v.empty() ? -1 : *std::min_element(v.begin(), v.end());
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && QByteArray(argv[1]) == "--startup-cube")
        return startupCube(argc, argv);

    QTemporaryDir work;
    Display *display = XOpenDisplay(nullptr);
    if (!work.isValid() || !display) {
        std::fprintf(stderr, "no display or no temporary folder\n");
        return 1;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    const QString self = QString::fromLocal8Bit(argv[0]);
    const QDir folder(QFileInfo(self).absolutePath());
    const QString program = folder.filePath(QStringLiteral("vexorin"));
    const QString peer = folder.filePath(QStringLiteral("bare_qt_window"));

    // A fresh settings folder: the picker opens with empty slots.
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toUtf8());
    std::vector<double> ours, bare;
    for (int run = 0; run < kRuns; ++run) {
        bare.push_back(timeToWindow(display, peer, {}));
        ours.push_back(timeToWindow(display, program, {}));
    }
    XCloseDisplay(display);

    // The cube at start-up: empty slots, so the sides are the numbered faces.
    const QString sides = work.filePath(QStringLiteral("sides"));
    QDir().mkpath(sides);
    std::vector<double> loadToFrame, startToFrame;
    {
        qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("cube-config")).toUtf8());
        host::SettingsStore::reset();
        app::writeEntry(app::Entry::Startup, QStringLiteral("1"));
        host::SettingsStore::flush();
        for (int run = 0; run < kRuns; ++run) {
            QProcess child;
            QElapsedTimer clock;
            clock.start();
            child.start(self, {QStringLiteral("--startup-cube"), sides});
            double sinceStart = -1;
            while (sinceStart < 0 && child.waitForReadyRead(10000)) {
                const QByteArray line = child.readLine();
                if (line.startsWith("first-frame ")) {
                    sinceStart = clock.nsecsElapsed() / 1e6;
                    loadToFrame.push_back(line.mid(12).trimmed().toDouble());
                    startToFrame.push_back(sinceStart);
                }
            }
            child.waitForFinished();
        }
    }

    print("cube_at_startup_first_frame_cold", fastest(loadToFrame), "ms");
    print("cube_at_startup_from_process_start", fastest(startToFrame), "ms");
    print("picker_on_screen", fastest(ours), "ms");
    print("peer_bare_qt_window_on_screen", fastest(bare), "ms");
    std::printf("startup_ratio_to_peer %.2f x\n", fastest(ours) / fastest(bare));
    return 0;
}
