#include "fontwarmup.h"

#include <fontconfig/fontconfig.h>
#include <system_error>

namespace app {

FontWarmUp::FontWarmUp()
{
    // The configuration is loaded once per process and kept; Qt's own first call finds it
    // there. Loading it is safe on any thread, also beside another first call.
    try {
        m_thread = std::thread([] { FcInit(); });
    } catch (const std::system_error &) {
        // No thread to be had: the fonts load when the first text needs them.
    }
}

void FontWarmUp::wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

FontWarmUp::~FontWarmUp()
{
    wait();
}

} // namespace app
