#include "widgetform.h"

#include "screenfit.h"

#include <QCloseEvent>
#include <QWindow>

namespace host {

// The top-level widget: hands the window manager's close request to the form.
class WidgetForm::Window : public QWidget
{
public:
    explicit Window(WidgetForm &form) : m_form(form), m_screens([this] { keepOnScreen(); }) {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        m_form.queueCloseRequest();
    }

    bool event(QEvent *event) override
    {
        if (event->type() == QEvent::ScreenChangeInternal)
            keepFixedSize();
        return QWidget::event(event);
    }

private:
    // On a monitor of another scale a window of fixed size keeps its size in window pixels.
    // The window manager holds the size limits in device pixels, as given for the old
    // scale, and kept the window at them; they are given again for the new scale.
    void keepFixedSize()
    {
        QWindow *window = windowHandle();
        const QSize fixed = minimumSize();
        if (!window || fixed != maximumSize())
            return;
        window->setMinimumSize(QSize(0, 0));
        window->setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        window->setMinimumSize(fixed);
        window->setMaximumSize(fixed);
        resize(fixed);
    }

    // A window that a change of the screens left on none comes onto the nearest.
    void keepOnScreen()
    {
        if (!isVisible())
            return;
        const QRect frame = frameGeometry();
        const QPoint to = positionOnScreens(frame, currentScreens());
        if (to != frame.topLeft())
            move(to);
    }

    WidgetForm &m_form;
    ScreenWatch m_screens;
};

namespace {
// The form's handlers are connected to its controls' signals; once the window is on its
// way out (or the form itself is), a control's last signals must not reach them.
void silence(QWidget *window)
{
    window->blockSignals(true);
    for (QObject *child : window->findChildren<QObject *>())
        child->blockSignals(true);
}
} // namespace

WidgetForm::WidgetForm() = default;

WidgetForm::~WidgetForm()
{
    if (m_widget)
        silence(m_widget.get());
}

void WidgetForm::createNativeWindow()
{
    m_widget = std::make_unique<Window>(*this);
    createControls(m_widget.get());
}

void WidgetForm::destroyNativeWindow()
{
    // Deleted later: the unload may be running inside one of the window's own handlers.
    if (QWidget *w = m_widget.release()) {
        silence(w);
        w->hide();
        w->deleteLater();
    }
}

void WidgetForm::setNativeVisible(bool visible)
{
    if (m_widget)
        m_widget->setVisible(visible);
}

bool WidgetForm::nativeVisible() const
{
    return m_widget && m_widget->isVisible();
}

} // namespace host
