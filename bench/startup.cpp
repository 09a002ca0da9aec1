// bench_startup: how soon the program is seen, how much memory it holds while it waits in
// the tray, and how soon the cube follows "Show Cube". Prints `name value unit` lines:
//
// - From process start to the picker's first paint on the display, against
//   peer_widget_tree: a plain Qt Widgets program with the picker's widget tree, its lists
//   filled from the same folder. A window counts as painted when the X server reports the
//   first drawing into it (X Damage), for both programs alike; the time it is mapped is
//   printed too. The two take turns, each in a fresh process; fastest and median.
// - Private dirty memory and proportional set size of each, 4 s after its first paint
//   (median of the runs): the picker alone, before anything brings the cube near.
// - After "Show Cube" is clicked in a fresh picker: the time from the click to the cube's
//   first frame, the pointer having entered the button `lead` ms before the click (0: no
//   warning at all; 200: a quick hand; 3000: the driver long loaded, the floor). Medians.
// - With "Show Cube at Start up", the time from the cube window's load to its first frame
//   (cold: a fresh process, whose GL driver is not loaded yet), and from process start.
// The start-up ratio to the peer is the last line.
#include "appsettings.h"
#include "form1.h"
#include "frmmain.h"
#include "hostapp.h"
#include "settingsstore.h"
#include "startup.h"
#include "stylebutton.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>
#include <algorithm>
#include <cstdio>
#include <poll.h>
#include <set>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr int kMemoryRuns = 3;
constexpr int kIdleMs = 4000;
constexpr int kPickerWidth = 428, kPickerHeight = 529;

void print(const char *name, double value, const char *unit)
{
    std::printf("%s %.1f %s\n", name, value, unit);
    std::fflush(stdout);
}

double fastest(std::vector<double> v)
{
    v.erase(std::remove(v.begin(), v.end(), -1.0), v.end());
    return v.empty() ? -1 : *std::min_element(v.begin(), v.end());
}

double median(std::vector<double> v)
{
    v.erase(std::remove(v.begin(), v.end(), -1.0), v.end());
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Reports the cube's first frame on standard output, then closes the cube as Escape does.
void reportFirstFrame(const QElapsedTimer &clock)
{
    static bool reported = false;
    if (!reported) {
        reported = true;
        std::printf("first-frame %.2f\n", clock.nsecsElapsed() / 1e6);
        std::fflush(stdout);
    }
    keyPressed[vk::Escape] = true;
}

void setUpChild(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("Vexorin"));
    QApplication::setOrganizationName(QStringLiteral("Vexorin"));
    QApplication::setQuitOnLastWindowClosed(false);
    host::setEndHandler([] {});
    if (argc >= 3)
        frmMain::setSideFolder(QString::fromLocal8Bit(argv[2]));
}

// The start-up road of the program itself with the cube opening at once; reports when the
// cube's first frame is on screen, timed from the cube window's load.
int startupCube(int argc, char *argv[])
{
    app::StartUp startUp;
    QApplication app(argc, argv);
    setUpChild(argc, argv);
    startUp.beforePicker();
    QElapsedTimer sinceLoad;
    Form1::setCubeFactory([&sinceLoad] {
        sinceLoad.start();
        return std::make_unique<frmMain>();
    });
    frmMain::setFrameObserver([&] { reportFirstFrame(sinceLoad); });
    Form1 picker;
    picker.Show();
    return 0;
}

// A fresh picker started as the program starts it; a second after its first paint the
// pointer enters "Show Cube", and `lead` ms later the button is clicked. Reports the time
// from the click to the cube's first frame.
int showCubeAfterClick(int argc, char *argv[])
{
    app::StartUp startUp;
    QApplication app(argc, argv);
    setUpChild(argc, argv);
    const int lead = argc >= 4 ? QByteArray(argv[3]).toInt() : 0;
    startUp.beforePicker();
    QElapsedTimer sinceClick;
    frmMain::setFrameObserver([&] { reportFirstFrame(sinceClick); });
    Form1 picker;
    picker.Show();
    startUp.afterShow(picker.widget(), picker.showCube);
    QWidget *button = picker.showCube;
    const QPointF centre = QRectF(button->rect()).center();
    const auto click = [&] {
        QMouseEvent press(QEvent::MouseButtonPress, centre, button->mapToGlobal(centre), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(button, &press);
        sinceClick.start();
        QApplication::sendEvent(button, &release); // runs the cube until its first frame
        QCoreApplication::exit(0); // not quit(): that asks the windows first
    };
    QTimer::singleShot(1000, button, [&] {
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(button, &enter);
        QTimer::singleShot(lead, button, click);
    });
    return QApplication::exec();
}

// Times in milliseconds from a child's start to its picker-sized window mapped and first
// painted; -1 where it was not seen within 10 s.
struct Seen
{
    double mapped = -1;
    double painted = -1;
};

int ignoreErrors(Display *, XErrorEvent *)
{
    return 0; // a window gone before it could be watched
}

class Watcher
{
public:
    explicit Watcher(Display *display) : m_display(display)
    {
        int error = 0;
        m_damage = XDamageQueryExtension(display, &m_damageEvent, &error);
        XSetErrorHandler(ignoreErrors);
        XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    }
    bool valid() const { return m_damage; }

    // Starts `child` and follows its top-level windows until one of the picker's size has
    // been painted; the child keeps running.
    Seen start(QProcess &child, const QString &program, const QStringList &arguments)
    {
        XSync(m_display, False);
        while (XPending(m_display)) {
            XEvent stale;
            XNextEvent(m_display, &stale);
        }
        std::set<Window> pickerSized;
        Seen seen;
        QElapsedTimer clock;
        clock.start();
        child.start(program, arguments);
        while (seen.painted < 0 && clock.elapsed() < 10000) {
            if (!XPending(m_display)) {
                pollfd fd{ConnectionNumber(m_display), POLLIN, 0};
                poll(&fd, 1, 20);
                continue;
            }
            XEvent event;
            XNextEvent(m_display, &event);
            const double now = clock.nsecsElapsed() / 1e6;
            if (event.type == CreateNotify) {
                XDamageCreate(m_display, event.xcreatewindow.window, XDamageReportNonEmpty);
                if (event.xcreatewindow.width == kPickerWidth && event.xcreatewindow.height == kPickerHeight)
                    pickerSized.insert(event.xcreatewindow.window);
            } else if (event.type == ConfigureNotify) {
                if (event.xconfigure.width == kPickerWidth && event.xconfigure.height == kPickerHeight)
                    pickerSized.insert(event.xconfigure.window);
            } else if (event.type == MapNotify) {
                if (pickerSized.count(event.xmap.window) && seen.mapped < 0)
                    seen.mapped = now;
            } else if (event.type == m_damageEvent + XDamageNotify) {
                const auto &damage = reinterpret_cast<const XDamageNotifyEvent &>(event);
                if (pickerSized.count(damage.drawable) && seen.mapped >= 0)
                    seen.painted = now;
            }
        }
        return seen;
    }

private:
    Display *m_display;
    bool m_damage = false;
    int m_damageEvent = 0;
};

// Private dirty memory and proportional set size of a running process, in megabytes.
struct Memory
{
    double privateDirty = -1;
    double proportional = -1;
};

Memory memoryOf(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    Memory memory;
    if (!rollup.open(QIODevice::ReadOnly))
        return memory;
    for (const QByteArray &line : rollup.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        if (fields[0] == "Private_Dirty:")
            memory.privateDirty = fields[1].toDouble() / 1024.0;
        else if (fields[0] == "Pss:")
            memory.proportional = fields[1].toDouble() / 1024.0;
    }
    return memory;
}

void stop(QProcess &child)
{
    child.kill();
    child.waitForFinished();
}

// Runs `self` in the given child mode `runs` times; the first-frame figures it reports,
// and the times from its start to them.
void childFigures(const QString &self, const QStringList &arguments, int runs, std::vector<double> &reported,
                  std::vector<double> *sinceStart = nullptr)
{
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        QElapsedTimer clock;
        clock.start();
        child.start(self, arguments);
        bool seen = false;
        while (!seen && child.waitForReadyRead(15000)) {
            while (child.canReadLine()) {
                const QByteArray line = child.readLine();
                if (line.startsWith("first-frame ")) {
                    seen = true;
                    reported.push_back(line.mid(12).trimmed().toDouble());
                    if (sinceStart)
                        sinceStart->push_back(clock.nsecsElapsed() / 1e6);
                }
            }
        }
        if (!child.waitForFinished(5000))
            stop(child);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && QByteArray(argv[1]) == "--startup-cube")
        return startupCube(argc, argv);
    if (argc >= 2 && QByteArray(argv[1]) == "--show-cube")
        return showCubeAfterClick(argc, argv);

    QTemporaryDir work;
    Display *display = XOpenDisplay(nullptr);
    if (!work.isValid() || !display) {
        std::fprintf(stderr, "no display or no temporary folder\n");
        return 1;
    }
    Watcher watcher(display);
    if (!watcher.valid()) {
        std::fprintf(stderr, "the display has no Damage extension\n");
        return 1;
    }
    const QString self = QString::fromLocal8Bit(argv[0]);
    const QDir folder(QFileInfo(self).absolutePath());
    const QString program = folder.filePath(QStringLiteral("vexorin"));
    const QString peer = folder.filePath(QStringLiteral("peer_widget_tree"));
    // The picker's browser opens on the program's folder (the build folder, where the
    // program runs portable); the peer lists the same one.
    const QStringList peerArguments{folder.absolutePath()};
    // Freshly built programs' pages are still dirty in the page cache and would count as
    // the process's own until written back.
    sync();

    // A fresh settings folder: the picker opens with empty slots. A runtime folder of its
    // own: a copy of the program running elsewhere for this user would take the start.
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("config")).toUtf8());
    const QString runtime = work.filePath(QStringLiteral("runtime"));
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
    std::vector<double> oursMapped, oursPainted, peerMapped, peerPainted;
    for (int run = 0; run < kRuns; ++run) {
        for (const bool ours : {false, true}) {
            QProcess child;
            const Seen seen = watcher.start(child, ours ? program : peer, ours ? QStringList() : peerArguments);
            stop(child);
            (ours ? oursMapped : peerMapped).push_back(seen.mapped);
            (ours ? oursPainted : peerPainted).push_back(seen.painted);
        }
    }
    std::vector<double> oursDirty, oursPss, peerDirty, peerPss;
    for (int run = 0; run < kMemoryRuns; ++run) {
        for (const bool ours : {false, true}) {
            QProcess child;
            watcher.start(child, ours ? program : peer, ours ? QStringList() : peerArguments);
            QThread::msleep(kIdleMs);
            const Memory memory = memoryOf(child.processId());
            stop(child);
            (ours ? oursDirty : peerDirty).push_back(memory.privateDirty);
            (ours ? oursPss : peerPss).push_back(memory.proportional);
        }
    }
    XCloseDisplay(display);

    // The cube after "Show Cube", and at start-up: empty slots, so the sides are the
    // numbered faces.
    const QString sides = work.filePath(QStringLiteral("sides"));
    QDir().mkpath(sides);
    std::vector<double> coldClick, warnedClick, loadedClick;
    childFigures(self, {QStringLiteral("--show-cube"), sides, QStringLiteral("0")}, kRuns, coldClick);
    childFigures(self, {QStringLiteral("--show-cube"), sides, QStringLiteral("200")}, kRuns, warnedClick);
    childFigures(self, {QStringLiteral("--show-cube"), sides, QStringLiteral("3000")}, kRuns, loadedClick);
    std::vector<double> loadToFrame, startToFrame;
    qputenv("XDG_CONFIG_HOME", work.filePath(QStringLiteral("cube-config")).toUtf8());
    host::SettingsStore::reset();
    app::writeEntry(app::Entry::Startup, QStringLiteral("1"));
    host::SettingsStore::flush();
    childFigures(self, {QStringLiteral("--startup-cube"), sides}, kRuns, loadToFrame, &startToFrame);

    print("show_cube_click_to_first_frame_pointer_200ms_before", median(warnedClick), "ms");
    print("show_cube_click_to_first_frame_no_warning", median(coldClick), "ms");
    print("show_cube_click_to_first_frame_driver_loaded", median(loadedClick), "ms");
    print("cube_at_startup_first_frame_cold", fastest(loadToFrame), "ms");
    print("cube_at_startup_from_process_start", fastest(startToFrame), "ms");
    print("idle_private_dirty", median(oursDirty), "MB");
    print("peer_idle_private_dirty", median(peerDirty), "MB");
    print("idle_proportional_set", median(oursPss), "MB");
    print("peer_idle_proportional_set", median(peerPss), "MB");
    std::printf("idle_private_dirty_ratio_to_peer %.2f x\n", median(oursDirty) / median(peerDirty));
    print("picker_mapped", fastest(oursMapped), "ms");
    print("peer_mapped", fastest(peerMapped), "ms");
    print("picker_first_paint_median", median(oursPainted), "ms");
    print("peer_first_paint_median", median(peerPainted), "ms");
    print("picker_first_paint", fastest(oursPainted), "ms");
    print("peer_first_paint", fastest(peerPainted), "ms");
    std::printf("startup_ratio_to_peer %.2f x\n", fastest(oursPainted) / fastest(peerPainted));
    return 0;
}
