// One running copy per display. The first copy on a display listens on a local socket in a
// folder only its user may enter; a later start on the same display finds it there, asks it
// to bring its picker to the front and ends. A socket file left by a copy that was killed
// answers nobody and is replaced; a copy that takes the request but does not answer within
// a few seconds is stuck, and the later start runs on its own.
//
// Nothing another user could own or plant is ever talked to or made: the folder must be the
// user's own and closed to everyone else, links are refused, and both ends check that the
// other runs as the same user. When that cannot be had the program runs unguarded rather
// than trust it.
//
// Plain POSIX sockets watched by the event loop: this runs on every start, before the picker
// is shown, and a network library would be loaded for it alone.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <sys/types.h>

class QSocketNotifier;
class QTimer;

namespace app {

class SingleInstance
{
public:
    // `socketPath` empty: defaultSocketPath(). A socket whose folder is not private to the
    // user is never used.
    explicit SingleInstance(QString socketPath = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    enum Outcome {
        First,     // no other copy runs on this display: this one now listens
        Forwarded, // a running copy was asked to come to the front: end this one
        Alone,     // no safe socket could be had, or the running copy is stuck: run anyway, unguarded
    };
    Outcome start();

    // Called (on the UI thread) each time a later start asks this copy to show itself.
    void setActivationHandler(std::function<void()> handler) { m_onActivate = std::move(handler); }

    QString socketPath() const { return m_path; }
    // Removes the socket file when it is still the one this copy made (the program's End
    // leaves without running destructors).
    void removeSocket();

    // "vexorin-<display>.socket" in privateFolder(); empty when there is no private folder.
    static QString defaultSocketPath();
    // A file-name-safe key for the display this process shows on: the Wayland socket on
    // Wayland, else the X display without its screen number (":11.0" and ":11" are one).
    static QString displayKey(const QString &platform, const QByteArray &display, const QByteArray &waylandDisplay);
    // $XDG_RUNTIME_DIR when it is private (see isPrivateFolder), else "vexorin-<uid>" in
    // `tempFolder`, made when missing; empty when neither is private.
    static QString privateFolder(const QByteArray &runtimeDir, const QString &tempFolder);
    // A real folder (not a link) owned by this user, which no one else may enter or change.
    static bool isPrivateFolder(const QString &folder);

    // At most this many later starts are heard at once; one that says nothing within the
    // idle time is dropped.
    static constexpr int kMaxClients = 4;
    static constexpr int kIdleMs = 1000;

private:
    struct Client;
    void acceptConnections();
    void readClient(quint64 id);
    void dropClient(quint64 id);
    void updateListening();

    QString m_path;
    int m_listener = -1;
    dev_t m_socketDevice = 0; // the socket file this copy made
    ino_t m_socketInode = 0;
    std::unique_ptr<QSocketNotifier> m_listening;
    // Out of descriptors: listening rests a moment instead of waking at once for a
    // connection it cannot take.
    std::unique_ptr<QTimer> m_resting;
    std::map<quint64, std::unique_ptr<Client>> m_clients;
    quint64 m_nextClient = 0;
    std::function<void()> m_onActivate;
};

} // namespace app
