// The work the program does ahead of need, all of it listed and started here, so that no
// step keeps the picker from being seen and the first "Show Cube" does not wait:
//
//   Fonts           fontconfig's files read on a thread while the display is reached, then
//                   Qt's font database filled on a thread while the picker is made;
//   PictureReaders  the picture format plugins loaded on a thread while the picker is made
//                   (the folder list's first picture would otherwise load them one by one);
//   GlDriver        the GL driver loaded on a thread when the cube is about to be needed:
//                   at once for "Show Cube at Start up", else when the pointer or the focus
//                   reaches "Show Cube". Not at every start: it stays in the process for
//                   good, some megabytes of a program that sits in the tray all day;
//   FirstPaint      once the picker is on screen, the memory start-up used and let go of is
//                   handed back to the system;
//   TrayIcon        the tray icon, added once the picker has been painted (reaching the
//                   notification area may take the session bus a while).
//
// Each records that it ran when its work is done (`hasRun`), whichever road started it.
#pragma once

#include <QObject>
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <thread>

class Form1;
class QWidget;

namespace app {

enum class WarmUp { Fonts, PictureReaders, GlDriver, FirstPaint, TrayIcon };
inline constexpr std::array kWarmUps{WarmUp::Fonts, WarmUp::PictureReaders, WarmUp::GlDriver, WarmUp::FirstPaint,
                                     WarmUp::TrayIcon};

// Whether the warm-up's work has run in this process (since the last resetWarmUps).
bool hasRun(WarmUp warmUp);
void resetWarmUps();

class StartUp
{
public:
    // Made before the application object: starts reading the font configuration.
    StartUp();
    // Waits for every thread still running.
    ~StartUp();
    StartUp(const StartUp &) = delete;
    StartUp &operator=(const StartUp &) = delete;

    // With the application object made, before the picker: waits for the font
    // configuration, then starts the font database, the picture readers and, when the cube
    // opens at start-up, the GL driver. Threads that use Qt are waited for before the
    // application object goes (when its event loop ends).
    void beforePicker();
    // After the picker's Show: the GL driver follows the pointer or focus to `showCube`;
    // the memory is handed back after the first paint of `picker`.
    void afterShow(QWidget *picker, QWidget *showCube);

    // Starts loading the GL driver on a thread (on the UI thread from the event loop where
    // GL cannot be used off it); once per process, later calls do nothing.
    static void loadGlDriver();
    // Runs `addTrayIcon` once `picker` has been painted.
    static void addTrayIconWhenPainted(QWidget *picker, std::function<void()> addTrayIcon);

private:
    void finish();

    std::unique_ptr<QObject> m_context; // ends the waiting at the event loop's end with this
    std::thread m_fontConfig;
    std::future<void> m_fontDatabase;
    std::future<void> m_readers;
};

} // namespace app
