// One running copy per user session. The first copy listens on a local socket in the user's
// runtime folder; a later start finds it there, asks it to bring its picker to the front and
// ends. A socket file left by a copy that was killed answers nobody and is replaced.
//
// Plain POSIX sockets watched by the event loop: this runs on every start, before the picker
// is shown, and a network library would be loaded for it alone.
#pragma once

#include <QString>
#include <functional>
#include <map>
#include <memory>

class QSocketNotifier;

namespace app {

class SingleInstance
{
public:
    // `socketPath` empty: "vexorin.socket" in the user's runtime folder ($XDG_RUNTIME_DIR).
    explicit SingleInstance(QString socketPath = QString());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    enum Outcome {
        First,     // no other copy runs: this one now listens
        Forwarded, // a running copy was asked to come to the front: end this one
        Alone,     // the socket could not be set up: run anyway, unguarded
    };
    Outcome start();

    // Called (on the UI thread) each time a later start asks this copy to show itself.
    void setActivationHandler(std::function<void()> handler) { m_onActivate = std::move(handler); }

    QString socketPath() const { return m_path; }
    static QString defaultSocketPath();

private:
    struct Client;
    void acceptConnections();
    void readClient(int fd);

    QString m_path;
    int m_listener = -1;
    std::unique_ptr<QSocketNotifier> m_listening;
    std::map<int, std::unique_ptr<Client>> m_clients;
    std::function<void()> m_onActivate;
};

} // namespace app
