// Window objects whose whole inner area is an OpenGL drawing surface (the cube window).
// The native window is a QWindow of surface type OpenGL; its key, mouse, resize and close
// events reach the form's named handlers. Keys arrive as virtual-key numbers (keycodes.h),
// mouse buttons as 1 (left), 2 (right), 4 (middle), positions in window pixels.
#pragma once

#include "hostform.h"

#include <QPoint>
#include <QRegion>
#include <QSize>
#include <QString>
#include <QSurfaceFormat>
#include <chrono>
#include <memory>

class QTimer;
class QWindow;

namespace host {

class GlWindow;
class ScreenWatch;

// Keeps frames at the display's refresh rate where a swap interval of 1 is not honoured
// (no vsync: virtual servers, many virtual machines and remote desktops), so per-frame
// steps run at the display's rate and the loop does not spin. Where swaps do wait for the
// display, frames never come faster than the refresh and the pacer never holds one back.
class FramePacer
{
public:
    using Clock = std::chrono::steady_clock;

    // A rate the screen cannot have (unknown, zero, absurd) counts as 60 Hz.
    void setRefreshRate(double hertz);
    Clock::duration interval() const { return m_interval; }
    // A frame was put on screen at `now`: how long to wait before drawing the next one.
    Clock::duration framePresented(Clock::time_point now);

private:
    Clock::duration m_interval = std::chrono::microseconds(16667);
    Clock::time_point m_last{};
    Clock::time_point m_deadline{};
    bool m_started = false;
    bool m_pacing = false;
    int m_fastFrames = 0;
};

class GlForm : public HostForm
{
public:
    GlForm();
    ~GlForm() override;

    // The native window while the form is loaded, else null.
    QWindow *window() const;

    // Design-time look, applied when the native window is made.
    void setDesignSize(int width, int height) { m_designSize = {width, height}; }
    void setDesignBorderless(bool borderless) { m_designBorderless = borderless; }

    QString caption() const;
    void setCaption(const QString &caption);
    void setBorderless(bool borderless);
    void showMaximized();
    // Brings the window to the front and gives it the keyboard focus.
    void activate();

    // Inner size in window pixels, and in device pixels (what a viewport covers).
    int clientWidth() const;
    int clientHeight() const;
    int clientDeviceWidth() const;
    int clientDeviceHeight() const;
    double devicePixelRatio() const;

    QPoint position() const;
    void moveTo(const QPoint &topLeft);
    // The pointer in the coordinates moveTo places the window in. Where monitors differ in
    // scale, Qt's desktop coordinates change scale at each monitor's edge, while a window
    // is placed through the scale of the monitor it is on; the pointer is mapped through
    // that same monitor, so the pointer less a grab offset keeps the window under it.
    QPoint cursorPosition() const;

    // Mouse capture: while set, moves outside the window still arrive.
    void setCapture();
    void releaseCapture();

    // How the desktop shows through around what is drawn. Shape: only the pixels inside
    // the window's shape are shown (X Shape, a 1-bit outline). Alpha: on a compositing
    // desktop the surface has an alpha channel the compositor blends, so edges can be
    // smooth; the shape then only says where the window takes the mouse. It follows the
    // desktop while the window shows: a compositor that starts or stops is noticed within
    // kDesktopCheckInterval, and the window's shape is handed over at once.
    enum class Keying { Shape, Alpha };
    Keying keying() const { return m_keying; }
    // Whether a compositing manager blends windows on this desktop (always so on Wayland).
    static bool compositedDesktop();
    // Alpha only where a compositor blends the window and its surface has an alpha channel
    // (an X server without 32-bit visuals gives none): without either, the shape keys.
    static Keying keyingFor(bool composited, bool surfaceHasAlpha);
    static constexpr int kDesktopCheckInterval = 200; // milliseconds
    // The window's size in window pixels after a move onto a monitor of another scale: the
    // size in window pixels it had before (`deviceSize` at `previousRatio`).
    static QSize keptWindowSize(const QSize &deviceSize, double previousRatio);

    // The window's shape in device pixels: only pixels inside it are shown (with alpha
    // keying: only they take the mouse), the desktop shows through the rest. An empty
    // region shows none of the window.
    void setShape(const QRegion &deviceRegion);
    // The shape the window system holds for the window now, in device pixels (the input
    // region with alpha keying); the whole window while none is set, empty before the
    // native window exists.
    QRegion windowSystemShape() const;

    // Starts a move of the window by the window manager (or the Wayland compositor),
    // following the pointer, where it offers one. False where none does (no window manager
    // runs): the caller moves the window.
    bool startSystemMove();

    // Presents the frame drawn on the current GL context into this window; with a swap
    // interval of 1 it returns no sooner than one refresh after the previous frame.
    void swapBuffers();

    // The surface format the window is made with (and that contexts on it must use); for
    // alpha keying with an alpha channel, multisampled where the window system offers it.
    static QSurfaceFormat surfaceFormat(Keying keying = Keying::Shape);
    // Loads the OpenGL driver into the process ahead of the first GL window (a context
    // made and dropped once). The first GL window otherwise pays for it on its first show,
    // some hundreds of milliseconds with a software renderer. Safe to call any number of
    // times; does nothing after the first call.
    static void preloadDriver();
    // Swap interval for windows made from now on: 1 follows the display's refresh where
    // the display offers it, 0 presents at once (benchmarks). Returns the one it replaces.
    static int setSwapInterval(int interval);

protected:
    virtual void Form_KeyDown(int keyCode, int shift) { (void)keyCode, (void)shift; }
    virtual void Form_KeyUp(int keyCode, int shift) { (void)keyCode, (void)shift; }
    virtual void Form_MouseDown(int button, int shift, int x, int y) { (void)button, (void)shift, (void)x, (void)y; }
    virtual void Form_MouseMove(int button, int shift, int x, int y) { (void)button, (void)shift, (void)x, (void)y; }
    virtual void Form_MouseUp(int button, int shift, int x, int y) { (void)button, (void)shift, (void)x, (void)y; }
    virtual void Form_Resize() {}

    void createNativeWindow() override;
    void destroyNativeWindow() override;
    void setNativeVisible(bool visible) override;
    bool nativeVisible() const override;

private:
    friend class GlWindow;

    void applyShape();
    void surfaceCreated();
    void checkPixelRatio();
    void followDesktop();
    void refuseShadow();
    void keepOnScreen();

    std::unique_ptr<GlWindow> m_window;
    std::unique_ptr<QTimer> m_desktopWatch;
    std::unique_ptr<ScreenWatch> m_screens;
    Keying m_keying = Keying::Shape;
    bool m_surfaceHasAlpha = false;
    unsigned long m_shadowRefusedOn = 0; // the outermost window told to cast no shadow
    double m_pixelRatio = 1.0;
    QSize m_designSize{533, 533};
    bool m_designBorderless = false;
    QRegion m_shape;
    bool m_shaped = false;
    bool m_paced = true;
    bool m_captured = false;
    FramePacer m_pacer;
};

} // namespace host
