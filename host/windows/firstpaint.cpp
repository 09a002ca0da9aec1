#include "firstpaint.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace host {

namespace {

class AfterFirstPaint : public QObject
{
public:
    AfterFirstPaint(QWidget *window, std::function<void()> then) : QObject(window), m_then(std::move(then))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // Queued: the paint is on screen only once it has been flushed, after this event.
            QTimer::singleShot(0, watched, [then = std::move(m_then)] { then(); });
            deleteLater();
        }
        return false;
    }

private:
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
