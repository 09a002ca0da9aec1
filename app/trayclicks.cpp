#include "trayclicks.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace app {

TrayAction trayAction(QSystemTrayIcon::ActivationReason reason, TrayHost host)
{
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return TrayAction::RestorePicker;
    case QSystemTrayIcon::Trigger:
        return host == TrayHost::StatusNotifier ? TrayAction::RestorePicker : TrayAction::None;
    default:
        return TrayAction::None;
    }
}

void findTrayHost(QObject *context, std::function<void(TrayHost)> answer)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        answer(TrayHost::Embedding);
        return;
    }
    QDBusMessage ask = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                      QStringLiteral("/org/freedesktop/DBus"),
                                                      QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << QStringLiteral("org.kde.StatusNotifierWatcher");
    // Owned by `context`, and gone with it or once answered.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(ask), context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, context,
                     [answer = std::move(answer)](QDBusPendingCallWatcher *call) {
                         const QDBusPendingReply<bool> reply = *call;
                         call->deleteLater();
                         answer(reply.isValid() && reply.value() ? TrayHost::StatusNotifier : TrayHost::Embedding);
                     });
}

} // namespace app
