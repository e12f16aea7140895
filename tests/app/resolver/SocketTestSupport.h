#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>
#include <stdexcept>
#include <string>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace tovra::testing {

// A Unix-domain stream socket bound at a path, closed when the value ends.
// The file it creates stays behind, as it does when a real server dies.
class BoundSocket {
public:
    enum class Mode { bindOnly, listen };

    BoundSocket(const QString &path, Mode mode, int backlog = 16)
    {
        m_descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (m_descriptor < 0)
            throw std::runtime_error("socket() failed");
        const QByteArray encoded = path.toUtf8();
        sockaddr_un address {};
        if (static_cast<std::size_t>(encoded.size()) >= sizeof address.sun_path)
            throw std::runtime_error("path too long for a test socket");
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
        if (::bind(m_descriptor, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
            throw std::runtime_error(
                "bind() failed for " + encoded.toStdString() + ": " + std::strerror(errno));
        if (mode == Mode::listen && ::listen(m_descriptor, backlog) != 0)
            throw std::runtime_error("listen() failed");
    }
    ~BoundSocket() { close(); }
    BoundSocket(const BoundSocket &) = delete;
    BoundSocket &operator=(const BoundSocket &) = delete;

    int descriptor() const { return m_descriptor; }
    int release()
    {
        const int descriptor = m_descriptor;
        m_descriptor = -1;
        return descriptor;
    }
    void close()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
        m_descriptor = -1;
    }

private:
    int m_descriptor = -1;
};

// A path inside `folder` whose UTF-8 form is exactly `byteCount` bytes long.
// The padding uses a three-byte character so that bytes, not characters, are
// what is counted.
inline QString pathOfUtf8Length(const QString &folder, int byteCount)
{
    QString path = folder + QStringLiteral("/套");
    while (path.toUtf8().size() < byteCount)
        path += QLatin1Char('s');
    if (path.toUtf8().size() != byteCount)
        throw std::runtime_error("folder path too long for the requested length");
    return path;
}

} // namespace tovra::testing
