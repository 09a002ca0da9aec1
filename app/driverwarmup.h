// Starts the GL driver loading on a thread of its own as soon as the program runs, so the
// cube window that opens at start-up (or at the first "Show Cube") does not wait for it.
#pragma once

#include <thread>

namespace app {

class DriverWarmUp
{
public:
    // Needs the application object; does nothing where GL cannot be used off the UI thread.
    DriverWarmUp();
    // Waits for the thread: it must be done before the application object goes.
    ~DriverWarmUp();
    DriverWarmUp(const DriverWarmUp &) = delete;
    DriverWarmUp &operator=(const DriverWarmUp &) = delete;

private:
    std::thread m_thread;
};

} // namespace app
