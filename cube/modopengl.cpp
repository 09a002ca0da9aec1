#include "modopengl.h"

#include "glform.h"

#include <QOpenGLContext>
#include <QWindow>
#include <GL/gl.h>
#include <GL/glu.h>
#include <memory>
#include <utility>

namespace modOpenGL {

SetupError::SetupError(QStringList messages)
    : std::runtime_error(messages.isEmpty() ? std::string() : messages.last().toStdString())
    , m_messages(std::move(messages))
{
    Q_ASSERT(!m_messages.isEmpty());
}

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

QString RestoreDisplayMode()
{
    const host::DisplayMode set = std::exchange(modeSetByProgram, host::DisplayMode{});
    if (!shouldRestoreDisplayMode(set, host::currentDisplayMode()))
        return QString();
    if (!host::changeDisplayMode(SavedDisplayMode))
        return QStringLiteral("Display restore failed.");
    return QString();
}

QString SetupGLWindow(host::GlForm &window, std::int16_t width, std::int16_t height,
                      std::int16_t bits, bool fullscreen)
{
    QString notice;
    // A failure after a refused full-screen mode carries the refusal along, so the user
    // hears of both in the order they came.
    const auto fail = [&notice](const char *message) {
        QStringList messages;
        if (!notice.isEmpty())
            messages << notice;
        messages << QLatin1String(message);
        return SetupError(std::move(messages));
    };

    if (fullscreen) {
        if (!EnterFullscreenMode(width, height, bits)) {
            notice = QStringLiteral("Could not set fullscreen mode.  App will continue in windowed mode.");
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
    if (!native || !native->supportsOpenGL())
        throw fail("Could not get desired Pixel Format");
    if (!native->handle()) {
        QSurfaceFormat format = native->requestedFormat();
        if (bits >= 32)
            format.setAlphaBufferSize(8);
        native->setFormat(format);
        native->create();
    }
    if (!native->handle())
        throw fail("Could not set desired Pixel Format");

    auto context = std::make_unique<QOpenGLContext>();
    context->setFormat(native->requestedFormat());
    if (!context->create())
        throw fail("Could not create the rendering context");
    contextSlot() = std::move(context);
    if (!glContext()->makeCurrent(native)) {
        // The context stays; the release deletes it.
        throw fail("Could not activate the RC");
    }

    window.Show();
    window.activate();
    ResizeGLView(window.clientDeviceWidth(), window.clientDeviceHeight());
    return notice;
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

QStringList ReleaseGLWindow(host::GlForm &window)
{
    QStringList messages;
    if (window.caption().isEmpty()) {
        if (const QString refusal = RestoreDisplayMode(); !refusal.isEmpty())
            messages << refusal;
        host::ShowCursor(true);
    }
    if (!glContext())
        return messages;
    glContext()->doneCurrent();
    if (QOpenGLContext::currentContext() == glContext())
        messages << QStringLiteral("Release Of DC And RC Failed.");
    contextSlot().reset();
    return messages;
}

} // namespace modOpenGL
