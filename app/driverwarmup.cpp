#include "driverwarmup.h"

#include <QOpenGLContext>
#include <system_error>

namespace app {

DriverWarmUp::DriverWarmUp()
{
    // Making a context loads the driver (and its code generator) and sets up its screen;
    // both stay for the process, so the cube's own context is made in a few milliseconds.
    // The context is made and dropped on the thread and shares nothing with anyone: the
    // same use the platform allows for any render thread.
    if (!QOpenGLContext::supportsThreadedOpenGL())
        return;
    try {
        m_thread = std::thread([] {
            QOpenGLContext context;
            context.create();
        });
    } catch (const std::system_error &) {
        // No thread to be had: the driver loads when the cube first needs it.
    }
}

DriverWarmUp::~DriverWarmUp()
{
    if (m_thread.joinable())
        m_thread.join();
}

} // namespace app
