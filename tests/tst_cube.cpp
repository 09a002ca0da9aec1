// The cube viewer: the render loop's key step, the GL window set-up and release, the face
// table rendered and read back, the keyed-out shape, and the cube window's whole run.
#include "cube_files.h"
#include "cube_sides.h"
#include "ctexture.h"
#include "cube_state.h"
#include "cube_x11.h"
#include "cubeloop.h"
#include "displaycheck.h"
#include "displaymode.h"
#include "drawing.h"
#include "frmmain.h"
#include "glform.h"
#include "hostapp.h"
#include "keycodes.h"
#include "modopengl.h"
#include "msgbox.h"
#include "screenfit.h"
#include "shapemask.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScreen>
#include <QFile>
#include <QOpenGLContext>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <GL/gl.h>
#include <cmath>

Q_DECLARE_METATYPE(host::DisplayMode)

namespace {
// The cube window with its handlers reachable from the tests.
class TestCube : public frmMain
{
public:
    using frmMain::Form_KeyDown;
    using frmMain::Form_KeyUp;
    using frmMain::Form_MouseDown;
    using frmMain::Form_MouseMove;
    using frmMain::Form_MouseUp;
};

// Frames of held keys: "PD*200" is Page Down held for 200 frames, "-" a frame with no key,
// "L+F" both at once.
std::vector<KeyTable> framesOf(const QString &pattern)
{
    static const QHash<QString, int> names = {
        {"L", vk::L},   {"F", vk::F},     {"PU", vk::PageUp}, {"PD", vk::PageDown},
        {"UP", vk::Up}, {"DN", vk::Down}, {"LT", vk::Left},   {"RT", vk::Right},
    };
    std::vector<KeyTable> frames;
    for (const QString &token : pattern.split(' ', Qt::SkipEmptyParts)) {
        const QStringList parts = token.split('*');
        KeyTable keys{};
        for (const QString &name : parts[0].split('+')) {
            if (name != "-")
                keys[static_cast<size_t>(names.value(name))] = true;
        }
        const int count = parts.size() > 1 ? parts[1].toInt() : 1;
        frames.insert(frames.end(), static_cast<size_t>(count), keys);
    }
    return frames;
}

// The depth the cube is left at after the held keys of `pattern`, from where it starts.
float depthAfterHolding(const QString &pattern)
{
    LoopState state;
    for (const KeyTable &keys : framesOf(pattern))
        applyHeldKeys(state, keys);
    return state.cubeDepth;
}

// A picture of four quadrants, each its own colour: 0 lower left, 1 lower right,
// 2 upper right, 3 upper left (as the picture is seen).
QColor quadrantColour(int side, int quadrant)
{
    return QColor(30 * side, 60 + 50 * quadrant, 220 - 40 * quadrant);
}

QImage quadrantPicture(int side)
{
    QImage image(256, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            const bool lower = y >= 128, right = x >= 128;
            const int quadrant = lower ? (right ? 1 : 0) : (right ? 2 : 3);
            image.setPixelColor(x, y, quadrantColour(side, quadrant));
        }
    }
    return image;
}

QColor pixelAt(int x, int y)
{
    unsigned char rgba[4] = {0, 0, 0, 0};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return QColor(rgba[0], rgba[1], rgba[2]);
}

qint64 pixelCount(const QRegion &region)
{
    qint64 count = 0;
    for (const QRect &r : region)
        count += qint64(r.width()) * r.height();
    return count;
}
} // namespace

class CubeTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // What a fresh program starts with, before any test resets it.
        m_freshSwapInterval = host::GlForm::setSwapInterval(1);
        host::GlForm::setSwapInterval(m_freshSwapInterval);
        QVERIFY(m_sides.isValid());
        QVERIFY(cubetest::writeSideFiles(m_sides.path()));
        // As the program may at start: every GL window afterwards must work as before.
        host::GlForm::preloadDriver();
        host::GlForm::preloadDriver();
    }

    void init()
    {
        resetCubeState();
        m_messages.clear();
        host::setMsgBoxHandler([this](const QString &text) { m_messages << text; });
        frmMain::setSideFolder(m_sides.path());
        // A render loop that a failed check left running is stopped, and the test fails,
        // instead of the run hanging until ctest's limit.
        m_watchdogFired = false;
        m_watchdog.setSingleShot(true);
        m_watchdog.callOnTimeout([this] {
            m_watchdogFired = true;
            keyPressed[vk::Escape] = true;
        });
        m_watchdog.start(std::chrono::seconds(30));
    }

    void cleanup()
    {
        m_watchdog.stop();
        QVERIFY2(!m_watchdogFired, "the render loop did not end by itself");
        resetCubeState();
        if (m_surface) {
            m_surface->setCaption(QStringLiteral("surface"));
            (void)modOpenGL::ReleaseGLWindow(*m_surface);
            m_surface.reset();
        }
    }

    // The tests start each from the reset state: it must be the one a fresh program has,
    // or what they check (frames held to the refresh among them) is not what runs.
    void resetGivesTheStateOfAFreshStart()
    {
        resetCubeState();
        const int afterReset = host::GlForm::setSwapInterval(1);
        host::GlForm::setSwapInterval(afterReset);
        QCOMPARE(afterReset, m_freshSwapInterval);
    }

    // --- the render loop's key step ---------------------------------------------------

    void heldKeysChangeSpeedsDepthAndLighting_data()
    {
        QTest::addColumn<QString>("frames");
        QTest::addColumn<float>("spinSpeedX");
        QTest::addColumn<float>("spinSpeedY");
        QTest::addColumn<float>("cubeDepth");
        QTest::addColumn<bool>("lightingOn");
        QTest::addColumn<int>("filterSteps");
        QTest::newRow("left arrow 5 frames stops the Y spin") << "LT*5" << 0.05f << 0.0f << -7.0f << false << 0;
        QTest::newRow("up and down arrows") << "UP*3 DN*1" << 0.03f << 0.05f << -7.0f << false << 0;
        QTest::newRow("right arrow") << "RT*2" << 0.05f << 0.07f << -7.0f << false << 0;
        QTest::newRow("page down 200 frames stops at -4.44") << "PD*200" << 0.05f << 0.05f << -4.44f << false << 0;
        QTest::newRow("page up 100 frames") << "PU*100" << 0.05f << 0.05f << -9.0f << false << 0;
        QTest::newRow("page up and down together") << "PU+PD*10" << 0.05f << 0.05f << -7.0f << false << 0;
        QTest::newRow("L held many frames toggles once") << "L*50" << 0.05f << 0.05f << -7.0f << true << 0;
        QTest::newRow("L pressed twice toggles back") << "L*5 - L*5" << 0.05f << 0.05f << -7.0f << false << 0;
        QTest::newRow("F held steps the filter once") << "F*20" << 0.05f << 0.05f << -7.0f << false << 1;
        QTest::newRow("F pressed three times") << "F - F*2 - F" << 0.05f << 0.05f << -7.0f << false << 3;
        QTest::newRow("several keys in one frame") << "L+F+UP+LT+PD" << 0.04f << 0.04f << -6.98f << true << 1;
    }
    void heldKeysChangeSpeedsDepthAndLighting()
    {
        QFETCH(QString, frames);
        QFETCH(float, spinSpeedX);
        QFETCH(float, spinSpeedY);
        QFETCH(float, cubeDepth);
        QFETCH(bool, lightingOn);
        QFETCH(int, filterSteps);
        LoopState state;
        int steps = 0;
        bool glLighting = false;
        for (const KeyTable &keys : framesOf(frames)) {
            const FrameActions actions = applyHeldKeys(state, keys);
            steps += actions.nextFilter ? 1 : 0;
            if (actions.lightingToggled)
                glLighting = state.lightingOn;
        }
        QVERIFY2(std::fabs(state.spinSpeedX - spinSpeedX) < 1e-5f, qPrintable(QString::number(state.spinSpeedX)));
        QVERIFY2(std::fabs(state.spinSpeedY - spinSpeedY) < 1e-5f, qPrintable(QString::number(state.spinSpeedY)));
        // 5000 float steps of 0.02 drift by a few thousandths.
        QVERIFY2(std::fabs(state.cubeDepth - cubeDepth) < 0.01f, qPrintable(QString::number(state.cubeDepth)));
        QCOMPARE(state.lightingOn, lightingOn);
        QCOMPARE(glLighting, lightingOn);
        QCOMPARE(steps, filterSteps);
    }

    // Once stopped, a held Page Down leaves the cube exactly where it is: no drift of
    // the float steps, however long the key is held.
    void pageDownHoldsExactlyAtTheNearestDepth()
    {
        const float stopped = depthAfterHolding(QStringLiteral("PD*200"));
        QCOMPARE(stopped, -4.44f);
        QCOMPARE(depthAfterHolding(QStringLiteral("PD*200 PD*1000")), stopped);
        QCOMPARE(depthAfterHolding(QStringLiteral("PD*150 - PD*99")), stopped);
    }

    // The cube turns about its centre, so a corner may be anywhere within its half
    // diagonal. Held long enough, Page Up takes the cube as far as it can go with every
    // corner still before the far clipping plane, and no farther.
    void pageUpStopsWhereACornerWouldLeaveTheView()
    {
        const float depth = depthAfterHolding(QStringLiteral("PU*10000"));
        const double halfDiagonal = std::sqrt(3.0);
        const double farthestCorner = -double(depth) + halfDiagonal;
        QVERIFY2(farthestCorner < modOpenGL::kFarPlane, qPrintable(QString::number(depth)));
        // A few more frames of Page Up would have been allowed to lose a corner.
        QVERIFY2(farthestCorner + 3 * 0.02 > modOpenGL::kFarPlane, qPrintable(QString::number(depth)));
        // Page Down brings it back from there.
        LoopState state;
        state.cubeDepth = depth;
        for (const KeyTable &keys : framesOf(QStringLiteral("PD*10")))
            applyHeldKeys(state, keys);
        QVERIFY(std::fabs(state.cubeDepth - (depth + 0.2f)) < 1e-3f);
    }

    void anglesStayWithinOneTurn_data()
    {
        QTest::addColumn<float>("start");
        QTest::addColumn<float>("step");
        QTest::addColumn<int>("frames");
        QTest::newRow("past a full turn") << 359.9f << 0.2f << 1;
        QTest::newRow("backwards past a full turn") << -359.9f << -0.2f << 1;
        QTest::newRow("default speed, an hour at 60 Hz") << 0.0f << 0.05f << 216000;
        QTest::newRow("fast spin, a long hold") << 0.0f << 47.13f << 500000;
    }
    // The same picture as the unbounded angle (equal modulo a turn), and the angle never
    // grows to where a step is lost.
    void anglesStayWithinOneTurn()
    {
        QFETCH(float, start);
        QFETCH(float, step);
        QFETCH(int, frames);
        float angle = start;
        for (int i = 0; i < frames; ++i)
            angle = turnedBy(angle, step);
        QVERIFY(std::fabs(angle) < 360.0f);
        const double exact = std::fmod(double(start) + double(step) * frames, 360.0);
        double apart = std::fmod(std::fabs(angle - exact), 360.0);
        apart = std::min(apart, 360.0 - apart);
        QVERIFY2(apart < 0.5, qPrintable(QStringLiteral("%1 against %2").arg(angle).arg(exact)));
        QVERIFY(turnedBy(angle, step) != angle);
    }

    void filterCyclesThroughThree()
    {
        QCOMPARE(nextFilter(0), 1);
        QCOMPARE(nextFilter(1), 2);
        QCOMPARE(nextFilter(2), 0);
    }

    // --- key codes ------------------------------------------------------------------------

    void qtKeysMapToVirtualKeyNumbers_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<int>("code");
        QTest::newRow("Escape") << int(Qt::Key_Escape) << 27;
        QTest::newRow("Page Up") << int(Qt::Key_PageUp) << 33;
        QTest::newRow("Page Down") << int(Qt::Key_PageDown) << 34;
        QTest::newRow("Left") << int(Qt::Key_Left) << 37;
        QTest::newRow("Up") << int(Qt::Key_Up) << 38;
        QTest::newRow("Right") << int(Qt::Key_Right) << 39;
        QTest::newRow("Down") << int(Qt::Key_Down) << 40;
        QTest::newRow("Space") << int(Qt::Key_Space) << 32;
        QTest::newRow("F") << int(Qt::Key_F) << 70;
        QTest::newRow("L") << int(Qt::Key_L) << 76;
        QTest::newRow("A") << int(Qt::Key_A) << 65;
        QTest::newRow("Z") << int(Qt::Key_Z) << 90;
        QTest::newRow("0") << int(Qt::Key_0) << 48;
        QTest::newRow("9") << int(Qt::Key_9) << 57;
        QTest::newRow("F1") << int(Qt::Key_F1) << 112;
        QTest::newRow("F12") << int(Qt::Key_F12) << 123;
        QTest::newRow("unmapped volume key") << int(Qt::Key_VolumeUp) << host::NoKeyCode;
        QTest::newRow("unmapped unknown") << int(Qt::Key_unknown) << host::NoKeyCode;
    }
    void qtKeysMapToVirtualKeyNumbers()
    {
        QFETCH(int, qtKey);
        QFETCH(int, code);
        QCOMPARE(host::virtualKeyCode(qtKey), code);
    }

    void keyHandlersIgnoreCodesOutsideTheTable()
    {
        TestCube cube;
        keyPressed.fill(false);
        cube.Form_KeyDown(300, 0);
        cube.Form_KeyDown(-1, 0);
        cube.Form_KeyDown(257, 0);
        QVERIFY(std::none_of(keyPressed.begin(), keyPressed.end(), [](bool held) { return held; }));
        cube.Form_KeyDown(256, 1);
        QVERIFY(keyPressed[256]);
        cube.Form_KeyUp(300, 0);
        QVERIFY(keyPressed[256]);
    }

    void quickTapIsSeenByOneFrame_data()
    {
        // D key down, U key up, F a frame reading the table; `seen` is what each frame read.
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("seen");
        QTest::newRow("tap between two frames") << "D U F F" << "10";
        QTest::newRow("held over frames") << "D F F U F" << "110";
        QTest::newRow("released after one frame") << "D F U F" << "10";
        QTest::newRow("two taps before a frame") << "D U D U F F" << "10";
        QTest::newRow("tap then press held") << "D U F D F U F" << "110";
    }
    void quickTapIsSeenByOneFrame()
    {
        QFETCH(QString, events);
        QFETCH(QString, seen);
        KeyTable keys{};
        KeyTaps taps;
        QString got;
        for (const QString &event : events.split(' ')) {
            if (event == "D")
                taps.press(keys, vk::L);
            else if (event == "U")
                taps.release(keys, vk::L);
            else {
                got += keys[vk::L] ? '1' : '0';
                taps.frameSeen(keys);
            }
        }
        QCOMPARE(got, seen);
    }

    // --- GL window set-up and release ---------------------------------------------------

    void resizeToZeroHeightKeepsAnAspectRatio()
    {
        makeSurface();
        modOpenGL::ResizeGLView(640, 0);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        QCOMPARE(viewport[0], 0);
        QCOMPARE(viewport[1], 0);
        QCOMPARE(viewport[2], 640);
        QCOMPARE(viewport[3], 1);
        GLfloat projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        QVERIFY(std::fabs(projection[5] / projection[0] - 640.0f) < 0.01f);
        QVERIFY(std::isfinite(projection[0]));
    }

    void viewportCoversTheWholeWindowInDevicePixels()
    {
        makeSurface();
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        QCOMPARE(viewport[2], m_surface->clientDeviceWidth());
        QCOMPARE(viewport[3], m_surface->clientDeviceHeight());
        QCOMPARE(m_surface->clientDeviceWidth(),
                 qRound(m_surface->clientWidth() * m_surface->window()->devicePixelRatio()));
    }

    void setupGivesADoubleBufferedDepthSurface()
    {
        makeSurface();
        QOpenGLContext *context = modOpenGL::glContext();
        QVERIFY(context);
        QCOMPARE(QOpenGLContext::currentContext(), context);
        QVERIFY(context->format().depthBufferSize() >= 16);
        QCOMPARE(context->format().swapBehavior(), QSurfaceFormat::DoubleBuffer);
        QVERIFY(m_messages.isEmpty());
    }

    void releasePathMessages_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("saveFirst");
        QTest::addColumn<bool>("withContext");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("cursorStep");
        QTest::newRow("captionless window after a save: cursor shown")
            << "" << true << true << QStringList() << 1;
        QTest::newRow("captionless window before any save: no mode was set, none restored")
            << "" << false << true << QStringList() << 1;
        QTest::newRow("window with a caption: context only")
            << "cube" << false << true << QStringList() << 0;
        QTest::newRow("no context: display step only")
            << "" << true << false << QStringList() << 1;
    }
    void releasePathMessages()
    {
        QFETCH(QString, caption);
        QFETCH(bool, saveFirst);
        QFETCH(bool, withContext);
        QFETCH(QStringList, messages);
        QFETCH(int, cursorStep);
        modOpenGL::SavedDisplayMode = {};
        if (saveFirst)
            modOpenGL::SaveDisplayMode();
        if (withContext)
            makeSurface();
        else
            makeSurface(false);
        m_surface->setCaption(caption);
        const int cursorBefore = host::ShowCursor(true) - 1;
        host::ShowCursor(false);
        QCOMPARE(modOpenGL::ReleaseGLWindow(*m_surface), messages);
        QVERIFY(m_messages.isEmpty()); // the form shows them
        QCOMPARE(modOpenGL::glContext(), nullptr);
        QCOMPARE(QOpenGLContext::currentContext(), nullptr);
        const int cursorAfter = host::ShowCursor(true) - 1;
        host::ShowCursor(false);
        QCOMPARE(cursorAfter - cursorBefore, cursorStep);
        for (int i = 0; i < cursorStep; ++i)
            host::ShowCursor(false);
    }

    void pacerHoldsFramesToTheRefreshOnlyWithoutVsync_data()
    {
        QTest::addColumn<double>("refreshHz");
        QTest::addColumn<int>("drawMicros");
        QTest::addColumn<int>("stallAt");
        QTest::addColumn<int>("stallMicros");
        QTest::addColumn<double>("periodMicros");
        QTest::newRow("no vsync, 60 Hz") << 60.0 << 1000 << -1 << 0 << 1e6 / 60;
        QTest::newRow("no vsync, 144 Hz") << 144.0 << 300 << -1 << 0 << 1e6 / 144;
        QTest::newRow("swap waits for 60 Hz: never held") << 60.0 << 16667 << -1 << 0 << 16667.0;
        QTest::newRow("slow frames are not slowed further") << 60.0 << 30000 << -1 << 0 << 30000.0;
        // Frames a little quicker than the refresh may be a swap that waits for a display
        // refreshing a little faster than it says: they are let through.
        QTest::newRow("frames of 12 ms at 60 Hz are not held") << 60.0 << 12000 << -1 << 0 << 12000.0;
        QTest::newRow("unknown rate counts as 60 Hz") << 0.0 << 1000 << -1 << 0 << 1e6 / 60;
        QTest::newRow("absurd rate counts as 60 Hz") << 1e9 << 1000 << -1 << 0 << 1e6 / 60;
        QTest::newRow("no burst of missed frames after a stall") << 60.0 << 1000 << 20 << 500000 << 1e6 / 60;
        QTest::newRow("a hiccup within a frame is made up") << 60.0 << 1000 << 20 << 5000 << 1e6 / 60;
    }
    void pacerHoldsFramesToTheRefreshOnlyWithoutVsync()
    {
        QFETCH(double, refreshHz);
        QFETCH(int, drawMicros);
        QFETCH(int, stallAt);
        QFETCH(int, stallMicros);
        QFETCH(double, periodMicros);
        using namespace std::chrono;
        host::FramePacer pacer;
        pacer.setRefreshRate(refreshHz);
        host::FramePacer::Clock::time_point now{};
        std::vector<double> presented;
        for (int frame = 0; frame < 40; ++frame) {
            presented.push_back(duration<double, std::micro>(now.time_since_epoch()).count());
            now += pacer.framePresented(now) + microseconds(drawMicros);
            if (frame == stallAt)
                now += microseconds(stallMicros);
        }
        // The first frames find out whether the swap waits; from then on every frame keeps
        // the period, except the stalled one and the one after it. After a stall of more
        // than a frame those may only be later; a shorter hiccup is made up at once, so
        // the frames keep their places on the display's rhythm.
        const bool longStall = stallMicros > periodMicros;
        for (int frame = 6; frame < 40; ++frame) {
            const double period = presented[size_t(frame)] - presented[size_t(frame) - 1];
            const bool afterStall = frame == stallAt + 1 || frame == stallAt + 2;
            const bool inStep = period > periodMicros * 0.99 && period < periodMicros * 1.01;
            QVERIFY2(inStep || (afterStall && (longStall ? period > periodMicros * 0.99 : true)),
                     qPrintable(QStringLiteral("frame %1 after %2 us").arg(frame).arg(period)));
        }
        if (!longStall) {
            const double average = (presented[39] - presented[5]) / 34;
            QVERIFY2(std::fabs(average - periodMicros) < periodMicros * 0.01, qPrintable(QString::number(average)));
        }
    }

    void onlyAModeTheProgramSetIsRestored_data()
    {
        QTest::addColumn<host::DisplayMode>("set");
        QTest::addColumn<host::DisplayMode>("now");
        QTest::addColumn<bool>("restore");
        const host::DisplayMode full{1280, 1024, 24, 60};
        QTest::newRow("the program set none") << host::DisplayMode{} << full << false;
        QTest::newRow("still in the mode it set") << full << full << true;
        QTest::newRow("the user changed the resolution") << full << host::DisplayMode{1024, 768, 24, 60} << false;
        QTest::newRow("the user changed the refresh rate") << full << host::DisplayMode{1280, 1024, 24, 75} << false;
        QTest::newRow("the screen is gone") << full << host::DisplayMode{} << false;
    }
    void onlyAModeTheProgramSetIsRestored()
    {
        QFETCH(host::DisplayMode, set);
        QFETCH(host::DisplayMode, now);
        QFETCH(bool, restore);
        QCOMPARE(modOpenGL::shouldRestoreDisplayMode(set, now), restore);
    }

    void displayModeChangesOnlyToWhatTheScreenShows_data()
    {
        // Each row changes the screen's current mode in one way before asking for it.
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the current mode") << "" << true;
        QTest::newRow("any refresh rate") << "refresh 0" << true;
        QTest::newRow("another refresh rate") << "refresh +1" << false;
        QTest::newRow("another width") << "width +8" << false;
        QTest::newRow("16 bits") << "bits 16" << false;
        QTest::newRow("32 bits, as a 24-bit screen serves them") << "bits 32" << true;
    }
    void displayModeChangesOnlyToWhatTheScreenShows()
    {
        QFETCH(QString, change);
        QFETCH(bool, accepted);
        const host::DisplayMode now = host::currentDisplayMode();
        QVERIFY(now.width > 0);
        if (change == "bits 32" && now.bitsPerPixel != 24 && now.bitsPerPixel != 32)
            QSKIP("a screen neither 24 nor 32 bits deep");
        host::DisplayMode asked = now;
        if (change == "refresh 0")
            asked.refreshRate = 0;
        else if (change == "refresh +1")
            asked.refreshRate = std::int16_t(now.refreshRate + 1);
        else if (change == "width +8")
            asked.width += 8;
        else if (change == "bits 16")
            asked.bitsPerPixel = 16;
        else if (change == "bits 32")
            asked.bitsPerPixel = 32;
        QCOMPARE(host::changeDisplayMode(asked), accepted);
    }

    void cursorIsBlankWhileHiddenMoreThanShown_data()
    {
        // h hides, s shows; `blank` is whether the cursor is blank after each.
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("blank");
        QTest::newRow("hide and show") << "hs" << "10";
        QTest::newRow("hidden twice needs two shows") << "hhss" << "1110";
        QTest::newRow("shown first: one hide is not enough") << "shhs" << "0010";
        QTest::newRow("back to shown") << "hshs" << "1010";
    }
    void cursorIsBlankWhileHiddenMoreThanShown()
    {
        QFETCH(QString, calls);
        QFETCH(QString, blank);
        QString got;
        for (const QChar c : calls) {
            host::ShowCursor(c == u's');
            const QCursor *cursor = QGuiApplication::overrideCursor();
            got += cursor && cursor->shape() == Qt::BlankCursor ? '1' : '0';
        }
        QCOMPARE(got, blank);
    }

    void refusedFullscreenContinuesWindowed()
    {
        // No mode of 640 x 480 on this screen: the request is refused, once, honestly.
        makeSurface(false);
        m_surface->setCaption(QStringLiteral("kept"));
        QCOMPARE(modOpenGL::SetupGLWindow(*m_surface, 640, 480, 32, true),
                 QStringLiteral("Could not set fullscreen mode.  App will continue in windowed mode."));
        QVERIFY(m_messages.isEmpty()); // the form shows it
        QCOMPARE(m_surface->caption(), QStringLiteral("kept"));
        QVERIFY(modOpenGL::glContext());
    }

    void setupThatCannotFinishThrowsWhatToTell_data()
    {
        QTest::addColumn<bool>("fullscreen");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("windowed") << false << QStringList{"Could not get desired Pixel Format"};
        QTest::newRow("full screen refused first")
            << true
            << QStringList{"Could not set fullscreen mode.  App will continue in windowed mode.",
                           "Could not get desired Pixel Format"};
    }
    void setupThatCannotFinishThrowsWhatToTell()
    {
        QFETCH(bool, fullscreen);
        QFETCH(QStringList, messages);
        host::GlForm unloaded; // no native window: no pixel format to be had
        QStringList thrown;
        try {
            (void)modOpenGL::SetupGLWindow(unloaded, 640, 480, 32, fullscreen);
        } catch (const modOpenGL::SetupError &error) {
            thrown = error.messages();
        }
        QCOMPARE(thrown, messages);
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(modOpenGL::glContext(), nullptr);
    }

    void fullscreenInTheCurrentModeIsAccepted()
    {
        const host::DisplayMode mode = host::currentDisplayMode();
        makeSurface(false);
        m_surface->setCaption(QStringLiteral("cube"));
        QCOMPARE(modOpenGL::SetupGLWindow(*m_surface, mode.width, mode.height, mode.bitsPerPixel, true), QString());
        QCOMPARE(m_surface->caption(), QString());
        modOpenGL::SaveDisplayMode();
        // Shows the cursor hidden by the set-up.
        QCOMPARE(modOpenGL::ReleaseGLWindow(*m_surface), QStringList());
        QCOMPARE(host::ShowCursor(true), 1);
        host::ShowCursor(false);
        m_surface.reset();
    }

    // --- textures on a context ---------------------------------------------------------------

    void sideBitmapGivesThreeTexturesOwnedByTheirContext()
    {
        makeSurface();
        cTexture texture;
        const QString side = m_sides.filePath(QStringLiteral("Side 2.bmp"));
        QVERIFY(texture.loadTexture(side, cTexture::Bitmap).isEmpty());
        const auto first = texture.names();
        for (int i = 0; i < 3; ++i) {
            QVERIFY(glIsTexture(first[static_cast<size_t>(i)]));
            glBindTexture(GL_TEXTURE_2D, first[static_cast<size_t>(i)]);
            GLint width = 0, height = 0, format = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
            QCOMPARE(width, 256);
            QCOMPARE(height, 256);
            QVERIFY(format == 3 || format == GL_RGB || format == GL_RGB8);
        }
        QCOMPARE(first[3], 0u);

        texture.setFilter(3);
        texture.useTexture();
        GLint bound = -1;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        QCOMPARE(bound, 0);

        // Loading again replaces the picture without leaving the first textures behind.
        QVERIFY(texture.loadTexture(side, cTexture::Bitmap).isEmpty());
        QCOMPARE(texture.getFilter(), 0);
        for (int i = 0; i < 3; ++i)
            QVERIFY(!glIsTexture(first[static_cast<size_t>(i)]) || texture.names()[static_cast<size_t>(i)] == first[static_cast<size_t>(i)]);
        const auto second = texture.names();
        texture.unloadTexture();
        for (int i = 0; i < 3; ++i)
            QVERIFY(!glIsTexture(second[static_cast<size_t>(i)]));
        QCOMPARE(texture.names()[0], 0u);
    }

    // --- the face table, rendered ----------------------------------------------------------

    void eachFaceShowsItsPictureTheWrittenWay_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<float>("angleX");
        QTest::addColumn<float>("angleY");
        // Picture quadrant seen at the screen's lower left, lower right, upper right and
        // upper left of the face turned towards the viewer.
        QTest::addColumn<QList<int>>("seen");
        QTest::newRow("1 front, upright") << 1 << 0.0f << 0.0f << QList<int>{0, 1, 2, 3};
        QTest::newRow("2 back, turned round Y, upright") << 2 << 0.0f << 180.0f << QList<int>{0, 1, 2, 3};
        QTest::newRow("3 top, tipped forward, upright") << 3 << 90.0f << 0.0f << QList<int>{0, 1, 2, 3};
        QTest::newRow("4 bottom, tipped back, upside down") << 4 << -90.0f << 0.0f << QList<int>{2, 3, 0, 1};
        QTest::newRow("5 right, turned left, upright") << 5 << 0.0f << -90.0f << QList<int>{0, 1, 2, 3};
        QTest::newRow("6 left, turned right, upright") << 6 << 0.0f << 90.0f << QList<int>{0, 1, 2, 3};
    }
    void eachFaceShowsItsPictureTheWrittenWay()
    {
        QFETCH(int, side);
        QFETCH(float, angleX);
        QFETCH(float, angleY);
        QFETCH(QList<int>, seen);
        QTemporaryDir dir;
        for (int k = 1; k <= 6; ++k)
            QVERIFY(quadrantPicture(k).save(dir.filePath(QStringLiteral("Side %1.bmp").arg(k)), "BMP"));
        frmMain::setSideFolder(dir.path());
        makeSurface();
        TestCube cube;
        QVERIFY(cube.InitGL());
        cube.cubeAngle = {angleX, angleY};
        QVERIFY(cube.DrawGLScene());
        const int cx = m_surface->clientDeviceWidth() / 2;
        const int cy = m_surface->clientDeviceHeight() / 2;
        const QPoint corners[4] = {{cx - 50, cy - 50}, {cx + 50, cy - 50}, {cx + 50, cy + 50}, {cx - 50, cy + 50}};
        for (int i = 0; i < 4; ++i) {
            const QColor got = pixelAt(corners[i].x(), corners[i].y());
            const QColor want = quadrantColour(side, seen[i]);
            QVERIFY2(std::abs(got.red() - want.red()) <= 2 && std::abs(got.green() - want.green()) <= 2
                         && std::abs(got.blue() - want.blue()) <= 2,
                     qPrintable(QStringLiteral("corner %1: got %2, want %3").arg(i).arg(got.name(), want.name())));
        }
        // The frame drawn is what DrawGLScene turned from: the angle moves on afterwards.
        QCOMPARE(cube.cubeAngle[0], angleX + cube.state.spinSpeedX);
    }

    // --- the keyed-out shape ------------------------------------------------------------

    void platformForTheSession_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("session");
        QTest::addColumn<bool>("xReachable");
        QTest::addColumn<bool>("plugin");
        QTest::addColumn<QByteArray>("choice");
        QTest::newRow("Wayland socket and X display") << QStringList() << QByteArray() << QByteArray("wayland-0") << QByteArray() << true << false << QByteArray("xcb");
        QTest::newRow("Wayland session type and X display") << QStringList() << QByteArray() << QByteArray() << QByteArray("wayland") << true << false << QByteArray("xcb");
        QTest::newRow("no X display: Wayland stays") << QStringList() << QByteArray() << QByteArray("wayland-0") << QByteArray() << false << false << QByteArray();
        QTest::newRow("X11 session: Qt's own choice") << QStringList() << QByteArray() << QByteArray() << QByteArray("x11") << true << false << QByteArray();
        QTest::newRow("QT_QPA_PLATFORM chosen") << QStringList() << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray() << true << false << QByteArray();
        QTest::newRow("-platform chosen") << QStringList{"-platform", "wayland"} << QByteArray() << QByteArray("wayland-0") << QByteArray() << true << false << QByteArray();
        QTest::newRow("--platform=offscreen chosen") << QStringList{"--platform=offscreen"} << QByteArray() << QByteArray("wayland-0") << QByteArray() << true << false << QByteArray();
        QTest::newRow("a picture named like the option is no choice") << QStringList{"platform"} << QByteArray() << QByteArray("wayland-0") << QByteArray() << true << false << QByteArray("xcb");
        // With Qt's Wayland plugin a Wayland socket is used, X11 only should it refuse.
        QTest::newRow("plugin: Wayland socket and X display") << QStringList() << QByteArray() << QByteArray("wayland-0") << QByteArray() << true << true << QByteArray("wayland;xcb");
        QTest::newRow("plugin: Wayland socket, no X display") << QStringList() << QByteArray() << QByteArray("wayland-0") << QByteArray() << false << true << QByteArray("wayland");
        QTest::newRow("plugin: session type without a socket") << QStringList() << QByteArray() << QByteArray() << QByteArray("wayland") << true << true << QByteArray("xcb");
        QTest::newRow("plugin: X11 session") << QStringList() << QByteArray() << QByteArray() << QByteArray("x11") << true << true << QByteArray();
        QTest::newRow("plugin: QT_QPA_PLATFORM=xcb chosen") << QStringList() << QByteArray("xcb") << QByteArray("wayland-0") << QByteArray() << true << true << QByteArray();
        QTest::newRow("plugin: -platform xcb chosen") << QStringList{"-platform", "xcb"} << QByteArray() << QByteArray("wayland-0") << QByteArray() << true << true << QByteArray();
    }
    void platformForTheSession()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, session);
        QFETCH(bool, xReachable);
        QFETCH(bool, plugin);
        QFETCH(QByteArray, choice);
        QCOMPARE(host::platformChoice(arguments, qpa, wayland, session, xReachable, plugin), choice);
    }

    void noDisplayIsToldBeforeQtStarts_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("x11");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<bool>("told");
        QTest::newRow("neither display") << QStringList() << QByteArray() << QByteArray() << QByteArray() << true;
        QTest::newRow("X display") << QStringList() << QByteArray() << QByteArray(":0") << QByteArray() << false;
        QTest::newRow("Wayland socket only") << QStringList() << QByteArray() << QByteArray() << QByteArray("wayland-0") << false;
        QTest::newRow("QT_QPA_PLATFORM chosen") << QStringList() << QByteArray("offscreen") << QByteArray() << QByteArray() << false;
        QTest::newRow("-platform chosen") << QStringList{"-platform", "vnc"} << QByteArray() << QByteArray() << QByteArray() << false;
        QTest::newRow("--platform= chosen") << QStringList{"--platform=offscreen"} << QByteArray() << QByteArray() << QByteArray() << false;
        QTest::newRow("a picture named like the option") << QStringList{"platform"} << QByteArray() << QByteArray() << QByteArray() << true;
    }
    void noDisplayIsToldBeforeQtStarts()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, x11);
        QFETCH(QByteArray, wayland);
        QFETCH(bool, told);
        const QString message = host::missingDisplayMessage(arguments, qpa, x11, wayland);
        QCOMPARE(!message.isEmpty(), told);
        QVERIFY(!message.contains('\n'));
    }

    void unreachableDisplayNamesWhatWasTried_data()
    {
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("x11");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QString>("names");
        QTest::newRow("X display") << QByteArray() << QByteArray(":77") << QByteArray() << "DISPLAY=:77, WAYLAND_DISPLAY unset";
        QTest::newRow("Wayland socket") << QByteArray() << QByteArray() << QByteArray("w-1") << "DISPLAY unset, WAYLAND_DISPLAY=w-1";
        QTest::newRow("platform chosen") << QByteArray("xcb") << QByteArray() << QByteArray() << "QT_QPA_PLATFORM=xcb, DISPLAY unset, WAYLAND_DISPLAY unset";
    }
    void unreachableDisplayNamesWhatWasTried()
    {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, x11);
        QFETCH(QByteArray, wayland);
        QFETCH(QString, names);
        const QString message = host::unreachableDisplayMessage(qpa, x11, wayland);
        QVERIFY2(message.endsWith('(' + names + ')'), qPrintable(message));
        QVERIFY(!message.contains('\n'));
    }

    // --- screens that change --------------------------------------------------------------

    void windowOffEveryScreenComesBackOntoTheNearest_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("geometries");
        QTest::addColumn<QList<QRect>>("available"); // empty: as the geometries
        QTest::addColumn<QPoint>("expected");
        const QRect one(0, 0, 1280, 1024);
        const QRect shorter(1280, 0, 1280, 720);
        QTest::newRow("on its screen: stays") << QRect(100, 100, 533, 533) << QList<QRect>{one} << QList<QRect>() << QPoint(100, 100);
        QTest::newRow("partly off, centre on: stays") << QRect(1000, 100, 533, 533) << QList<QRect>{one} << QList<QRect>() << QPoint(1000, 100);
        QTest::newRow("resolution lowered under it") << QRect(1200, 700, 533, 533) << QList<QRect>{QRect(0, 0, 800, 600)} << QList<QRect>() << QPoint(267, 67);
        QTest::newRow("monitor on the right removed") << QRect(1500, 200, 533, 533) << QList<QRect>{one} << QList<QRect>() << QPoint(747, 200);
        QTest::newRow("monitor on the left removed") << QRect(-900, 100, 533, 533) << QList<QRect>{QRect(0, 0, 1920, 1080)} << QList<QRect>() << QPoint(0, 100);
        QTest::newRow("nearest of two") << QRect(3000, 900, 533, 533) << QList<QRect>{one, shorter} << QList<QRect>() << QPoint(2027, 187);
        QTest::newRow("below the shorter monitor") << QRect(1400, 800, 533, 533) << QList<QRect>{one, shorter} << QList<QRect>() << QPoint(1400, 187);
        QTest::newRow("kept clear of a panel") << QRect(100, 1100, 533, 533) << QList<QRect>{one} << QList<QRect>{QRect(0, 0, 1280, 994)} << QPoint(100, 461);
        QTest::newRow("larger than the screen: top left") << QRect(500, 500, 1000, 800) << QList<QRect>{QRect(0, 0, 800, 600)} << QList<QRect>() << QPoint(0, 0);
        QTest::newRow("no screen left: unchanged") << QRect(5000, 5000, 533, 533) << QList<QRect>() << QList<QRect>() << QPoint(5000, 5000);
    }
    void windowOffEveryScreenComesBackOntoTheNearest()
    {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, geometries);
        QFETCH(QList<QRect>, available);
        QFETCH(QPoint, expected);
        std::vector<host::ScreenArea> screens;
        for (qsizetype i = 0; i < geometries.size(); ++i)
            screens.push_back({geometries[i], available.isEmpty() ? geometries[i] : available[i]});
        QCOMPARE(host::positionOnScreens(frame, screens), expected);
        // Once placed, the window stays where it was put.
        const QRect placed(expected, frame.size());
        QCOMPARE(host::positionOnScreens(placed, screens), expected);
    }

    void sizeInWindowPixelsKeptOnAMonitorOfAnotherScale_data()
    {
        QTest::addColumn<QSize>("device");
        QTest::addColumn<double>("previousRatio");
        QTest::addColumn<QSize>("kept");
        QTest::newRow("from 2x onto 1x") << QSize(1066, 1066) << 2.0 << QSize(533, 533);
        QTest::newRow("from 1x onto 2x") << QSize(533, 533) << 1.0 << QSize(533, 533);
        QTest::newRow("from 1.5x") << QSize(800, 800) << 1.5 << QSize(533, 533);
        QTest::newRow("unknown ratio: as it is") << QSize(533, 400) << 0.0 << QSize(533, 400);
    }
    void sizeInWindowPixelsKeptOnAMonitorOfAnotherScale()
    {
        QFETCH(QSize, device);
        QFETCH(double, previousRatio);
        QFETCH(QSize, kept);
        QCOMPARE(host::GlForm::keptWindowSize(device, previousRatio), kept);
    }

    void alphaKeyingClearsOnlyPureBlack_data()
    {
        QTest::addColumn<quint32>("pixel"); // 0xAARRGGBB
        QTest::addColumn<quint32>("keyed");
        QTest::newRow("opaque black") << 0xff000000u << 0x00000000u;
        QTest::newRow("darkest blue stays") << 0xff000001u << 0xff000001u;
        QTest::newRow("darkest red stays") << 0xff010000u << 0xff010000u;
        QTest::newRow("blended edge keeps its alpha") << 0x800a141eu << 0x800a141eu;
        QTest::newRow("background stays clear") << 0x00000000u << 0x00000000u;
    }
    void alphaKeyingClearsOnlyPureBlack()
    {
        QFETCH(quint32, pixel);
        QFETCH(quint32, keyed);
        // Two rows of three with a padded stride: every pixel, and nothing beyond the rows.
        std::vector<quint32> pixels(8, 0xdeadbeefu);
        for (int i : {0, 1, 2, 4, 5, 6})
            pixels[size_t(i)] = pixel;
        host::keyBlackToAlpha(reinterpret_cast<unsigned char *>(pixels.data()), 3, 2, 16);
        for (int i : {0, 1, 2, 4, 5, 6})
            QCOMPARE(pixels[size_t(i)], keyed);
        QCOMPARE(pixels[3], 0xdeadbeefu);
        QCOMPARE(pixels[7], 0xdeadbeefu);
    }

    void deviceShapeInWindowPixelsCoversEveryDrawnPixel_data()
    {
        QTest::addColumn<QRect>("device");
        QTest::addColumn<double>("ratio");
        QTest::addColumn<QRect>("window");
        QTest::newRow("1x: unchanged") << QRect(3, 5, 7, 1) << 1.0 << QRect(3, 5, 7, 1);
        QTest::newRow("2x: whole window pixels") << QRect(4, 6, 8, 2) << 2.0 << QRect(2, 3, 4, 1);
        QTest::newRow("2x: odd band rounds outwards") << QRect(5, 7, 3, 1) << 2.0 << QRect(2, 3, 2, 1);
        QTest::newRow("1.5x") << QRect(3, 3, 3, 3) << 1.5 << QRect(2, 2, 2, 2);
    }
    void deviceShapeInWindowPixelsCoversEveryDrawnPixel()
    {
        QFETCH(QRect, device);
        QFETCH(double, ratio);
        QFETCH(QRect, window);
        QCOMPARE(host::windowPixelRegion(QRegion(device), ratio), QRegion(window));
    }

    void outlineShapeMatchesTheFrame_data()
    {
        QTest::addColumn<float>("angleX");
        QTest::addColumn<float>("angleY");
        QTest::addColumn<float>("depth");
        QTest::newRow("face on") << 0.0f << 0.0f << -7.0f;
        QTest::newRow("turned") << 20.0f << 30.0f << -7.0f;
        QTest::newRow("corner on") << 45.0f << 45.0f << -7.0f;
        QTest::newRow("nearest") << -30.0f << 200.0f << -4.44f;
        QTest::newRow("far away") << 10.0f << 10.0f << -60.0f;
        QTest::newRow("beyond the far plane") << 10.0f << 10.0f << -150.0f;
        // Where holding Page Up leaves it: still whole in view, however it is turned.
        const float farthest = depthAfterHolding(QStringLiteral("PU*10000"));
        QTest::newRow("page up held, face on") << 0.0f << 0.0f << farthest;
        QTest::newRow("page up held, corner on") << 35.26f << 45.0f << farthest;
        QTest::newRow("page up held, corner away") << -144.74f << 45.0f << farthest;
    }
    void outlineShapeMatchesTheFrame()
    {
        QFETCH(float, angleX);
        QFETCH(float, angleY);
        QFETCH(float, depth);
        makeSurface();
        TestCube cube;
        QVERIFY(cube.InitGL());
        cube.cubeAngle = {angleX, angleY};
        cube.state.cubeDepth = depth;
        cube.DrawGLScene();
        const int w = m_surface->clientDeviceWidth(), h = m_surface->clientDeviceHeight();
        bool exact = false;
        const QRegion outline = cube.outlineShape(w, h, exact);
        QVERIFY(exact);
        const QRegion frame = cube.readBackShape(w, h);
        QCOMPARE(cube.frameShape(), outline); // the side pictures have no black texel
        QCOMPARE(cube.lastShapeSource(), frmMain::ShapeSource::Outline);
        // Only pixels on the edge may differ: at most a couple per row of the outline.
        const qint64 differing = pixelCount(outline.xored(frame));
        QVERIFY2(differing <= 2 * outline.boundingRect().height() + 4,
                 qPrintable(QStringLiteral("%1 pixels differ of %2").arg(differing).arg(pixelCount(frame))));
        if (depth < -100)
            QVERIFY(frame.isEmpty() && outline.isEmpty());
        else
            QVERIFY(pixelCount(frame) > 100);
    }

    // The third filter shows a fine pattern seen from afar as its average; the plain
    // linear one picks single texels out of it and shows the pattern's own colours.
    void mipmappedFilterBlendsAFinePatternFromAfar()
    {
        QTemporaryDir dir;
        QVERIFY(cubetest::writeSideFiles(dir.path()));
        QImage front(256, 256, QImage::Format_RGB888);
        for (int y = 0; y < 256; ++y)
            for (int x = 0; x < 256; ++x)
                front.setPixelColor(x, y, (x / 2 + y / 2) % 2 ? QColor(255, 255, 255) : QColor(64, 64, 64));
        QVERIFY(front.save(dir.filePath(QStringLiteral("Side 1.bmp")), "BMP"));
        frmMain::setSideFolder(dir.path());
        makeSurface();
        TestCube cube;
        QVERIFY(cube.InitGL());
        cube.cubeAngle = {0.0f, 0.0f};
        cube.state.cubeDepth = -40.0f;
        const int cx = m_surface->clientDeviceWidth() / 2, cy = m_surface->clientDeviceHeight() / 2;
        // The largest distance from the pattern's average among the face's middle pixels.
        const auto spread = [&](int filter) {
            cube.Img[0]->setFilter(filter);
            cube.DrawGLScene();
            int most = 0;
            for (int y = cy - 4; y <= cy + 4; ++y)
                for (int x = cx - 4; x <= cx + 4; ++x)
                    most = std::max(most, std::abs(pixelAt(x, y).green() - 160));
            return most;
        };
        const int linear = spread(1), mipmapped = spread(2);
        QVERIFY2(mipmapped < 24, qPrintable(QString::number(mipmapped)));
        QVERIFY2(linear > 48, qPrintable(QString::number(linear)));
    }

    void blackTexelsAreKeyedOutToo()
    {
        QTemporaryDir dir;
        QVERIFY(cubetest::writeSideFiles(dir.path()));
        QImage front = cubetest::sidePicture(1);
        for (int y = 96; y < 160; ++y)
            for (int x = 96; x < 160; ++x)
                front.setPixelColor(x, y, Qt::black);
        QVERIFY(front.save(dir.filePath(QStringLiteral("Side 1.bmp")), "BMP"));
        frmMain::setSideFolder(dir.path());
        makeSurface();
        TestCube cube;
        QVERIFY(cube.InitGL());
        cube.DrawGLScene();
        const QRegion shape = cube.frameShape();
        QCOMPARE(cube.lastShapeSource(), frmMain::ShapeSource::ReadBack);
        const int cx = m_surface->clientDeviceWidth() / 2, cy = m_surface->clientDeviceHeight() / 2;
        QVERIFY(!shape.contains(QPoint(cx, cy)));      // the black square: desktop
        QVERIFY(shape.contains(QPoint(cx - 80, cy)));  // the red face around it: cube
        QVERIFY(!shape.contains(QPoint(5, 5)));        // the background: desktop
    }

    // The shape goes to the window system in device pixels, as drawn: at a device pixel
    // ratio of 2 (the tst_cube_dpr2 run) a shape rounded through window pixels would leave
    // a fringe of black pixels around the cube.
    void shapeIsSetInDevicePixels_data()
    {
        QTest::addColumn<QRegion>("device");
        QTest::newRow("even band") << QRegion(4, 6, 10, 8);
        QTest::newRow("odd edges") << QRegion(3, 5, 4, 3);
        QTest::newRow("one pixel") << QRegion(7, 7, 1, 1);
        QTest::newRow("two bands") << (QRegion(0, 0, 4, 2) + QRegion(0, 2, 2, 2));
    }
    void shapeIsSetInDevicePixels()
    {
        QFETCH(QRegion, device);
        makeSurface(false);
        if (qEnvironmentVariable("QT_SCALE_FACTOR") == QLatin1String("2"))
            QCOMPARE(m_surface->devicePixelRatio(), 2.0);
        m_surface->window()->create();
        m_surface->setShape(device);
        QCOMPARE(m_surface->windowSystemShape(), device);
    }

    // --- the cube window's whole run ------------------------------------------------------

    void cubeStaysHiddenUntilItsFirstFrame()
    {
        TestCube cube;
        // The mask as the window is shown, before any frame is drawn.
        struct ShowWatch : QObject
        {
            const TestCube *cube = nullptr;
            bool seen = false;
            QRegion shape;
            QRect area;
            bool eventFilter(QObject *watched, QEvent *event) override
            {
                if (!seen && event->type() == QEvent::Show && watched == cube->window()) {
                    seen = true;
                    shape = cube->windowSystemShape(); // the whole window when none is set
                    area = QRect(0, 0, cube->clientDeviceWidth(), cube->clientDeviceHeight());
                }
                return false;
            }
        } watch;
        watch.cube = &cube;
        qApp->installEventFilter(&watch);
        QRegion atFirstFrame;
        const ScopedFrameObserver firstFrame([&] {
            atFirstFrame = cube.windowSystemShape();
            keyPressed[vk::Escape] = true;
        });
        cube.Show();
        qApp->removeEventFilter(&watch);
        QVERIFY(watch.seen);
        QVERIFY(!watch.shape.intersects(watch.area));
        QVERIFY(atFirstFrame.intersects(watch.area)); // from the first frame on, the cube shows
        cube.Unload();
    }

    void keyingFollowsACompositorThatStartsAndStops()
    {
        using Keying = host::GlForm::Keying;
        if (host::GlForm::compositedDesktop())
            QSKIP("a compositing manager runs on this display");
        TestCube cube;
        cubetest::FakeCompositor compositor;
        QElapsedTimer since;
        int phase = 0, depth = 0;
        Keying atStart = Keying::Alpha;
        bool started = false, stopped = false;
        QRect whole;
        QRegion boundingWith, inputWith, boundingWithout, shapeWithout;
        const auto give = [&](int phaseNow) {
            if (since.elapsed() > 3000) // never noticed: the checks below fail
                keyPressed[vk::Escape] = true;
            return phase == phaseNow;
        };
        const ScopedFrameObserver step([&] {
            const WId id = cube.window()->winId();
            switch (phase) {
            case 0:
                depth = cubetest::windowDepth(id);
                atStart = cube.keying();
                whole = QRect(0, 0, cube.clientDeviceWidth(), cube.clientDeviceHeight());
                if (depth != 32 || !compositor.start()) {
                    keyPressed[vk::Escape] = true;
                    return;
                }
                since.start();
                phase = 1;
                return;
            case 1:
                if (give(1) && cube.keying() == Keying::Alpha) {
                    started = true;
                    phase = 2; // the next frame is drawn for the compositor
                }
                return;
            case 2:
                boundingWith = cubetest::boundingShape(id);
                inputWith = cubetest::inputShape(id);
                compositor.stop();
                since.restart();
                phase = 3;
                return;
            case 3:
                if (give(3) && cube.keying() == Keying::Shape) {
                    stopped = true;
                    phase = 4;
                }
                return;
            default:
                boundingWithout = cubetest::boundingShape(id);
                shapeWithout = cube.windowSystemShape();
                keyPressed[vk::Escape] = true;
            }
        });
        cube.Show();
        cube.Unload();
        if (depth != 32)
            QSKIP("no 32-bit visual on this X server");
        QVERIFY(atStart == Keying::Shape);
        QVERIFY(started);
        // With a compositor nothing is cut away (the alpha channel keys), the cube alone
        // takes the mouse.
        QCOMPARE(boundingWith, QRegion(whole));
        QVERIFY(!inputWith.isEmpty() && inputWith != QRegion(whole));
        QVERIFY(stopped);
        // Without, the cube's outline is the window again: no black square around it.
        QVERIFY(!boundingWithout.isEmpty() && boundingWithout != QRegion(whole));
        QCOMPARE(boundingWithout, shapeWithout);
    }

    void escapeEndsTheLoopAndOnlyTheFrontFaceChangesFilter()
    {
        TestCube cube;
        // Keys go in between frames, each held for a few frames, as a person's would be.
        int frame = 0;
        const ScopedFrameObserver keys([&] {
            switch (++frame) {
            case 3:
                QTest::keyPress(cube.window(), Qt::Key_F);
                break;
            case 6:
                QTest::keyRelease(cube.window(), Qt::Key_F);
                break;
            case 9:
                QTest::keyPress(cube.window(), Qt::Key_Escape);
                break;
            }
        });
        cube.Show();
        QVERIFY(cubeClosed);
        QVERIFY(cube.isLoaded()); // the one who showed it unloads it
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(cube.Img[0]->getFilter(), 1);
        for (int k = 1; k < 6; ++k)
            QCOMPARE(cube.Img[static_cast<size_t>(k)]->getFilter(), 0);
        QVERIFY(cube.cubeAngle[1] > 0.0f);
        QCOMPARE(cube.lastShapeSource(), frmMain::ShapeSource::Outline);
        QVERIFY(!cube.windowSystemShape().isEmpty());
        cube.Unload();
        QCOMPARE(modOpenGL::glContext(), nullptr);
        QVERIFY(!cube.isLoaded());
    }

    void windowKeysReachTheLoopAsHeld_data()
    {
        // Sent to the cube window between frames: P Page Up pressed, R released, r the
        // release and press the X server repeats a held key with (flagged as repeats),
        // E Escape. `held` is whether each frame after the first event saw Page Up held.
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("held");
        QTest::newRow("held") << "P - - E" << "111";
        QTest::newRow("held with repeats") << "P r r r E" << "1111";
        QTest::newRow("released") << "P R - E" << "100";
        QTest::newRow("released after repeats") << "P r R - E" << "1100";
    }
    void windowKeysReachTheLoopAsHeld()
    {
        QFETCH(QString, events);
        QFETCH(QString, held);
        TestCube cube;
        const QStringList steps = events.split(' ');
        int frame = 0;
        QString seen;
        const ScopedFrameObserver keys([&] {
            if (frame > 0 && frame <= steps.size())
                seen += keyPressed[vk::PageUp] ? '1' : '0';
            if (frame >= steps.size()) {
                keyPressed[vk::Escape] = true;
                return;
            }
            const QString step = steps[frame++];
            QWindow *w = cube.window();
            const auto send = [w](QEvent::Type type, int key, bool repeat) {
                QKeyEvent event(type, key, Qt::NoModifier, QString(), repeat);
                QCoreApplication::sendEvent(w, &event);
            };
            if (step == "P")
                send(QEvent::KeyPress, Qt::Key_PageUp, false);
            else if (step == "R")
                send(QEvent::KeyRelease, Qt::Key_PageUp, false);
            else if (step == "r") {
                send(QEvent::KeyRelease, Qt::Key_PageUp, true);
                send(QEvent::KeyPress, Qt::Key_PageUp, true);
            } else if (step == "E")
                send(QEvent::KeyPress, Qt::Key_Escape, false);
        });
        cube.Show();
        QVERIFY(cubeClosed);
        QCOMPARE(seen.left(held.size()), held);
        cube.Unload();
    }

    // Where the display does not pace the swaps (as on this virtual server), the window
    // holds each frame to the screen's refresh: a spinning cube costs no more frames than
    // can be seen.
    void framesComeNoFasterThanTheRefresh()
    {
        TestCube cube;
        constexpr int kFrames = 30;
        int frame = 0;
        QElapsedTimer clock;
        qint64 elapsed = 0;
        double hertz = 60.0;
        const ScopedFrameObserver count([&] {
            if (++frame == 5) {
                clock.start();
                if (const QScreen *screen = cube.window()->screen(); screen && screen->refreshRate() >= 20)
                    hertz = screen->refreshRate();
            } else if (frame == 5 + kFrames) {
                elapsed = clock.nsecsElapsed();
                keyPressed[vk::Escape] = true;
            }
        });
        cube.Show();
        cube.Unload();
        QVERIFY(elapsed > 0);
        // Never quicker than the refresh; a busy machine may only make it slower.
        const double period = double(elapsed) / kFrames / 1e9;
        QVERIFY2(period > 0.97 / hertz, qPrintable(QStringLiteral("%1 ms a frame at %2 Hz").arg(period * 1e3).arg(hertz)));
    }

    void aSecondShowStartsAfresh()
    {
        TestCube cube;
        int frame = 0;
        const ScopedFrameObserver escapeAt20([&] {
            if (++frame == 20)
                keyPressed[vk::Escape] = true;
        });
        cube.Show();
        cube.Unload();
        QVERIFY(cube.cubeAngle[0] > 0.5f);
        frame = 18;
        cubeClosed = false;
        cube.Show();
        QVERIFY(cubeClosed);
        // Two frames drawn: the angle restarted from 0.
        QVERIFY2(cube.cubeAngle[0] < 0.11f, qPrintable(QString::number(cube.cubeAngle[0])));
        cube.Unload();
        QCOMPARE(modOpenGL::glContext(), nullptr);
    }

    void leftDragMovesTheWindowByTheTwipsArithmetic()
    {
        TestCube cube;
        QPoint placed, grab;
        bool rightStartedDrag = true, rightEndedDrag = false;
        // Only records: the checks come after the loop, so a failing one cannot leave the
        // loop running.
        QTimer::singleShot(300, [&] {
            keyPressed[vk::Escape] = true; // ends the loop after this frame's events
            cube.Form_MouseDown(2, 0, 10, 10);
            rightStartedDrag = cube.dragging;
            // Through the window, as the pointer gives it: a position between pixels (a
            // scaled screen) counts for the pixel it lies in.
            const QPointF at(100.75, 50.75);
            QMouseEvent press(QEvent::MouseButtonPress, at, cube.window()->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(cube.window(), &press);
            grab = QPoint(cube.grabX, cube.grabY);
            QCursor::setPos(400, 300);
            cube.Form_MouseMove(1, 0, 0, 0);
            placed = cube.window()->position();
            cube.Form_MouseUp(2, 0, 0, 0);
            rightEndedDrag = !cube.dragging;
        });
        cube.Show();
        QVERIFY(!rightStartedDrag);
        QCOMPARE(grab, QPoint(host::roundEven(100 * host::twipsPerPixelX()), host::roundEven(50 * host::twipsPerPixelY())));
        QVERIFY(rightEndedDrag);
        QCOMPARE(placed, QPoint(300, 250));
        cube.Unload();
    }

    void closingTheWindowEndsTheLoopWithoutDrawing()
    {
        TestCube cube;
        QTimer::singleShot(300, [&] { cube.window()->close(); });
        cube.Show();
        QVERIFY(cubeClosed);
        QVERIFY(!cube.isLoaded());
        QCOMPARE(modOpenGL::glContext(), nullptr);
        QVERIFY(m_messages.isEmpty());
    }

    void releaseMessagesAreShownWhenTheCubeUnloads()
    {
        TestCube cube;
        const ScopedFrameObserver refuseTheRestore([] {
            // As if the program had switched the display and the mode to go back to were
            // gone: the restore at the release is refused.
            modOpenGL::modeSetByProgram = host::currentDisplayMode();
            modOpenGL::SavedDisplayMode = {};
            keyPressed[vk::Escape] = true;
        });
        cube.Show();
        QVERIFY(cubeClosed);
        QVERIFY(m_messages.isEmpty());
        cube.Unload();
        QCOMPARE(m_messages, QStringList{"Display restore failed."});
        QCOMPARE(modOpenGL::glContext(), nullptr);
    }

    void damagedSideFileClosesTheCubeWithAMessage_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("truncated") << cubetest::bitmapFile(256, 256).left(4000);
        QTest::newRow("negative height") << cubetest::bitmapFile(256, -256, 24, false);
        QTest::newRow("absurd size") << cubetest::bitmapFile(100000, 100000, 24, false);
    }
    void damagedSideFileClosesTheCubeWithAMessage()
    {
        QFETCH(QByteArray, file);
        QTemporaryDir dir;
        QVERIFY(cubetest::writeSideFiles(dir.path()));
        QFile side(dir.filePath(QStringLiteral("Side 3.bmp")));
        QVERIFY(side.open(QIODevice::WriteOnly | QIODevice::Truncate));
        side.write(file);
        side.close();
        frmMain::setSideFolder(dir.path());
        TestCube cube;
        cube.Show(); // returns at once: nothing to run
        QVERIFY(cubeClosed);
        QVERIFY(!cube.isLoaded());
        QCOMPARE(modOpenGL::glContext(), nullptr);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY2(m_messages[0].contains(QStringLiteral("Side 3.bmp")), qPrintable(m_messages[0]));
    }

    void missingSideFileShowsBlankFace()
    {
        QTemporaryDir dir;
        QVERIFY(cubetest::writeSideFiles(dir.path()));
        QVERIFY(QFile::remove(dir.filePath(QStringLiteral("Side 6.bmp"))));
        frmMain::setSideFolder(dir.path());
        TestCube cube;
        QTimer::singleShot(200, [&] { keyPressed[vk::Escape] = true; });
        cube.Show();
        QVERIFY(cubeClosed);
        QVERIFY(m_messages.isEmpty());
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("Side 6.bmp"))));
        cube.Unload();
    }

private:
    void makeSurface(bool setUp = true)
    {
        m_surface = std::make_unique<host::GlForm>();
        m_surface->setDesignSize(533, 533);
        m_surface->setCaption(QStringLiteral("surface"));
        m_surface->Load();
        m_surface->setCaption(QStringLiteral("surface"));
        if (setUp)
            QCOMPARE(modOpenGL::SetupGLWindow(*m_surface, 640, 480, 32, false), QString());
    }

    QTemporaryDir m_sides;
    QStringList m_messages;
    std::unique_ptr<host::GlForm> m_surface;
    QTimer m_watchdog;
    int m_freshSwapInterval = 0;
    bool m_watchdogFired = false;
};

QTEST_MAIN(CubeTest)
#include "tst_cube.moc"
