// Starts the font system on a thread of its own as the program starts, so that reading its
// configuration and cache files overlaps the connection to the display instead of holding
// up the first text the picker lays out.
#pragma once

#include <thread>

namespace app {

class FontWarmUp
{
public:
    // Needs nothing of Qt: made before the application object.
    FontWarmUp();
    // Waits for the thread: called before the first text is laid out, the font system is
    // then loaded once, not a second time beside it.
    void wait();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

private:
    std::thread m_thread;
};

} // namespace app
