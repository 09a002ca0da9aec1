// The X server as the cube window's tests see it: a compositing manager that comes and goes
// (only the selection it owns, which is what programs look at) and the shapes a window holds.
#pragma once

#include <QRegion>
#include <memory>

namespace cubetest {

class FakeCompositor
{
public:
    FakeCompositor();
    ~FakeCompositor();
    // False without an X display.
    bool start();
    void stop();

private:
    struct Connection;
    std::unique_ptr<Connection> m_x;
};

// The window's bounding and input shapes (the whole window when none is set).
QRegion boundingShape(unsigned long window);
QRegion inputShape(unsigned long window);
// Colour depth of the window's visual: 32 with an alpha channel.
int windowDepth(unsigned long window);

} // namespace cubetest
