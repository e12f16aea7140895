#include "app/resolver/ResolverSocketServer.h"

#include "app/resolver/ResolverEnvironmentProviding.h"

#include <QCoreApplication>
#include <QFile>
#include <QMetaObject>

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace tovra {

namespace {

static_assert(sizeof(sockaddr_un::sun_path) >= ResolverSocketServer::socketPathCapacity,
    "the socket address must hold the longest path we accept");

void shutDownAndClose(qint32 descriptor)
{
    ::shutdown(descriptor, SHUT_RDWR);
    ::close(descriptor);
}

} // namespace

ResolverSocketServer::ResolverSocketServer(std::shared_ptr<ObsidianResolutionCoordinator> coordinator,
    QString socketURL, PeerValidator peerValidator, EnvironmentFactory environmentFactory,
    ExistingSocketProbe existingSocketProbe, StatusHandler statusHandler)
    : m_coordinator(std::move(coordinator))
    , m_statusHandler(std::move(statusHandler))
    , m_socketURL(std::move(socketURL))
    , m_peerValidator(std::move(peerValidator))
    , m_environmentFactory(std::move(environmentFactory))
    , m_existingSocketProbe(std::move(existingSocketProbe))
{
    if (!m_environmentFactory)
        m_environmentFactory = [] { return std::make_shared<LiveResolverEnvironment>(); };
    if (!m_existingSocketProbe)
        m_existingSocketProbe = [](const QString &path) { return probeExistingSocket(path); };
    m_acceptQueue.setObjectName(QStringLiteral("dev.tovra.resolver.accept"));
    m_acceptQueue.setMaxThreadCount(1);
    m_acceptQueue.setThreadPriority(QThread::HighPriority);
}

ResolverSocketServer::~ResolverSocketServer() = default;

void ResolverSocketServer::stop()
{
    qint32 listeningSocket = -1;
    std::optional<ResolverSocketIdentity> ownedIdentity;
    {
        const std::lock_guard lock(m_stateLock);
        listeningSocket = std::exchange(m_listeningSocket, -1);
        ownedIdentity = std::exchange(m_ownedSocketIdentity, std::nullopt);
        m_running = false;
    }
    QSet<qint32> clientDescriptors;
    {
        const std::lock_guard lock(m_stateLock);
        clientDescriptors = std::exchange(m_clientDescriptors, {});
    }

    if (listeningSocket >= 0)
        shutDownAndClose(listeningSocket);
    for (const qint32 descriptor : std::as_const(clientDescriptors))
        shutDownAndClose(descriptor);
    if (ownedIdentity)
        removeSocket(m_socketURL, *ownedIdentity);
    publish(ResolverServerStatus::stopped);
}

ResolverExistingSocketState ResolverSocketServer::probeExistingSocket(const QString &path)
{
    return probeExistingSocket(
        path, &connectProbe, [](std::chrono::microseconds pause) { std::this_thread::sleep_for(pause); });
}

ResolverExistingSocketState ResolverSocketServer::probeExistingSocket(
    const QString &path, const ConnectAttempt &connect, const Pause &pause)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? ResolverExistingSocketState::stale : ResolverExistingSocketState::unsafe;
    if (!S_ISSOCK(status.st_mode) || status.st_uid != ::getuid())
        return ResolverExistingSocketState::unsafe;

    for (int attempt = 1;; ++attempt) {
        const int error = connect(path);
        if (error == 0)
            return ResolverExistingSocketState::active;
        if (error == ENOENT)
            return ResolverExistingSocketState::stale;
        if (error != ECONNREFUSED)
            return ResolverExistingSocketState::unsafe;
        // Refused every time: the server that made the file is gone.
        if (attempt == maximumProbeAttempts)
            return ResolverExistingSocketState::stale;
        pause(probeRetryPause);
    }
}

int ResolverSocketServer::connectProbe(const QString &path)
{
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (descriptor < 0)
        return errno;

    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK) < 0) {
        const int error = errno;
        ::close(descriptor);
        return error;
    }

    const QByteArray encodedPath = path.toUtf8();
    if (encodedPath.size() + 1 > socketPathCapacity) {
        ::close(descriptor);
        return ENAMETOOLONG;
    }
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, encodedPath.constData(), static_cast<std::size_t>(encodedPath.size()) + 1);
    const auto addressLength = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + encodedPath.size());

    int result = 0;
    if (::connect(descriptor, reinterpret_cast<const sockaddr *>(&address), addressLength) != 0) {
        result = errno;
        if (result == EAGAIN || result == EINPROGRESS || result == EALREADY) {
            pollfd watched { descriptor, POLLOUT, 0 };
            const int ready = ::poll(&watched, 1, static_cast<int>(connectPollTimeout.count()));
            if (ready > 0) {
                int pendingError = 0;
                socklen_t size = sizeof pendingError;
                result = ::getsockopt(descriptor, SOL_SOCKET, SO_ERROR, &pendingError, &size) == 0
                    ? pendingError
                    : errno;
            } else if (ready == 0) {
                result = ETIMEDOUT;
            } else {
                result = errno;
            }
        }
    }
    ::close(descriptor);
    return result;
}

std::optional<ResolverSocketIdentity> ResolverSocketServer::socketIdentity(const QString &path)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0 || !S_ISSOCK(status.st_mode))
        return std::nullopt;
    return ResolverSocketIdentity { static_cast<quint64>(status.st_dev),
        static_cast<quint64>(status.st_ino) };
}

void ResolverSocketServer::removeSocket(const QString &path, const ResolverSocketIdentity &ownedIdentity)
{
    if (socketIdentity(path) == ownedIdentity)
        QFile::remove(path);
}

void ResolverSocketServer::publish(ResolverServerStatus status) const
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application || !m_statusHandler)
        return;
    // The handler is copied so that a status still queued when the server is
    // destroyed is delivered safely.
    QMetaObject::invokeMethod(
        application, [handler = m_statusHandler, status] { handler(status); }, Qt::QueuedConnection);
}

} // namespace tovra
