// Clicks on the tray icon as the desktop's notification area reports them. An area that
// embeds the icon (XEmbed: trayer, tint2, older panels) reports a single click and a double
// click; one that hosts it through the session bus (StatusNotifierItem: xfce4-panel 4.18,
// KDE Plasma, LXQt, waybar) reports one activation per click and never a double click.
#pragma once

#include <QSystemTrayIcon>
#include <functional>

class QObject;

namespace app {

enum class TrayHost { Embedding, StatusNotifier };
enum class TrayAction { None, RestorePicker };

// What a report from the icon does: the double click restores the picker where the area
// delivers one; where it never does, a click does. The menu is the right button's (Qt
// shows it), the middle button does nothing.
TrayAction trayAction(QSystemTrayIcon::ActivationReason reason, TrayHost host);

// Asks the session bus, without waiting for the answer, whether a StatusNotifier watcher
// is there (as Qt does when it makes the icon); `answer` gets the host kind while `context`
// lives. Without a session bus the answer, Embedding, comes at once.
void findTrayHost(QObject *context, std::function<void(TrayHost)> answer);

} // namespace app
