#include "controlhost.h"

#include <QWidget>
#include <utility>

namespace host {

namespace {
bool &ambientFlag()
{
    static bool userMode = true; // the program runs its controls; designers say otherwise
    return userMode;
}
} // namespace

ControlHost::ControlHost(QWidget *control) : QObject(control), m_control(control) {}

void ControlHost::PropertyChanged(const QString &name)
{
    emit propertyChanged(name);
}

QString ControlHost::extenderName() const
{
    return m_control->objectName();
}

QString ControlHost::extenderToolTipText() const
{
    return m_control->toolTip();
}

void ControlHost::setExtenderToolTipText(const QString &text)
{
    m_control->setToolTip(text);
}

bool ControlHost::ambientUserMode()
{
    return ambientFlag();
}

bool ControlHost::setAmbientUserMode(bool userMode)
{
    return std::exchange(ambientFlag(), userMode);
}

} // namespace host
