// desktop-backdrop COLOUR: a full-screen window of one colour that window managers keep
// below everything as the desktop (_NET_WM_WINDOW_TYPE_DESKTOP). A virtual X server's root
// colour does not hold once a GL client has drawn; this does. Runs until killed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <cstdio>

int main(int argc, char **argv)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "desktop-backdrop: cannot open the display\n");
        return 1;
    }
    const int screen = DefaultScreen(display);
    XColor colour{};
    if (!XParseColor(display, DefaultColormap(display, screen), argc > 1 ? argv[1] : "#3a6ea5", &colour)
        || !XAllocColor(display, DefaultColormap(display, screen), &colour)) {
        std::fprintf(stderr, "desktop-backdrop: no such colour\n");
        return 1;
    }
    const Window root = RootWindow(display, screen);
    const Window window = XCreateSimpleWindow(display, root, 0, 0, static_cast<unsigned>(DisplayWidth(display, screen)),
                                              static_cast<unsigned>(DisplayHeight(display, screen)), 0, 0, colour.pixel);
    const Atom type = XInternAtom(display, "_NET_WM_WINDOW_TYPE", False);
    const Atom desktop = XInternAtom(display, "_NET_WM_WINDOW_TYPE_DESKTOP", False);
    XChangeProperty(display, window, type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<const unsigned char *>(&desktop),
                    1);
    XStoreName(display, window, "desktop");
    XMapWindow(display, window);
    XLowerWindow(display, window);
    XFlush(display);
    for (XEvent event;;)
        XNextEvent(display, &event);
}
