// Window objects as the program's windows expect them: load, show, hide and unload, with
// the handlers Form_Load and Form_Unload. Showing an unloaded window loads it first, and
// its load handler runs to its end before Show returns. The native window (a QWidget or a
// QWindow) is made by the subclass.
#pragma once

#include <memory>

class QObject;

namespace host {

class HostForm
{
public:
    HostForm();
    virtual ~HostForm();
    HostForm(const HostForm &) = delete;
    HostForm &operator=(const HostForm &) = delete;

    // Loads the window (native window made, Form_Load run) when it is not loaded yet.
    void Load();
    // Loads when needed, then makes the window visible. Showing a window whose load handler
    // is still running (a nested show) only makes it visible and returns at once.
    void Show();
    void Hide();
    // Runs Form_Unload; unless it cancels, the native window goes and the form is unloaded.
    void Unload();

    bool isLoaded() const { return m_loaded; }
    bool isVisible() const;

    // Number of loaded window objects in the process (what the event pump returns).
    static int openForms();

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(int &cancel) { (void)cancel; }

    // Subclass hooks for the native window.
    virtual void createNativeWindow() = 0;
    virtual void destroyNativeWindow() = 0;
    virtual void setNativeVisible(bool visible) = 0;
    virtual bool nativeVisible() const = 0;

    // For a native close request (the window manager's close button, for instance): runs
    // the unload as if the program had asked for it, from the next round of event
    // processing, since the unload destroys the native window whose handler asks. A request
    // still queued when the form goes is dropped.
    void queueCloseRequest();

private:
    bool m_loaded = false;
    // Receiver of queued close requests; it goes with the form.
    std::unique_ptr<QObject> m_closeReceiver;
};

} // namespace host
