#include "modopengl.h"

#include "glform.h"
#include "msgbox.h"

#include <QOpenGLContext>
#include <QWindow>
#include <GL/gl.h>
#include <GL/glu.h>
#include <memory>
#include <utility>

namespace modOpenGL {

host::DisplayMode SavedDisplayMode;

host::DisplayMode modeSetByProgram;

namespace {
std::unique_ptr<QOpenGLContext> &contextSlot()
{
    static std::unique_ptr<QOpenGLContext> context;
    return context;
}
} // namespace

QOpenGLContext *glContext()
{
    return contextSlot().get();
}

void SaveDisplayMode()
{
    SavedDisplayMode = host::currentDisplayMode();
}

bool EnterFullscreenMode(std::int16_t width, std::int16_t height, std::int16_t bits)
{
    host::DisplayMode mode;
    mode.width = width;
    mode.height = height;
    mode.bitsPerPixel = bits;
    if (!host::changeDisplayMode(mode))
        return false;
    modeSetByProgram = host::currentDisplayMode();
    return true;
}

bool shouldRestoreDisplayMode(const host::DisplayMode &set, const host::DisplayMode &now)
{
    return set.width != 0 && set == now;
}

void RestoreDisplayMode()
{
    const host::DisplayMode set = std::exchange(modeSetByProgram, host::DisplayMode{});
    if (!shouldRestoreDisplayMode(set, host::currentDisplayMode()))
        return;
    if (!host::changeDisplayMode(SavedDisplayMode))
        host::MsgBox(QStringLiteral("Display restore failed."));
}

bool SetupGLWindow(host::GlForm &window, std::int16_t width, std::int16_t height,
                   std::int16_t bits, bool fullscreen)
{
    if (fullscreen) {
        if (!EnterFullscreenMode(width, height, bits)) {
            host::MsgBox(QStringLiteral(
                "Could not set fullscreen mode.  App will continue in windowed mode."));
        } else {
            window.setCaption(QString());
            window.setBorderless(true);
            host::ShowCursor(false);
            window.showMaximized();
        }
    }

    // Pixel format: the window is an OpenGL surface made with GlForm::surfaceFormat();
    // a window not made yet takes the colour depth asked for here.
    QWindow *native = window.window();
    if (!native || !native->supportsOpenGL()) {
        host::MsgBox(QStringLiteral("Could not get desired Pixel Format"));
        return false;
    }
    if (!native->handle()) {
        QSurfaceFormat format = native->requestedFormat();
        if (bits >= 32)
            format.setAlphaBufferSize(8);
        native->setFormat(format);
        native->create();
    }
    if (!native->handle()) {
        host::MsgBox(QStringLiteral("Could not set desired Pixel Format"));
        return false;
    }

    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(native->requestedFormat());
    if (!context->create()) {
        host::MsgBox(QStringLiteral("Could not create the rendering context"));
        return false;
    }
    contextSlot() = std::move(context);
    if (!glContext()->makeCurrent(native)) {
        // The context stays; the release deletes it.
        host::MsgBox(QStringLiteral("Could not activate the RC"));
        return false;
    }

    window.Show();
    window.activate();
    ResizeGLView(window.clientDeviceWidth(), window.clientDeviceHeight());
    return true;
}

void ResizeGLView(std::int32_t width, std::int32_t height)
{
    // A resize can come before the context exists (the window's first show): nothing to
    // set up then, SetupGLWindow repeats it.
    if (!QOpenGLContext::currentContext())
        return;
    if (height == 0)
        height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(kFieldOfView, static_cast<double>(width) / static_cast<double>(height), kNearPlane,
                   kFarPlane);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void ReleaseGLWindow(host::GlForm &window)
{
    if (window.caption().isEmpty()) {
        RestoreDisplayMode();
        host::ShowCursor(true);
    }
    if (!glContext())
        return;
    glContext()->doneCurrent();
    if (QOpenGLContext::currentContext() == glContext())
        host::MsgBox(QStringLiteral("Release Of DC And RC Failed."));
    contextSlot().reset();
}

} // namespace modOpenGL
