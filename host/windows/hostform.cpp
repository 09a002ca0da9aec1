#include "hostform.h"

#include <QObject>

namespace host {

namespace {
int g_openForms = 0;
}

HostForm::HostForm() : m_closeReceiver(std::make_unique<QObject>()) {}

HostForm::~HostForm()
{
    if (m_loaded)
        --g_openForms;
}

int HostForm::openForms()
{
    return g_openForms;
}

void HostForm::Load()
{
    if (m_loaded)
        return;
    createNativeWindow();
    m_loaded = true;
    ++g_openForms;
    Form_Load();
}

void HostForm::Show()
{
    if (!m_loaded) {
        Load();
        // The load handler may have unloaded the window itself (a failed set-up).
        if (!m_loaded)
            return;
    }
    setNativeVisible(true);
}

void HostForm::Hide()
{
    if (m_loaded)
        setNativeVisible(false);
}

bool HostForm::isVisible() const
{
    return m_loaded && nativeVisible();
}

void HostForm::Unload()
{
    if (!m_loaded)
        return;
    int cancel = 0;
    Form_Unload(cancel);
    if (cancel != 0)
        return;
    m_loaded = false;
    --g_openForms;
    destroyNativeWindow();
}

void HostForm::queueCloseRequest()
{
    QMetaObject::invokeMethod(m_closeReceiver.get(), [this] { Unload(); }, Qt::QueuedConnection);
}

} // namespace host
