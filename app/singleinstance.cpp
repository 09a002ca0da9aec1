#include "singleinstance.h"

#include <QDir>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>
#include <unistd.h>

namespace app {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
// A live copy answers at once, even from inside the cube's render loop, which pumps events
// every frame; a socket file nobody listens on refuses the connection at once.
constexpr int kConnectMs = 1000;
constexpr int kLockWaitMs = 3000;
} // namespace

SingleInstance::SingleInstance(QString socketPath)
    : m_path(socketPath.isEmpty() ? defaultSocketPath() : std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultSocketPath()
{
    // Qt makes the runtime folder (0700, the user's own) when the session did not. When it
    // cannot, the shared temporary folder gets a name of the user's own.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        return QDir(QDir::tempPath()).filePath(QStringLiteral("vexorin-%1.socket").arg(::getuid()));
    return QDir(runtime).filePath(QStringLiteral("vexorin.socket"));
}

SingleInstance::Outcome SingleInstance::start()
{
    // Two copies started together would both find no one listening and each take the
    // socket from the other; the lock makes "look, then listen" one step. A lock left by a
    // killed copy is recognised by its process id and taken over.
    QLockFile lock(m_path + QStringLiteral(".lock"));
    const bool locked = lock.tryLock(kLockWaitMs);

    QLocalSocket probe;
    probe.connectToServer(m_path);
    if (probe.waitForConnected(kConnectMs)) {
        probe.write(kActivate);
        probe.waitForBytesWritten(kConnectMs);
        probe.disconnectFromServer();
        return Forwarded;
    }
    if (!locked)
        return Alone;

    // Nobody answered: whatever is left at the path is from a copy that died.
    QLocalServer::removeServer(m_path);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_path)) {
        m_server.reset();
        return Alone;
    }
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] { acceptConnections(); });
    return First;
}

void SingleInstance::acceptConnections()
{
    while (QLocalSocket *client = m_server->nextPendingConnection()) {
        // The server owns the connection until it is deleted; the message is read whole
        // when it has arrived (it is one short line) or when the peer hangs up.
        const auto handle = [this, client] {
            if (!client->canReadLine() && client->state() == QLocalSocket::ConnectedState)
                return;
            const bool activate = client->readAll().startsWith(kActivate.trimmed());
            QObject::disconnect(client, nullptr, m_server.get(), nullptr);
            client->deleteLater();
            if (activate && m_onActivate)
                m_onActivate();
        };
        QObject::connect(client, &QLocalSocket::readyRead, m_server.get(), handle);
        QObject::connect(client, &QLocalSocket::disconnected, m_server.get(), handle);
        if (client->canReadLine())
            handle();
    }
}

} // namespace app
