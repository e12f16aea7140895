#include "app/resolver/ResolverResponseWriter.h"

#include <cerrno>
#include <cstddef>

#include <poll.h>
#include <sys/socket.h>

namespace tovra {

ResolverResponseWriter::ResolverResponseWriter(qint32 descriptor)
    : m_descriptor(descriptor)
{
}

bool ResolverResponseWriter::write(QByteArrayView bytes)
{
    const std::lock_guard lock(m_lock);
    if (m_failed)
        return false;
    if (!sendAll(bytes))
        m_failed = true;
    return !m_failed;
}

bool ResolverResponseWriter::failed() const
{
    const std::lock_guard lock(m_lock);
    return m_failed;
}

bool ResolverResponseWriter::sendAll(QByteArrayView bytes) const
{
    const char *next = bytes.data();
    auto remaining = static_cast<std::size_t>(bytes.size());
    while (remaining > 0) {
        // MSG_NOSIGNAL: a peer that has gone away is an EPIPE here, not a
        // SIGPIPE that would end the app.
        const ssize_t sent = ::send(m_descriptor, next, remaining, MSG_NOSIGNAL);
        if (sent > 0) {
            next += sent;
            remaining -= static_cast<std::size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // A non-blocking socket that is full: wait for room as a blocking
            // one would.
            pollfd watched { m_descriptor, POLLOUT, 0 };
            if (::poll(&watched, 1, -1) >= 0 || errno == EINTR)
                continue;
        }
        return false;
    }
    return true;
}

} // namespace tovra
