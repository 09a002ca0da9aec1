#include "screenfit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <limits>

namespace host {

namespace {
// Squared distance from `point` to the nearest point of `rect` (0 inside it).
double distanceSquared(const QPointF &point, const QRectF &rect)
{
    const double dx = std::max({rect.left() - point.x(), 0.0, point.x() - rect.right()});
    const double dy = std::max({rect.top() - point.y(), 0.0, point.y() - rect.bottom()});
    return dx * dx + dy * dy;
}

// The start of a span of `length` moved into [low, low + room): its own start when it
// fits there, else as far as it needs, never before `low`.
int fitted(int start, int length, int low, int room)
{
    return std::max(low, std::min(start, low + room - length));
}
} // namespace

QPoint positionOnScreens(const QRect &frame, const std::vector<ScreenArea> &screens)
{
    // The centre in exact coordinates: a window one pixel wide has its centre in that pixel.
    const QPointF centre(frame.x() + frame.width() / 2.0, frame.y() + frame.height() / 2.0);
    const ScreenArea *nearest = nullptr;
    double best = std::numeric_limits<double>::infinity();
    for (const ScreenArea &screen : screens) {
        if (screen.geometry.isEmpty())
            continue;
        if (QRectF(screen.geometry).contains(centre))
            return frame.topLeft();
        const double d = distanceSquared(centre, QRectF(screen.geometry));
        if (d < best) {
            best = d;
            nearest = &screen;
        }
    }
    if (!nearest)
        return frame.topLeft();
    const QRect area = nearest->available.isEmpty() ? nearest->geometry : nearest->available;
    return QPoint(fitted(frame.x(), frame.width(), area.x(), area.width()),
                  fitted(frame.y(), frame.height(), area.y(), area.height()));
}

std::vector<ScreenArea> currentScreens()
{
    std::vector<ScreenArea> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.push_back({screen->geometry(), screen->availableGeometry()});
    return screens;
}

ScreenWatch::ScreenWatch(std::function<void()> changed) : m_settle(std::make_unique<QTimer>())
{
    m_settle->setSingleShot(true);
    // Outputs change in several steps (each a signal), and the window manager may move
    // windows itself meanwhile: the callback sees the end of it.
    m_settle->setInterval(250);
    QTimer *settle = m_settle.get();
    QObject::connect(settle, &QTimer::timeout, settle, std::move(changed));
    const auto restart = [settle] { settle->start(); };
    const auto watch = [settle, restart](QScreen *screen) {
        QObject::connect(screen, &QScreen::geometryChanged, settle, restart);
        QObject::connect(screen, &QScreen::availableGeometryChanged, settle, restart);
    };
    for (QScreen *screen : QGuiApplication::screens())
        watch(screen);
    if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance())) {
        QObject::connect(app, &QGuiApplication::screenAdded, settle, [watch, restart](QScreen *screen) {
            watch(screen);
            restart();
        });
        QObject::connect(app, &QGuiApplication::screenRemoved, settle, restart);
    }
}

ScreenWatch::~ScreenWatch() = default;

} // namespace host
