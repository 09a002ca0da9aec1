// What the program tells screen readers: while an Announcements lives, Qt's accessibility is
// switched on (as a screen reader's arrival does, through the platform layer) and every event
// it would pass on is kept here.
#pragma once

#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace a11ytest {

class Announcements
{
public:
    Announcements() : m_previous(QAccessible::installUpdateHandler(&record)) { setActive(this); }
    ~Announcements()
    {
        setActive(nullptr);
        QAccessible::installUpdateHandler(m_previous);
    }
    Announcements(const Announcements &) = delete;
    Announcements &operator=(const Announcements &) = delete;

    // How often `type` was told of `object`; a state change counts only when it names checked.
    int count(const QObject *object, QAccessible::Event type) const
    {
        return int(std::count(m_heard.begin(), m_heard.end(), std::make_pair(object, type)));
    }

private:
    static Announcements *&listening()
    {
        static Announcements *current = nullptr;
        return current;
    }
    static void setActive(Announcements *current)
    {
        listening() = current;
        if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility())
            platform->setActive(current != nullptr);
    }
    static void record(QAccessibleEvent *event)
    {
        if (event->type() == QAccessible::StateChanged &&
            !static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().checked)
            return;
        if (listening())
            listening()->m_heard.append({event->object(), event->type()});
    }

    QList<std::pair<const QObject *, QAccessible::Event>> m_heard;
    QAccessible::UpdateHandler m_previous;
};

} // namespace a11ytest
