// A window object whose native window is a top-level QWidget. The subclass builds its
// controls into widget() in createControls(); a close request from the window manager
// unloads the form the way the program's own Unload does.
#pragma once

#include "hostform.h"

#include <QString>
#include <QWidget>
#include <memory>

namespace host {

class WidgetForm : public HostForm
{
public:
    WidgetForm();
    ~WidgetForm() override;

    // The native window; null while the form is not loaded.
    QWidget *widget() const { return m_widget.get(); }

protected:
    // Called once per load, after the native window exists and before Form_Load.
    virtual void createControls(QWidget *window) { (void)window; }

    void createNativeWindow() override;
    void destroyNativeWindow() override;
    void setNativeVisible(bool visible) override;
    bool nativeVisible() const override;

private:
    class Window;
    std::unique_ptr<QWidget> m_widget;
};

} // namespace host
