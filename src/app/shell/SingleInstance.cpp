#include "app/shell/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <sys/socket.h>
#include <unistd.h>

namespace tovra::app {

namespace {

constexpr int forwardTimeoutMilliseconds = 2000;
constexpr int readTimeoutMilliseconds = 2000;

bool isSameUser(const QLocalSocket &socket)
{
    ucred credentials {};
    socklen_t length = sizeof(credentials);
    return getsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &credentials, &length) == 0
        && credentials.uid == getuid();
}

// The folder holding the socket: ours alone, so nobody else can put a socket
// of their own in its place.
bool preparePrivateFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    const QFileInfo info(folder);
    if (info.isSymLink() || info.ownerId() != getuid())
        return false;
    return QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace

QString SingleInstance::defaultSocketPath()
{
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    const QString folder = runtime.isEmpty() ? QDir::tempPath() + QStringLiteral("/tovra-%1").arg(getuid())
                                             : runtime + QStringLiteral("/tovra");
    return folder + QStringLiteral("/app.sock");
}

SingleInstance::SingleInstance(QString socketPath, QObject *parent)
    : QObject(parent)
    , m_socketPath(std::move(socketPath))
{
}

SingleInstance::~SingleInstance() = default;

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

bool SingleInstance::forwardToRunningInstance(const Request &request) const
{
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(forwardTimeoutMilliseconds))
        return false;
    const QByteArray message = encode(request);
    socket.write(message);
    // The end of the message is the end of the connection.
    socket.disconnectFromServer();
    return socket.state() == QLocalSocket::UnconnectedState
        || socket.waitForDisconnected(forwardTimeoutMilliseconds);
}

bool SingleInstance::listen()
{
    if (!preparePrivateFolder(QFileInfo(m_socketPath).path()))
        return false;
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::accept);
    if (m_server->listen(m_socketPath))
        return true;
    // A socket left by an app that ended without cleaning up: nobody answers
    // on it (forwarding failed before), so it is ours to replace.
    QLocalServer::removeServer(m_socketPath);
    return m_server->listen(m_socketPath);
}

void SingleInstance::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        if (!isSameUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        connect(socket, &QLocalSocket::disconnected, this, [this, socket] { read(socket); });
        connect(socket, &QLocalSocket::readyRead, this, [socket] {
            if (socket->bytesAvailable() > maximumMessageBytes)
                socket->abort();
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
}

} // namespace tovra::app
