#include "firstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace host {

namespace {

// A window that is never painted (mapped minimised, or kept off screen by the window
// manager) must not hold the work back for ever.
constexpr int kLatestMs = 2000;

class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then) : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
        QTimer::singleShot(kLatestMs, this, [this] { run(); });
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: the paint is on screen only once it has been flushed, after this event.
            QTimer::singleShot(0, this, [this] { run(); });
        }
        return false;
    }

private:
    void run()
    {
        if (!m_then)
            return;
        parent()->removeEventFilter(this);
        const std::function<void()> then = std::exchange(m_then, nullptr);
        deleteLater();
        then();
    }

    std::function<void()> m_then;
};

} // namespace

void afterFirstPaint(QWidget *window, std::function<void()> then)
{
    if (window)
        new AfterFirstPaint(window, std::move(then)); // owned by the window
    else
        QTimer::singleShot(0, std::move(then));
}

} // namespace host
