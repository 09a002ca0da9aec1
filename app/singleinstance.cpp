#include "singleinstance.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace app {

namespace {
const QByteArray kActivate = QByteArrayLiteral("activate\n");
// A live copy answers at once, even from inside the cube's render loop, which pumps events
// every frame; a socket file nobody listens on refuses the connection at once.
constexpr int kConnectMs = 1000;
constexpr int kLockWaitMs = 3000;
// Longer than any message a copy sends; a peer that says more is not one of ours.
constexpr qsizetype kMessageLimit = 64;

// A file descriptor closed when it goes out of scope.
class Descriptor
{
public:
    explicit Descriptor(int fd = -1) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(Descriptor &&other) noexcept : m_fd(other.release()) {}
    Descriptor &operator=(Descriptor &&) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool socketAddress(const QString &path, sockaddr_un &address)
{
    const QByteArray name = QFile::encodeName(path);
    address = sockaddr_un{};
    address.sun_family = AF_UNIX;
    if (name.isEmpty() || size_t(name.size()) >= sizeof(address.sun_path))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    return true;
}

// Waits up to `ms` for `events` on `fd`, through interruptions.
bool waitFor(int fd, short events, int ms)
{
    const QDeadlineTimer deadline(ms);
    for (;;) {
        pollfd watched{fd, events, 0};
        const int ready = ::poll(&watched, 1, int(deadline.remainingTime()));
        if (ready > 0)
            return (watched.revents & events) != 0;
        if (ready == 0 || errno != EINTR)
            return false;
    }
}

// Two copies started together would both find no one listening and each take the socket
// from the other; the lock makes "look, then listen" one step. The system drops it with
// the process, so a copy killed while holding it leaves nothing to clear.
Descriptor lockFor(const QString &path)
{
    Descriptor fd(::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                         O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (fd.get() < 0)
        return Descriptor();
    const QDeadlineTimer deadline(kLockWaitMs);
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            return Descriptor();
        QThread::msleep(5);
    }
    return fd;
}

// Asks a copy listening at `address` to come to the front; false when nobody answers.
bool forward(const sockaddr_un &address)
{
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return false;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        // A listener whose queue is full is busy, not gone: wait for it a moment.
        if (errno != EAGAIN && errno != EINPROGRESS)
            return false;
        int failure = 0;
        socklen_t length = sizeof(failure);
        if (!waitFor(fd.get(), POLLOUT, kConnectMs)
            || ::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &failure, &length) != 0 || failure != 0)
            return false;
    }
    qsizetype sent = 0;
    while (sent < kActivate.size()) {
        const ssize_t n = ::send(fd.get(), kActivate.constData() + sent, size_t(kActivate.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno == EAGAIN && waitFor(fd.get(), POLLOUT, kConnectMs))
            continue;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    // Connected is what counts: the copy is alive and will come forward or end soon.
    return true;
}

} // namespace

struct SingleInstance::Client
{
    // The notifier may be the one whose signal is being handled when its client is done:
    // it is switched off and deleted from the event loop, before its socket closes.
    struct Later
    {
        void operator()(QSocketNotifier *notifier) const
        {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    };
    Descriptor fd;
    std::unique_ptr<QSocketNotifier, Later> notifier;
    QByteArray said;
    explicit Client(int socket) : fd(socket), notifier(new QSocketNotifier(socket, QSocketNotifier::Read)) {}
};

SingleInstance::SingleInstance(QString socketPath)
    : m_path(socketPath.isEmpty() ? defaultSocketPath() : std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    m_clients.clear();
    m_listening.reset();
    if (m_listener >= 0) {
        ::close(m_listener);
        ::unlink(QFile::encodeName(m_path).constData());
    }
}

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
    sockaddr_un address;
    if (!socketAddress(m_path, address))
        return Alone;
    const Descriptor lock = lockFor(m_path);
    if (forward(address))
        return Forwarded;
    if (lock.get() < 0)
        return Alone;

    // Nobody answered: whatever is left at the path is from a copy that died.
    ::unlink(address.sun_path);
    Descriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (listener.get() < 0 || ::bind(listener.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
        return Alone;
    // Only the user's own programs may ask this copy anything.
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::listen(listener.get(), 8) != 0) {
        ::unlink(address.sun_path);
        return Alone;
    }
    m_listener = listener.release();
    m_listening = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    QObject::connect(m_listening.get(), &QSocketNotifier::activated, m_listening.get(), [this] { acceptConnections(); });
    return First;
}

void SingleInstance::acceptConnections()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR)
                continue;
            return; // EAGAIN: no one else is waiting
        }
        auto client = std::make_unique<Client>(fd);
        QObject::connect(client->notifier.get(), &QSocketNotifier::activated, m_listening.get(), [this, fd] { readClient(fd); });
        m_clients[fd] = std::move(client);
        readClient(fd);
    }
}

// The message is read whole when it has arrived (it is one short line) or when the peer
// hangs up.
void SingleInstance::readClient(int fd)
{
    const auto found = m_clients.find(fd);
    if (found == m_clients.end())
        return;
    Client &client = *found->second;
    bool ended = false;
    for (;;) {
        char chunk[kMessageLimit];
        const ssize_t n = ::recv(fd, chunk, sizeof(chunk), 0);
        if (n > 0) {
            client.said.append(chunk, n);
            if (client.said.contains('\n') || client.said.size() > kMessageLimit)
                break;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            ended = n == 0 || errno != EAGAIN;
            break;
        }
    }
    if (!ended && !client.said.contains('\n') && client.said.size() <= kMessageLimit)
        return;
    const bool activate = client.said.startsWith(kActivate.trimmed());
    m_clients.erase(found); // closes it; the handler below may run a nested event loop
    if (activate && m_onActivate)
        m_onActivate();
}

} // namespace app
