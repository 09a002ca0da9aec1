#include "singleinstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
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
const QByteArray kActivate = QByteArrayLiteral("activate");
// A live copy answers at once, even from inside the cube's render loop, which pumps events
// every frame; a socket file nobody listens on refuses the connection at once.
constexpr int kConnectMs = 1000;
constexpr int kLockWaitMs = 3000;
constexpr int kAnswerMs = 3000;
// Longer than any message a copy sends; a peer that says more is not one of ours.
constexpr qsizetype kMessageLimit = 64;
// How long listening rests when the process is out of descriptors.
constexpr int kRestMs = 250;
// The longest display key kept as it is; a longer one is shortened with a hash, so the
// socket's path stays within what an address can hold.
constexpr qsizetype kKeyLimit = 40;

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

// Whether the process at the other end of `fd` runs as this user.
bool peerIsUs(int fd)
{
    ucred peer{};
    socklen_t length = sizeof(peer);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && length == sizeof(peer)
           && peer.uid == ::geteuid();
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
// the process, so a copy killed while holding it leaves nothing to clear. A link or a
// file of someone else's at its place is not used.
Descriptor lockFor(const QString &path)
{
    Descriptor fd(::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                         O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600));
    struct stat st{};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
        return Descriptor();
    const QDeadlineTimer deadline(kLockWaitMs);
    while (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired())
            return Descriptor();
        QThread::msleep(5);
    }
    return fd;
}

enum class Answer {
    Nobody,   // no socket, or one nobody listens on
    Answered, // a copy of this user's heard the request
    Stranger, // something not ours is at the socket's place: leave it alone
    Busy,     // a copy listens but does not answer: leave it be
};

// What is at the socket's place before anything is said to it.
Answer lookAt(const sockaddr_un &address)
{
    struct stat st{};
    if (::lstat(address.sun_path, &st) != 0)
        return errno == ENOENT ? Answer::Nobody : Answer::Stranger;
    if (st.st_uid != ::geteuid())
        return Answer::Stranger;
    return Answer::Nobody; // ours: a live socket answers below, anything else is replaced
}

// Asks a copy listening at `address` to come to the front.
Answer forward(const sockaddr_un &address)
{
    struct stat st{};
    // connect() would follow a link: only a socket file is talked to.
    if (::lstat(address.sun_path, &st) != 0 || !S_ISSOCK(st.st_mode))
        return Answer::Nobody;
    Descriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        return Answer::Nobody;
    // A listener whose queue is full is busy, not gone: try again for a moment.
    const QDeadlineTimer deadline(kConnectMs);
    while (::connect(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0) {
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            return Answer::Nobody; // refused: the socket of a copy that died
        if (deadline.hasExpired())
            return Answer::Busy;
        QThread::msleep(10);
    }
    ucred peer{};
    socklen_t length = sizeof(peer);
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0)
        return Answer::Nobody;
    if (peer.uid != ::geteuid())
        return Answer::Stranger;
    const QByteArray message = kActivate + '\n';
    qsizetype sent = 0;
    while (sent < message.size()) {
        const ssize_t n = ::send(fd.get(), message.constData() + sent, size_t(message.size() - sent), MSG_NOSIGNAL);
        if (n > 0)
            sent += n;
        else if (n < 0 && errno == EAGAIN && waitFor(fd.get(), POLLOUT, kConnectMs))
            continue;
        else if (n < 0 && errno == EINTR)
            continue;
        else
            break;
    }
    // A live copy hangs up once it has read the request, at once even from inside the
    // cube's render loop. One that does not is stuck (on a picture that never finishes
    // loading, say): this start then runs on its own rather than end with nothing shown.
    char rest;
    if (!waitFor(fd.get(), POLLIN, kAnswerMs) || ::recv(fd.get(), &rest, 1, MSG_DONTWAIT) > 0)
        return Answer::Busy;
    return Answer::Answered;
}

QByteArray fileNameSafe(const QByteArray &text)
{
    QByteArray out;
    for (const char c : text) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                           || c == '_' || c == '.';
        out += plain ? c : '_';
    }
    if (out.startsWith('.'))
        out[0] = '_';
    return out;
}
} // namespace

struct SingleInstance::Client
{
    // The notifier or timer may be the one whose signal is being handled when its client is
    // done: it is switched off and deleted from the event loop, before its socket closes.
    struct Later
    {
        void operator()(QSocketNotifier *notifier) const
        {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        void operator()(QTimer *timer) const
        {
            timer->stop();
            timer->deleteLater();
        }
    };
    Descriptor fd;
    std::unique_ptr<QSocketNotifier, Later> notifier;
    std::unique_ptr<QTimer, Later> idle;
    QByteArray said;
    explicit Client(int socket)
        : fd(socket), notifier(new QSocketNotifier(socket, QSocketNotifier::Read)), idle(new QTimer)
    {
        idle->setSingleShot(true);
        idle->setInterval(kIdleMs);
    }
};

SingleInstance::SingleInstance(QString socketPath)
    : m_path(socketPath.isEmpty() ? defaultSocketPath() : std::move(socketPath))
{
}

SingleInstance::~SingleInstance()
{
    m_clients.clear();
    m_listening.reset();
    removeSocket();
}

void SingleInstance::removeSocket()
{
    if (m_listener < 0)
        return;
    ::close(m_listener);
    m_listener = -1;
    // A later copy may have taken the place since (after a killed run's lock was dropped):
    // only the file this copy made is removed.
    const QByteArray name = QFile::encodeName(m_path);
    struct stat st{};
    if (::lstat(name.constData(), &st) == 0 && st.st_dev == m_socketDevice && st.st_ino == m_socketInode)
        ::unlink(name.constData());
}

QString SingleInstance::displayKey(const QString &platform, const QByteArray &display, const QByteArray &waylandDisplay)
{
    QByteArray key;
    if (platform.startsWith(QLatin1String("wayland"))) {
        key = "wayland-" + fileNameSafe(waylandDisplay.isEmpty() ? QByteArrayLiteral("wayland-0") : waylandDisplay);
    } else if (display.contains(':')) {
        // [host]:number[.screen]; "unix" and no host are both this machine.
        const qsizetype colon = display.lastIndexOf(':');
        const QByteArray host = display.left(colon);
        QByteArray number = display.mid(colon + 1);
        if (const qsizetype dot = number.indexOf('.'); dot >= 0)
            number.truncate(dot);
        key = (host.isEmpty() || host == "unix") ? "x" + fileNameSafe(number)
                                                 : "x-" + fileNameSafe(host) + "-" + fileNameSafe(number);
    } else if (!display.isEmpty()) {
        key = "x-" + fileNameSafe(display);
    } else {
        key = fileNameSafe(platform.isEmpty() ? QByteArrayLiteral("none") : platform.toLatin1());
    }
    if (key.size() > kKeyLimit)
        key = key.left(kKeyLimit - 17) + '-'
              + QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex().left(16);
    return QString::fromLatin1(key);
}

bool SingleInstance::isPrivateFolder(const QString &folder)
{
    struct stat st{};
    return !folder.isEmpty() && ::lstat(QFile::encodeName(folder).constData(), &st) == 0 && S_ISDIR(st.st_mode)
           && st.st_uid == ::geteuid() && (st.st_mode & (S_IRWXG | S_IRWXO)) == 0
           && (st.st_mode & S_IRWXU) == S_IRWXU;
}

QString SingleInstance::privateFolder(const QByteArray &runtimeDir, const QString &tempFolder)
{
    const QString runtime = QFile::decodeName(runtimeDir);
    if (QDir::isAbsolutePath(runtime) && isPrivateFolder(runtime))
        return runtime;
    if (tempFolder.isEmpty())
        return QString();
    // A folder of this name made first by someone else is theirs: it is not used.
    const QString own = QDir(tempFolder).filePath(QStringLiteral("vexorin-%1").arg(::geteuid()));
    ::mkdir(QFile::encodeName(own).constData(), 0700);
    return isPrivateFolder(own) ? own : QString();
}

QString SingleInstance::defaultSocketPath()
{
    const QString folder = privateFolder(qgetenv("XDG_RUNTIME_DIR"), QDir::tempPath());
    if (folder.isEmpty())
        return QString();
    const QString key = displayKey(QGuiApplication::platformName(), qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"));
    return QDir(folder).filePath(QStringLiteral("vexorin-%1.socket").arg(key));
}

SingleInstance::Outcome SingleInstance::start()
{
    sockaddr_un address;
    if (m_path.isEmpty() || !isPrivateFolder(QFileInfo(m_path).absolutePath()) || !socketAddress(m_path, address))
        return Alone;
    const Descriptor lock = lockFor(m_path);
    switch (lookAt(address) == Answer::Stranger ? Answer::Stranger : forward(address)) {
    case Answer::Answered:
        return Forwarded;
    case Answer::Stranger:
    case Answer::Busy:
        return Alone;
    case Answer::Nobody:
        break;
    }
    if (lock.get() < 0)
        return Alone;

    // Nobody answered: whatever of ours is left at the path is from a copy that died.
    ::unlink(address.sun_path);
    Descriptor listener(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (listener.get() < 0 || ::bind(listener.get(), reinterpret_cast<const sockaddr *>(&address), sizeof(address)) != 0)
        return Alone;
    // Only the user's own programs may ask this copy anything.
    struct stat st{};
    if (::chmod(address.sun_path, S_IRUSR | S_IWUSR) != 0 || ::lstat(address.sun_path, &st) != 0
        || ::listen(listener.get(), kMaxClients) != 0) {
        ::unlink(address.sun_path);
        return Alone;
    }
    m_socketDevice = st.st_dev;
    m_socketInode = st.st_ino;
    m_listener = listener.release();
    m_listening = std::make_unique<QSocketNotifier>(m_listener, QSocketNotifier::Read);
    QObject::connect(m_listening.get(), &QSocketNotifier::activated, m_listening.get(), [this] { acceptConnections(); });
    m_resting = std::make_unique<QTimer>();
    m_resting->setSingleShot(true);
    m_resting->setInterval(kRestMs);
    QObject::connect(m_resting.get(), &QTimer::timeout, m_resting.get(), [this] { updateListening(); });
    return First;
}

// Listening is switched off while the clients are at their bound or while it rests: a
// pending connection left unaccepted would otherwise wake the loop again and again.
void SingleInstance::updateListening()
{
    if (m_listening)
        m_listening->setEnabled(!m_resting->isActive() && m_clients.size() < size_t(kMaxClients));
}

void SingleInstance::acceptConnections()
{
    while (m_listener >= 0 && m_clients.size() < size_t(kMaxClients)) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
                m_resting->start();
            break; // EAGAIN: no one else is waiting
        }
        if (!peerIsUs(fd)) {
            ::close(fd);
            continue;
        }
        const quint64 id = m_nextClient++;
        auto client = std::make_unique<Client>(fd);
        QObject::connect(client->notifier.get(), &QSocketNotifier::activated, m_listening.get(), [this, id] { readClient(id); });
        QObject::connect(client->idle.get(), &QTimer::timeout, m_listening.get(), [this, id] { dropClient(id); });
        client->idle->start();
        m_clients[id] = std::move(client);
        readClient(id);
    }
    updateListening();
}

void SingleInstance::dropClient(quint64 id)
{
    m_clients.erase(id);
    updateListening();
}

// The message is read whole when it has arrived (it is one short line) or when the peer
// hangs up. Only the word itself, ended by a line end or the hang-up, asks for the picker.
void SingleInstance::readClient(quint64 id)
{
    const auto found = m_clients.find(id);
    if (found == m_clients.end())
        return;
    Client &client = *found->second;
    bool hungUp = false;
    bool failed = false;
    for (;;) {
        char chunk[kMessageLimit];
        const ssize_t n = ::recv(client.fd.get(), chunk, sizeof(chunk), 0);
        if (n > 0) {
            client.said.append(chunk, n);
            if (client.said.contains('\n') || client.said.size() > kMessageLimit)
                break;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else {
            hungUp = n == 0;
            failed = n < 0 && errno != EAGAIN && errno != EWOULDBLOCK;
            break;
        }
    }
    const qsizetype lineEnd = client.said.indexOf('\n');
    if (lineEnd < 0 && !hungUp && !failed && client.said.size() <= kMessageLimit)
        return;
    const bool activate = lineEnd >= 0 ? client.said.left(lineEnd) == kActivate : hungUp && client.said == kActivate;
    dropClient(id); // closes it; the handler below may run a nested event loop
    if (activate && m_onActivate)
        m_onActivate();
}

} // namespace app
