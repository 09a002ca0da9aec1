// What the program tells screen readers: while an Announcements lives, every accessibility
// event Qt would pass on to them is kept here instead.
#pragma once

#include <QAccessible>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QList>
#include <QObject>
#include <cstring>

namespace a11ytest {

class Announcements
{
public:
    struct Heard
    {
        QObject *object;
        QAccessible::Event type;
        QAccessible::State changed; // what a state change names
    };

    // Qt passes events on only while a screen reader listens, which its platform layer
    // says: switched on here as the screen reader's arrival does.
    Announcements() : m_wasActive(QAccessible::isActive()), m_previous(QAccessible::installUpdateHandler(&record))
    {
        current() = this;
        setActive(true);
    }
    ~Announcements()
    {
        setActive(m_wasActive);
        QAccessible::installUpdateHandler(m_previous);
        current() = nullptr;
    }
    Announcements(const Announcements &) = delete;
    Announcements &operator=(const Announcements &) = delete;

    int count(const QObject *object, QAccessible::Event type) const
    {
        int n = 0;
        for (const Heard &h : heard)
            n += h.object == object && h.type == type;
        return n;
    }
    // The state changes told of `object`, merged.
    QAccessible::State changedStates(const QObject *object) const
    {
        static_assert(sizeof(QAccessible::State) == sizeof(quint64));
        quint64 all = 0;
        for (const Heard &h : heard) {
            if (h.object == object && h.type == QAccessible::StateChanged) {
                quint64 bits = 0;
                std::memcpy(&bits, &h.changed, sizeof bits);
                all |= bits;
            }
        }
        QAccessible::State merged;
        std::memcpy(static_cast<void *>(&merged), &all, sizeof all);
        return merged;
    }

    QList<Heard> heard;

private:
    static void setActive(bool active)
    {
        if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platformIntegration()->accessibility())
            platform->setActive(active);
    }
    static Announcements *&current()
    {
        static Announcements *listening = nullptr;
        return listening;
    }
    static void record(QAccessibleEvent *event)
    {
        if (!current())
            return;
        QAccessible::State changed;
        if (event->type() == QAccessible::StateChanged)
            changed = static_cast<QAccessibleStateChangeEvent *>(event)->changedStates();
        current()->heard.append({event->object(), event->type(), changed});
    }

    bool m_wasActive;
    QAccessible::UpdateHandler m_previous;
};

} // namespace a11ytest
