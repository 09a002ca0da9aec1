#include "glform.h"

#include "keycodes.h"
#include "screenfit.h"
#include "shapemask.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QGuiApplication>
#include <QOpenGLContext>
#include <QPlatformSurfaceEvent>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <thread>
#include <utility>

namespace host {

namespace {
int g_swapInterval = 1;

// On the X11 platform, with Xlib below (the end of this file).
bool onX11();
bool x11CompositorRunning();
enum class X11ShapeKind { Bounding, Input };
void x11SetShape(WId window, X11ShapeKind kind, const QRegion &deviceRegion);
void x11ClearShape(WId window, X11ShapeKind kind);
void x11SuppressShadow(WId window);
int x11WindowDepth(WId window);
QSize x11WindowSize(WId window);
unsigned long x11TopLevel(WId window);
QRegion x11Shape(WId window, X11ShapeKind kind);
bool x11PointerPosition(QPoint &at);

int shiftState(Qt::KeyboardModifiers modifiers)
{
    int state = 0;
    if (modifiers & Qt::ShiftModifier)
        state |= 1;
    if (modifiers & Qt::ControlModifier)
        state |= 2;
    if (modifiers & Qt::AltModifier)
        state |= 4;
    return state;
}

int buttonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int buttonMask(Qt::MouseButtons buttons)
{
    int mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= 1;
    if (buttons & Qt::RightButton)
        mask |= 2;
    if (buttons & Qt::MiddleButton)
        mask |= 4;
    return mask;
}
} // namespace

class GlWindow : public QWindow
{
public:
    explicit GlWindow(GlForm &form) : m_form(form) { setSurfaceType(QSurface::OpenGLSurface); }

protected:
    bool event(QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            auto *key = static_cast<QKeyEvent *>(event);
            // X11 repeats a held key as release/press pairs; the key is still held.
            if (event->type() == QEvent::KeyRelease && key->isAutoRepeat())
                return true;
            const int code = virtualKeyCode(key->key());
            if (code == NoKeyCode)
                return true;
            if (event->type() == QEvent::KeyPress)
                m_form.Form_KeyDown(code, shiftState(key->modifiers()));
            else
                m_form.Form_KeyUp(code, shiftState(key->modifiers()));
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseMove: {
            auto *mouse = static_cast<QMouseEvent *>(event);
            const QPointF at = mouse->position();
            const int x = static_cast<int>(std::floor(at.x()));
            const int y = static_cast<int>(std::floor(at.y()));
            const int shift = shiftState(mouse->modifiers());
            // Where no window manager runs, nothing else brings the window to the front
            // with the keyboard focus when it is clicked.
            if (event->type() == QEvent::MouseButtonPress && !isActive()) {
                raise();
                requestActivate();
            }
            if (event->type() == QEvent::MouseMove) {
                m_form.Form_MouseMove(buttonMask(mouse->buttons()), shift, x, y);
            } else {
                const int button = buttonNumber(mouse->button());
                if (button == 0)
                    return true;
                if (event->type() == QEvent::MouseButtonPress)
                    m_form.Form_MouseDown(button, shift, x, y);
                else
                    m_form.Form_MouseUp(button, shift, x, y);
            }
            return true;
        }
        case QEvent::Close:
            event->ignore();
            m_form.queueCloseRequest();
            return true;
        case QEvent::PlatformSurface:
            if (static_cast<QPlatformSurfaceEvent *>(event)->surfaceEventType()
                == QPlatformSurfaceEvent::SurfaceCreated)
                m_form.surfaceCreated();
            break;
        case QEvent::ScreenChangeInternal:
        case QEvent::Expose:
            // A move to a screen of another scale sends no resize: the drawing area in
            // device pixels changed all the same.
            m_form.checkPixelRatio();
            break;
        default:
            break;
        }
        return QWindow::event(event);
    }

    void resizeEvent(QResizeEvent *) override { m_form.Form_Resize(); }

private:
    GlForm &m_form;
};

void FramePacer::setRefreshRate(double hertz)
{
    if (!(hertz >= 20.0 && hertz <= 1000.0))
        hertz = 60.0;
    m_interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hertz));
}

FramePacer::Clock::duration FramePacer::framePresented(Clock::time_point now)
{
    if (!m_started) {
        m_started = true;
        m_last = m_deadline = now;
        return {};
    }
    const Clock::duration gap = now - m_last;
    m_last = now;
    if (!m_pacing) {
        // A few frames in a row well inside one refresh: the swap did not wait for the
        // display. One fast frame alone may be a swap that caught a refresh just in time.
        m_fastFrames = gap < m_interval / 2 ? m_fastFrames + 1 : 0;
        if (m_fastFrames < 3)
            return {};
        m_pacing = true;
        m_deadline = now;
    }
    // Deadlines a whole interval apart keep the average rate exact; after a stall (a slow
    // frame, a drag, a message box) the schedule starts again from now instead of racing
    // through the frames it missed.
    m_deadline += m_interval;
    if (m_deadline + m_interval < now)
        m_deadline = now + m_interval;
    else if (m_deadline < now)
        m_deadline = now;
    return m_deadline - now;
}

GlForm::GlForm() = default;

GlForm::~GlForm()
{
    // The handlers of a derived form are gone by now: drop the window without them.
    destroyNativeWindow();
}

QSurfaceFormat GlForm::surfaceFormat(Keying keying)
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setDepthBufferSize(16);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setSwapInterval(g_swapInterval);
    if (keying == Keying::Alpha) {
        format.setAlphaBufferSize(8);
        format.setSamples(4);
    }
    return format;
}

void GlForm::preloadDriver()
{
    static bool loaded = false;
    if (loaded)
        return;
    loaded = true;
    QOpenGLContext context;
    context.setFormat(surfaceFormat());
    context.create();
}

int GlForm::setSwapInterval(int interval)
{
    return std::exchange(g_swapInterval, interval);
}

QWindow *GlForm::window() const
{
    return m_window.get();
}

void GlForm::createNativeWindow()
{
    const bool composited = compositedDesktop();
    m_keying = composited ? Keying::Alpha : Keying::Shape;
    m_window = std::make_unique<GlWindow>(*this);
    // On X11 the window always has an alpha channel, so it can follow a compositor that
    // starts or stops while it shows (followDesktop): without one the X server shows the
    // colour channels only, and the shape hides the see-through pixels. Multisampled edges
    // only where a compositor blends them; without, they would darken against the black.
    QSurfaceFormat format = surfaceFormat(Keying::Alpha);
    if (!composited)
        format.setSamples(-1);
    m_window->setFormat(format);
    Qt::WindowFlags flags = Qt::Window;
    if (m_designBorderless)
        flags |= Qt::FramelessWindowHint;
    // An ordinary window of the window manager, which stacks it, focuses it, lists it in
    // the task bar and moves it.
    m_window->setFlags(flags);
    m_window->resize(m_designSize);
    m_shaped = false;
    m_paced = g_swapInterval > 0;
    m_pacer = FramePacer();
    m_screens = std::make_unique<ScreenWatch>([this] { keepOnScreen(); });
    if (onX11()) {
        m_desktopWatch = std::make_unique<QTimer>();
        m_desktopWatch->setInterval(kDesktopCheckInterval);
        QObject::connect(m_desktopWatch.get(), &QTimer::timeout, m_window.get(), [this] { followDesktop(); });
        m_desktopWatch->start();
    }
}

void GlForm::destroyNativeWindow()
{
    // A context left current on the window (a form dropped without its unload) must not
    // outlive the surface it draws on.
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (context && m_window && context->surface() == m_window.get())
        context->doneCurrent();
    m_desktopWatch.reset();
    m_screens.reset();
    m_window.reset();
    m_shaped = false;
}

void GlForm::setNativeVisible(bool visible)
{
    if (!m_window)
        return;
    const bool wasVisible = m_window->isVisible();
    m_window->setVisible(visible);
    // Showing a window that is already shown brings it to the front with the keyboard
    // focus; the window system does that by itself only for a window it maps.
    if (visible && wasVisible)
        activate();
}

bool GlForm::nativeVisible() const
{
    return m_window && m_window->isVisible();
}

QString GlForm::caption() const
{
    return m_window ? m_window->title() : QString();
}

void GlForm::setCaption(const QString &caption)
{
    if (m_window)
        m_window->setTitle(caption);
}

void GlForm::setBorderless(bool borderless)
{
    if (m_window)
        m_window->setFlag(Qt::FramelessWindowHint, borderless);
}

void GlForm::showMaximized()
{
    if (m_window)
        m_window->showMaximized();
}

void GlForm::activate()
{
    if (!m_window)
        return;
    m_window->raise();
    m_window->requestActivate();
}

int GlForm::clientWidth() const
{
    return m_window ? m_window->width() : 0;
}

int GlForm::clientHeight() const
{
    return m_window ? m_window->height() : 0;
}

double GlForm::devicePixelRatio() const
{
    return m_window ? m_window->devicePixelRatio() : 1.0;
}

int GlForm::clientDeviceWidth() const
{
    return static_cast<int>(std::lround(clientWidth() * devicePixelRatio()));
}

int GlForm::clientDeviceHeight() const
{
    return static_cast<int>(std::lround(clientHeight() * devicePixelRatio()));
}

QPoint GlForm::position() const
{
    return m_window ? m_window->position() : QPoint();
}

void GlForm::moveTo(const QPoint &topLeft)
{
    if (m_window)
        m_window->setPosition(topLeft);
}

QPoint GlForm::cursorPosition() const
{
    const QPoint logical = QCursor::pos();
    const QScreen *own = m_window ? m_window->screen() : nullptr;
    if (!own)
        return logical;
    // Each screen keeps its top-left corner in device pixels; only its extent is scaled.
    QPoint device;
    if (!x11PointerPosition(device)) {
        const QScreen *under = QGuiApplication::screenAt(logical);
        const QPoint origin = under ? under->geometry().topLeft() : QPoint();
        device = origin + (logical - origin) * (under ? under->devicePixelRatio() : 1.0);
    }
    const QPoint origin = own->geometry().topLeft();
    return origin + (device - origin) / own->devicePixelRatio();
}

void GlForm::setCapture()
{
    m_captured = true;
    // A Wayland compositor grabs the pointer for the window while a button is held on it,
    // and lets only popups grab it otherwise.
    if (m_window && onX11())
        m_window->setMouseGrabEnabled(true);
}

void GlForm::releaseCapture()
{
    m_captured = false;
    if (m_window && onX11())
        m_window->setMouseGrabEnabled(false);
}

bool GlForm::compositedDesktop()
{
    if (onX11())
        return x11CompositorRunning();
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

bool GlForm::startSystemMove()
{
    // The window manager (or the Wayland compositor) moves the window where it offers to;
    // on X11 that is what _NET_WM_MOVERESIZE in _NET_SUPPORTED says, which Qt checks.
    return m_window && m_window->handle() && m_window->startSystemMove();
}

QSize GlForm::keptWindowSize(const QSize &deviceSize, double previousRatio)
{
    if (!(previousRatio > 0))
        return deviceSize;
    return QSize(static_cast<int>(std::lround(deviceSize.width() / previousRatio)),
                 static_cast<int>(std::lround(deviceSize.height() / previousRatio)));
}

GlForm::Keying GlForm::keyingFor(bool composited, bool surfaceHasAlpha)
{
    return composited && surfaceHasAlpha ? Keying::Alpha : Keying::Shape;
}

void GlForm::keepOnScreen()
{
    if (!m_window || !m_window->isVisible())
        return;
    const QRect frame = m_window->frameGeometry();
    const QPoint to = positionOnScreens(frame, currentScreens());
    if (to != frame.topLeft())
        m_window->setFramePosition(to);
}

void GlForm::refuseShadow()
{
    if (!m_window || !m_window->handle() || !onX11())
        return;
    // A compositor looks for the refusal on the outermost window, which is the window
    // manager's frame around this one once it has taken the window in; the frame changes
    // when the window manager does.
    const unsigned long outer = x11TopLevel(m_window->winId());
    if (outer == m_shadowRefusedOn)
        return;
    m_shadowRefusedOn = outer;
    x11SuppressShadow(m_window->winId());
    if (outer && outer != m_window->winId())
        x11SuppressShadow(outer);
}

void GlForm::followDesktop()
{
    if (!m_window || !m_window->handle())
        return;
    const bool composited = compositedDesktop();
    if (composited)
        refuseShadow();
    const Keying wanted = keyingFor(composited, m_surfaceHasAlpha);
    if (wanted == m_keying)
        return;
    const Keying was = m_keying;
    m_keying = wanted;
    // The last frame's shape moves over to its new role at once: as the visible outline
    // when the compositor went (its see-through pixels would show black otherwise), as
    // only the input region when one came (the outline would otherwise cut its blended
    // edge). The next frame is drawn for the new keying.
    if (onX11()) {
        const WId id = m_window->winId();
        if (was == Keying::Alpha)
            x11ClearShape(id, X11ShapeKind::Input);
        else
            x11ClearShape(id, X11ShapeKind::Bounding);
    }
    if (m_shaped)
        applyShape();
}

void GlForm::setShape(const QRegion &deviceRegion)
{
    if (!m_window)
        return;
    // The window system is asked only when the shape really changed: a request per frame
    // for an unchanged shape would cost more than comparing the bands.
    if (m_shaped && deviceRegion == m_shape)
        return;
    m_shape = deviceRegion;
    m_shaped = true;
    // A window not made yet takes its shape when it is (surfaceCreated).
    if (m_window->handle())
        applyShape();
}

void GlForm::applyShape()
{
    if (onX11()) {
        // In device pixels, as drawn: a shape rounded through window pixels would leave
        // a fringe of keyed-out pixels at a device pixel ratio above 1.
        x11SetShape(m_window->winId(), m_keying == Keying::Alpha ? X11ShapeKind::Input : X11ShapeKind::Bounding,
                    m_shape);
        return;
    }
    if (m_shape.isEmpty()) {
        // An empty mask means "no shape" to the window system, i.e. the whole window:
        // a rectangle outside the window hides all of it instead.
        m_window->setMask(QRegion(-1, -1, 1, 1));
        return;
    }
    m_window->setMask(windowPixelRegion(m_shape, devicePixelRatio()));
}

QRegion GlForm::windowSystemShape() const
{
    if (!m_window || !m_window->handle())
        return QRegion();
    if (onX11())
        return x11Shape(m_window->winId(), m_keying == Keying::Alpha ? X11ShapeKind::Input : X11ShapeKind::Bounding);
    const QRegion mask = m_window->mask();
    if (mask.isEmpty())
        return QRegion(0, 0, clientDeviceWidth(), clientDeviceHeight());
    const double ratio = devicePixelRatio();
    QRegion device;
    for (const QRect &r : mask)
        device += QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
    return device;
}

void GlForm::surfaceCreated()
{
    m_pixelRatio = devicePixelRatio();
    if (onX11()) {
        // The compositor's shadow is refused from the start, so one that comes later
        // draws none either.
        m_shadowRefusedOn = 0;
        refuseShadow();
        m_surfaceHasAlpha = x11WindowDepth(m_window->winId()) == 32;
        m_keying = keyingFor(compositedDesktop(), m_surfaceHasAlpha);
    } else {
        m_surfaceHasAlpha = m_keying == Keying::Alpha;
    }
    if (m_shaped)
        applyShape();
}

void GlForm::checkPixelRatio()
{
    if (!m_window || devicePixelRatio() == m_pixelRatio)
        return;
    const double was = std::exchange(m_pixelRatio, devicePixelRatio());
    // The same device-pixel shape means another window-pixel shape now.
    if (m_shaped && m_window->handle())
        applyShape();
    // The window system kept the window's size in device pixels, which is another size in
    // window pixels on this monitor: the window takes back the size it had in window
    // pixels, as the desktop's other windows do. The device size comes from the window
    // system where it can: Qt's window size is already rounded through the new scale (533
    // device pixels are 267 window pixels at 2x), which would grow the window by one.
    QSize device = onX11() ? x11WindowSize(m_window->winId()) : QSize();
    if (device.isEmpty())
        device = QSize(clientDeviceWidth(), clientDeviceHeight());
    const QSize kept = keptWindowSize(device, was);
    if (!kept.isEmpty() && kept != m_window->size())
        m_window->resize(kept);
    Form_Resize();
    // A drag that carried the window onto a monitor of another scale: Qt has placed it
    // again through the new scale, away from the pointer. The form places it back now
    // rather than at the pointer's next move.
    if (m_captured) {
        const QPointF at = m_window->mapFromGlobal(QCursor::pos());
        Form_MouseMove(buttonMask(QGuiApplication::mouseButtons()), shiftState(QGuiApplication::keyboardModifiers()),
                       static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
    }
}

void GlForm::swapBuffers()
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!context || !m_window || !m_window->handle())
        return;
    // A Wayland compositor ends the connection of a client that presents a frame before it
    // has configured the window (the first configure is what exposes it). X11 takes frames
    // at any time, and a shaped-out window may never be told it is exposed. A frame not
    // presented is still paced, so a hidden window does not spin the loop.
    if (onX11() || m_window->isExposed())
        context->swapBuffers(m_window.get());
    if (!m_paced)
        return;
    m_pacer.setRefreshRate(m_window->screen() ? m_window->screen()->refreshRate() : 0.0);
    // Sleeping here holds events back no longer than a swap that waits for the display.
    const auto wait = m_pacer.framePresented(FramePacer::Clock::now());
    if (wait > FramePacer::Clock::duration::zero())
        std::this_thread::sleep_for(wait);
}

} // namespace host

// Xlib last: its macros (None, KeyPress, Bool ...) would clash with the Qt code above.
#include <QtGui/qguiapplication_platform.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include <algorithm>
#include <limits>
#include <vector>

namespace host {
namespace {

Display *x11Display()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

bool onX11()
{
    return x11Display() != nullptr;
}

bool x11PointerPosition(QPoint &at)
{
    Display *display = x11Display();
    if (!display)
        return false;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX, &windowY, &mask))
        return false;
    at = QPoint(rootX, rootY);
    return true;
}

bool x11CompositorRunning()
{
    Display *display = x11Display();
    if (!display)
        return false;
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    const Atom selection = XInternAtom(display, name.constData(), False);
    return XGetSelectionOwner(display, selection) != None;
}

bool x11HasShape(Display *display)
{
    static const bool has = [display] {
        int event = 0, error = 0;
        return XShapeQueryExtension(display, &event, &error) != False;
    }();
    return has;
}

void x11SetShape(WId window, X11ShapeKind kind, const QRegion &deviceRegion)
{
    Display *display = x11Display();
    if (!display || !window || !x11HasShape(display))
        return;
    constexpr int lo = std::numeric_limits<short>::min(), hi = std::numeric_limits<short>::max();
    std::vector<XRectangle> rects;
    rects.reserve(static_cast<size_t>(deviceRegion.rectCount()));
    for (const QRect &r : deviceRegion) {
        rects.push_back({static_cast<short>(std::clamp(r.x(), lo, hi)), static_cast<short>(std::clamp(r.y(), lo, hi)),
                         static_cast<unsigned short>(std::clamp(r.width(), 0, 0xffff)),
                         static_cast<unsigned short>(std::clamp(r.height(), 0, 0xffff))});
    }
    // No rectangles is an empty shape: nothing shown, or no input taken.
    XShapeCombineRectangles(display, static_cast<Window>(window), kind == X11ShapeKind::Input ? ShapeInput : ShapeBounding,
                            0, 0, rects.data(), static_cast<int>(rects.size()), ShapeSet, YXBanded);
    XFlush(display);
}

void x11SuppressShadow(WId window)
{
    // Compositors draw a shadow under every window's rectangle unless told otherwise; the
    // cube casts none of its own, and one beside it would darken the desktop.
    Display *display = x11Display();
    if (!display || !window)
        return;
    const Atom shadow = XInternAtom(display, "_COMPTON_SHADOW", False);
    const unsigned long off = 0;
    XChangeProperty(display, static_cast<Window>(window), shadow, XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char *>(&off), 1);
    XFlush(display);
}

void x11ClearShape(WId window, X11ShapeKind kind)
{
    Display *display = x11Display();
    if (!display || !window || !x11HasShape(display))
        return;
    // No mask: the whole window again.
    XShapeCombineMask(display, static_cast<Window>(window), kind == X11ShapeKind::Input ? ShapeInput : ShapeBounding, 0,
                      0, None, ShapeSet);
    XFlush(display);
}

int x11WindowDepth(WId window)
{
    Display *display = x11Display();
    XWindowAttributes attributes{};
    if (!display || !window || !XGetWindowAttributes(display, static_cast<Window>(window), &attributes))
        return 0;
    return attributes.depth;
}

QSize x11WindowSize(WId window)
{
    Display *display = x11Display();
    XWindowAttributes attributes{};
    if (!display || !window || !XGetWindowAttributes(display, static_cast<Window>(window), &attributes))
        return QSize();
    return QSize(attributes.width, attributes.height);
}

unsigned long x11TopLevel(WId window)
{
    Display *display = x11Display();
    if (!display || !window)
        return 0;
    const Window root = DefaultRootWindow(display);
    Window at = static_cast<Window>(window);
    for (;;) {
        Window rootReturn = None, parent = None, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(display, at, &rootReturn, &parent, &children, &count))
            return 0;
        if (children)
            XFree(children);
        if (parent == root || parent == None)
            return at;
        at = parent;
    }
}

QRegion x11Shape(WId window, X11ShapeKind kind)
{
    Display *display = x11Display();
    if (!display || !window || !x11HasShape(display))
        return QRegion();
    int count = 0, ordering = 0;
    XRectangle *rects = XShapeGetRectangles(display, static_cast<Window>(window),
                                            kind == X11ShapeKind::Input ? ShapeInput : ShapeBounding, &count, &ordering);
    QRegion region;
    for (int i = 0; i < count; ++i)
        region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    return region;
}

} // namespace
} // namespace host
