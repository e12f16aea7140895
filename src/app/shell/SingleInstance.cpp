#include "app/shell/SingleInstance.h"

#include "app/shell/ShellLog.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tovra::app {

namespace {

constexpr int readTimeoutMilliseconds = 2000;
// One attempt to connect; a start keeps trying until its whole wait is over.
constexpr int connectAttemptMilliseconds = 250;
constexpr unsigned long retryPauseMilliseconds = 50;
// A start whose running app ended while it tried to hand on its request
// claims the lock again; this many times at most.
constexpr int startAttempts = 3;
constexpr mode_t privateMode = 0700;
constexpr mode_t lockFileMode = 0600;

QString systemError(int errorNumber = errno)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

// Closes the descriptor when it goes out of scope.
class ScopedFd {
public:
    explicit ScopedFd(int fd)
        : m_fd(fd)
    {
    }
    ScopedFd(const ScopedFd &) = delete;
    ScopedFd &operator=(const ScopedFd &) = delete;
    ~ScopedFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const noexcept { return m_fd; }
    int release() noexcept { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

} // namespace

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = runtime.isEmpty() ? QDir::tempPath() + QStringLiteral("/tovra-%1").arg(getuid())
                                             : runtime + QStringLiteral("/tovra");
    return folder + QStringLiteral("/app.sock");
}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : SingleInstance(std::move(socketPath), ::getuid(), parent)
{
}

SingleInstance::SingleInstance(QString socketPath, uid_t user, QObject *parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath))
    , m_user(user)
{
}

SingleInstance::~SingleInstance()
{
    // The socket goes before the lock: a later app that takes the lock finds
    // no socket of ours in its place.
    delete m_server;
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QString SingleInstance::folderPath() const
{
    return QFileInfo(m_socketPath).absolutePath();
}

QString SingleInstance::lockPath() const
{
    return folderPath() + QStringLiteral("/app.lock");
}

QByteArray SingleInstance::encode(const Request &request)
{
    QJsonArray urls;
    for (const QUrl &url : request.urls)
        urls.append(url.toString(QUrl::FullyEncoded));
    return QJsonDocument(QJsonObject { { QStringLiteral("urls"), urls } }).toJson(QJsonDocument::Compact);
}

std::optional<SingleInstance::Request> SingleInstance::decode(const QByteArray &message)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(message, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    if (object.size() != 1 || !object.value(QStringLiteral("urls")).isArray())
        return std::nullopt;
    Request request;
    for (const QJsonValue &value : object.value(QStringLiteral("urls")).toArray()) {
        if (!value.isString())
            return std::nullopt;
        request.urls.append(QUrl(value.toString(), QUrl::StrictMode));
    }
    return request;
}

bool SingleInstance::isPeerOf(int fd, uid_t user)
{
    ucred credentials {};
    socklen_t length = sizeof(credentials);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0 && credentials.uid == user;
}

// Whoever can put something in the folder can stand in for the app: in a
// shared temporary folder another user may have made it first.
std::optional<QString> SingleInstance::prepareFolder() const
{
    const QString folder = folderPath();
    const QByteArray native = QFile::encodeName(folder);
    if (::mkdir(native.constData(), privateMode) != 0 && errno != EEXIST) {
        if (errno != ENOENT || !QDir().mkpath(QFileInfo(folder).absolutePath())
            || (::mkdir(native.constData(), privateMode) != 0 && errno != EEXIST))
            return QStringLiteral("cannot create the folder %1: %2").arg(folder, systemError());
    }
    struct stat link { };
    if (::lstat(native.constData(), &link) == 0 && S_ISLNK(link.st_mode))
        return QStringLiteral("the folder %1 is a symbolic link; it must be a folder of your own")
            .arg(folder);
    // Opened without following a link, so what is checked is what is used.
    const ScopedFd fd(::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ELOOP)
            return QStringLiteral("the folder %1 is a symbolic link; it must be a folder of your own")
                .arg(folder);
        if (errno == ENOTDIR)
            return QStringLiteral("%1 is not a folder").arg(folder);
        return QStringLiteral("cannot open the folder %1: %2").arg(folder, systemError());
    }
    struct stat status { };
    if (::fstat(fd.get(), &status) != 0)
        return QStringLiteral("cannot inspect the folder %1: %2").arg(folder, systemError());
    if (status.st_uid != m_user)
        return QStringLiteral("the folder %1 belongs to user %2, not to you (user %3)")
            .arg(folder)
            .arg(status.st_uid)
            .arg(m_user);
    if ((status.st_mode & 07777) != privateMode && ::fchmod(fd.get(), privateMode) != 0)
        return QStringLiteral("cannot make the folder %1 private: %2").arg(folder, systemError());
    return std::nullopt;
}

bool SingleInstance::claim()
{
    if (m_lockFd >= 0)
        return true;
    if (prepareFolder())
        return false;
    ScopedFd fd(::open(
        QFile::encodeName(lockPath()).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, lockFileMode));
    if (fd.get() < 0 || ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0)
        return false;
    m_lockFd = fd.release();
    return true;
}

bool SingleInstance::isLockHeld() const
{
    const ScopedFd fd(::open(QFile::encodeName(lockPath()).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    if (fd.get() < 0)
        return false;
    if (::flock(fd.get(), LOCK_SH | LOCK_NB) == 0)
        return false;
    return errno == EWOULDBLOCK;
}

SingleInstance::Forwarding SingleInstance::forwardToRunningInstance(
    const Request &request, std::chrono::milliseconds timeout) const
{
    using Outcome = Forwarding::Outcome;
    const QByteArray message = encode(request);
    if (message.size() > maximumMessageBytes)
        return { Outcome::failed,
            QStringLiteral("the links given are %1 bytes long; the running Tovra takes at most %2 bytes at "
                           "once, so none were handed on")
                .arg(message.size())
                .arg(maximumMessageBytes) };
    if (const auto problem = prepareFolder())
        return { Outcome::failed, *problem };

    const QDeadlineTimer deadline(timeout);
    for (;;) {
        if (!isLockHeld())
            return { Outcome::noneRunning, {} };
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        const int attempt
            = int(qMin<qint64>(connectAttemptMilliseconds, qMax<qint64>(1, deadline.remainingTime())));
        if (socket.waitForConnected(attempt)) {
            if (!isPeerOf(int(socket.socketDescriptor()), m_user)) {
                socket.abort();
                return { Outcome::failed,
                    QStringLiteral(
                        "the socket %1 is served by a process of another user; nothing was handed to it")
                        .arg(m_socketPath) };
            }
            socket.write(message);
            // The end of the message is the end of the connection.
            socket.disconnectFromServer();
            if (socket.state() == QLocalSocket::UnconnectedState
                || socket.waitForDisconnected(int(qMax<qint64>(1, deadline.remainingTime()))))
                return { Outcome::delivered, {} };
            return { Outcome::failed,
                QStringLiteral("Tovra runs but did not take the request within %1 s")
                    .arg(timeout.count() / 1000.0) };
        }
        if (deadline.hasExpired())
            return { Outcome::failed,
                QStringLiteral(
                    "Tovra runs but did not answer within %1 s; it was left running, try again later")
                    .arg(timeout.count() / 1000.0) };
        QThread::msleep(retryPauseMilliseconds);
    }
}

bool SingleInstance::listen()
{
    if (!claim())
        return false;
    if (!m_server) {
        m_server = new QLocalServer(this);
        m_server->setSocketOptions(QLocalServer::UserAccessOption);
        connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    }
    if (m_server->isListening())
        return true;
    // Under the lock no other app serves the path: a socket file there was
    // left by an app that ended without cleaning up.
    QLocalServer::removeServer(m_socketPath);
    if (m_server->listen(m_socketPath))
        return true;
    qCWarning(tovraShellLog).noquote() << "cannot listen on" << m_socketPath << "-" << m_server->errorString()
                                       << "; later starts cannot reach this app";
    return false;
}

SingleInstance::Start SingleInstance::start(const Request &request)
{
    using Outcome = Start::Outcome;
    if (const auto problem = prepareFolder())
        return { Outcome::refused, *problem };
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        if (claim()) {
            // Without a socket the app still runs, alone: no other can start.
            listen();
            return { Outcome::runsTheApp, {} };
        }
        const Forwarding forwarding = forwardToRunningInstance(request);
        if (forwarding.outcome == Forwarding::Outcome::delivered)
            return { Outcome::handedOn, {} };
        if (forwarding.outcome == Forwarding::Outcome::failed)
            return { Outcome::refused, forwarding.problem };
    }
    return { Outcome::refused, QStringLiteral("cannot take the lock %1").arg(lockPath()) };
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        ucred peer {};
        socklen_t length = sizeof(peer);
        if (::getsockopt(int(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0
            || peer.uid != m_user) {
            qCWarning(tovraShellLog) << "refused a connection to the app's socket from user" << peer.uid
                                     << "process" << peer.pid;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::readyRead, this, [socket] {
            if (socket->bytesAvailable() > maximumMessageBytes) {
                qCWarning(tovraShellLog) << "dropped a request longer than" << maximumMessageBytes << "bytes";
                socket->abort();
            }
        });
        // A peer that connects and never finishes must not hold the socket.
        QTimer::singleShot(readTimeoutMilliseconds, socket, [socket] { socket->abort(); });
    }
}

void SingleInstance::read(QLocalSocket *socket)
{
    const QByteArray message = socket->readAll();
    socket->deleteLater();
    if (message.size() > maximumMessageBytes)
        return;
    if (const auto request = decode(message))
        emit requested(*request);
    else if (!message.isEmpty())
        qCWarning(tovraShellLog) << "dropped a request that is not one of a later start's";
}

} // namespace tovra::app
