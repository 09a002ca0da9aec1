#include "startup.h"

#include "appsettings.h"
#include "firstpaint.h"
#include "form1.h"
#include "glform.h"
#include "picture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QOpenGLContext>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <fontconfig/fontconfig.h>
#include <mutex>
#include <system_error>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace app {

namespace {

std::array<std::atomic<bool>, kWarmUps.size()> g_ran{};

void ran(WarmUp warmUp)
{
    g_ran[size_t(warmUp)] = true;
}

// The GL driver's loading thread: program-wide, as the driver it loads.
struct DriverLoad
{
    std::mutex mutex;
    bool started = false;
    std::thread thread;

    void join()
    {
        std::lock_guard lock(mutex);
        if (thread.joinable())
            thread.join();
    }
};

DriverLoad &driverLoad()
{
    static DriverLoad load;
    return load;
}

// Starts the driver's loading when the pointer enters the button or the focus reaches it:
// a click follows some hundreds of milliseconds later, time enough for the driver.
class DriverTrigger : public QObject
{
public:
    explicit DriverTrigger(QWidget *button) : QObject(button) { button->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Enter || event->type() == QEvent::FocusIn) {
            watched->removeEventFilter(this);
            StartUp::loadGlDriver();
            deleteLater();
        }
        return false;
    }
};

// Hands the heap pages freed since start (decoded pictures, the design's property sets,
// the helper threads' arenas) back to the system: otherwise they stay counted as the
// process's own memory all day.
void giveBackMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

// Both steps of the fonts' warm-up have run once the database is filled after the
// configuration was read.
std::atomic<bool> g_fontConfigRead{false};

void fillFontDatabase()
{
    (void)QFontMetrics(Form1::windowFont()).height();
    (void)QFontMetrics(Form1::digitFont()).height();
    if (g_fontConfigRead)
        ran(WarmUp::Fonts);
}

} // namespace

bool hasRun(WarmUp warmUp)
{
    return g_ran[size_t(warmUp)];
}

void resetWarmUps()
{
    DriverLoad &load = driverLoad();
    load.join();
    {
        std::lock_guard lock(load.mutex);
        load.started = false;
    }
    for (auto &flag : g_ran)
        flag = false;
    g_fontConfigRead = false;
}

StartUp::StartUp()
{
    // The configuration is loaded once per process and kept; Qt's own first call finds it
    // there. Loading it is safe on any thread, also beside another first call.
    try {
        m_fontConfig = std::thread([] {
            FcInit();
            g_fontConfigRead = true;
        });
    } catch (const std::system_error &) {
        // No thread to be had: read here, as Qt would on its first text.
        FcInit();
        g_fontConfigRead = true;
    }
}

StartUp::~StartUp()
{
    finish();
}

void StartUp::finish()
{
    if (m_fontConfig.joinable())
        m_fontConfig.join();
    if (m_fontDatabase.valid())
        m_fontDatabase.wait();
    if (m_readers.valid())
        m_readers.wait();
    driverLoad().join();
}

void StartUp::beforePicker()
{
    // The font system is loaded once, not a second time beside the thread.
    if (m_fontConfig.joinable())
        m_fontConfig.join();
    // Qt's font database serves every thread: filled, and the window's fonts found in it,
    // on a thread while the controls are made, the first text measured finds them there.
    m_fontDatabase = std::async(std::launch::async | std::launch::deferred, [] { fillFontDatabase(); });
    // The slots' own loading tasks may load the readers too; whoever comes first does it.
    m_readers = std::async(std::launch::async | std::launch::deferred, [] {
        host::loadPictureReaders();
        ran(WarmUp::PictureReaders);
    });
    // The cube opens before the picker is ever seen: its driver loads meanwhile.
    if (readStartup() == 1)
        loadGlDriver();
    // Threads that use Qt end before the application object goes.
    m_context = std::make_unique<QObject>();
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, m_context.get(), [this] { finish(); });
}

void StartUp::afterShow(QWidget *picker, QWidget *showCube)
{
    if (showCube)
        new DriverTrigger(showCube); // owned by the button
    host::afterFirstPaint(picker, [] {
        giveBackMemory();
        ran(WarmUp::FirstPaint);
    });
}

void StartUp::loadGlDriver()
{
    DriverLoad &load = driverLoad();
    {
        std::lock_guard lock(load.mutex);
        if (load.started)
            return;
        load.started = true;
    }
    // Making a context loads the driver (and its code generator) and sets up its screen;
    // both stay for the process, so the cube's own context is made in a few milliseconds.
    // The context is made and dropped on the thread and shares nothing with anyone: the
    // same use the platform allows for any render thread.
    if (QOpenGLContext::supportsThreadedOpenGL()) {
        try {
            std::lock_guard lock(load.mutex);
            load.thread = std::thread([] {
                {
                    QOpenGLContext context;
                    context.create();
                }
                ran(WarmUp::GlDriver);
            });
            QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { driverLoad().join(); });
            return;
        } catch (const std::system_error &) {
            // No thread to be had: loaded from the event loop below.
        }
    }
    QTimer::singleShot(0, QCoreApplication::instance(), [] {
        host::GlForm::preloadDriver();
        ran(WarmUp::GlDriver);
    });
}

void StartUp::addTrayIconWhenPainted(QWidget *picker, std::function<void()> addTrayIcon)
{
    host::afterFirstPaint(picker, [addTrayIcon = std::move(addTrayIcon)] {
        addTrayIcon();
        ran(WarmUp::TrayIcon);
    });
}

} // namespace app
