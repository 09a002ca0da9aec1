#include "widgetform.h"

#include <QCloseEvent>

namespace host {

// The top-level widget: hands the window manager's close request to the form.
class WidgetForm::Window : public QWidget
{
public:
    explicit Window(WidgetForm &form) : m_form(form) {}

protected:
    void closeEvent(QCloseEvent *event) override
    {
        event->ignore();
        m_form.queueCloseRequest();
    }

private:
    WidgetForm &m_form;
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
