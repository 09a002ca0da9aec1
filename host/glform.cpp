#include "glform.h"

#include "keycodes.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QResizeEvent>
#include <QScreen>
#include <QWindow>
#include <cmath>
#include <thread>

namespace host {

namespace {
int g_swapInterval = 1;

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

QSurfaceFormat GlForm::surfaceFormat()
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

void GlForm::setSwapInterval(int interval)
{
    g_swapInterval = interval;
}

QWindow *GlForm::window() const
{
    return m_window.get();
}

void GlForm::createNativeWindow()
{
    m_window = std::make_unique<GlWindow>(*this);
    m_window->setFormat(surfaceFormat());
    Qt::WindowFlags flags = Qt::Window;
    if (m_designBorderless)
        flags |= Qt::FramelessWindowHint;
    m_window->setFlags(flags);
    m_window->resize(m_designSize);
    m_shaped = false;
    m_paced = g_swapInterval > 0;
    m_pacer = FramePacer();
}

void GlForm::destroyNativeWindow()
{
    // A context left current on the window (a form dropped without its unload) must not
    // outlive the surface it draws on.
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (context && m_window && context->surface() == m_window.get())
        context->doneCurrent();
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

void GlForm::setCapture()
{
    if (m_window)
        m_window->setMouseGrabEnabled(true);
}

void GlForm::releaseCapture()
{
    if (m_window)
        m_window->setMouseGrabEnabled(false);
}

void GlForm::setShape(const QRegion &deviceRegion)
{
    if (!m_window)
        return;
    // The X server is asked only when the shape really changed: a round trip per frame
    // for an unchanged shape would cost more than comparing the bands.
    if (m_shaped && deviceRegion == m_shape)
        return;
    m_shape = deviceRegion;
    m_shaped = true;
    if (deviceRegion.isEmpty()) {
        // An empty mask means "no shape" to the window system, i.e. the whole window:
        // a rectangle outside the window hides all of it instead.
        m_window->setMask(QRegion(-1, -1, 1, 1));
        return;
    }
    const double ratio = devicePixelRatio();
    if (ratio == 1.0) {
        m_window->setMask(deviceRegion);
        return;
    }
    // The window's mask is in window pixels; round each band outwards so no drawn pixel
    // is cut off.
    QRegion scaled;
    for (const QRect &r : deviceRegion) {
        const int left = static_cast<int>(std::floor(r.left() / ratio));
        const int top = static_cast<int>(std::floor(r.top() / ratio));
        const int right = static_cast<int>(std::ceil((r.right() + 1) / ratio));
        const int bottom = static_cast<int>(std::ceil((r.bottom() + 1) / ratio));
        scaled += QRect(left, top, right - left, bottom - top);
    }
    m_window->setMask(scaled);
}

void GlForm::swapBuffers()
{
    QOpenGLContext *context = QOpenGLContext::currentContext();
    if (!context || !m_window || !m_window->handle())
        return;
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
