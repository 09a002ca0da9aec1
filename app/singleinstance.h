// One running copy per user session. The first copy listens on a local socket in the user's
// runtime folder; a later start finds it there, asks it to bring its picker to the front and
// ends. A socket file left by a copy that was killed answers nobody and is replaced.
#pragma once

#include <QLocalServer>
#include <QString>
#include <functional>
#include <memory>

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
    void acceptConnections();

    QString m_path;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void()> m_onActivate;
};

} // namespace app
