// Windows that a change of the screens leaves where no screen shows them (a monitor
// removed, a resolution lowered) are put back onto the nearest screen that remains.
#pragma once

#include <QPoint>
#include <QRect>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

namespace host {

// One screen in desktop coordinates: all of it, and the part windows may cover (without
// panels and docks).
struct ScreenArea
{
    QRect geometry;
    QRect available;
};

// Where the top-left corner of a window whose frame is `frame` belongs. A window whose
// centre lies on one of `screens` stays where it is; any other is moved fully into the
// available area of the screen nearest its centre (the first of equally near ones), to
// that area's top-left corner in each direction it does not fit. No screens: unchanged.
QPoint positionOnScreens(const QRect &frame, const std::vector<ScreenArea> &screens);

// The application's screens now.
std::vector<ScreenArea> currentScreens();

// Calls `changed` once the screens have settled (a quarter of a second after the last
// change) whenever a screen is added or removed or its geometry or available area
// changes. Nothing is called after the watch is gone.
class ScreenWatch
{
public:
    explicit ScreenWatch(std::function<void()> changed);
    ~ScreenWatch();
    ScreenWatch(const ScreenWatch &) = delete;
    ScreenWatch &operator=(const ScreenWatch &) = delete;

private:
    std::unique_ptr<QTimer> m_settle;
};

} // namespace host
