#include "cube_x11.h"

#include <QByteArray>
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>

namespace cubetest {

struct FakeCompositor::Connection
{
    Display *display = nullptr;
    Window owner = 0;
};

FakeCompositor::FakeCompositor() : m_x(std::make_unique<Connection>()) {}

FakeCompositor::~FakeCompositor()
{
    stop();
    if (m_x->display)
        XCloseDisplay(m_x->display);
}

bool FakeCompositor::start()
{
    if (!m_x->display)
        m_x->display = XOpenDisplay(nullptr);
    Display *display = m_x->display;
    if (!display)
        return false;
    if (!m_x->owner)
        m_x->owner = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 1, 1, 0, 0, 0);
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(DefaultScreen(display));
    XSetSelectionOwner(display, XInternAtom(display, name.constData(), False), m_x->owner, CurrentTime);
    XSync(display, False);
    return true;
}

void FakeCompositor::stop()
{
    if (!m_x->display || !m_x->owner)
        return;
    // The owner's window going away gives the selection up, as a compositor's exit does.
    XDestroyWindow(m_x->display, m_x->owner);
    m_x->owner = 0;
    XSync(m_x->display, False);
}

namespace {
QRegion shape(unsigned long window, int kind)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return QRegion();
    int count = 0, ordering = 0;
    XRectangle *rects = XShapeGetRectangles(display, window, kind, &count, &ordering);
    QRegion region;
    for (int i = 0; i < count; ++i)
        region += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    if (rects)
        XFree(rects);
    XCloseDisplay(display);
    return region;
}
} // namespace

QRegion boundingShape(unsigned long window)
{
    return shape(window, ShapeBounding);
}

QRegion inputShape(unsigned long window)
{
    return shape(window, ShapeInput);
}

int windowDepth(unsigned long window)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    XWindowAttributes attributes{};
    const int depth = XGetWindowAttributes(display, window, &attributes) ? attributes.depth : 0;
    XCloseDisplay(display);
    return depth;
}

} // namespace cubetest
