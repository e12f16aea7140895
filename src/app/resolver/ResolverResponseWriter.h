#pragma once

#include <QByteArrayView>
#include <QtGlobal>

#include <mutex>

namespace tovra {

// Writes the responses of one resolver connection to its socket. Writes are
// serialised, so the bytes of two responses never interleave. The bytes go
// out exactly as given: the frame around a message is the caller's.
//
// The first write that fails (the plug-in went away, the socket was shut
// down) marks the writer failed, and from then on it writes nothing, so a
// response can never follow a partly written one. A closed peer never raises
// SIGPIPE. The writer does not own the descriptor and never closes it.
class ResolverResponseWriter {
public:
    explicit ResolverResponseWriter(qint32 descriptor);

    ResolverResponseWriter(const ResolverResponseWriter &) = delete;
    ResolverResponseWriter &operator=(const ResolverResponseWriter &) = delete;

    // Writes all of `bytes`, waiting while the socket is full. True when they
    // were all written; false when this or an earlier write failed.
    bool write(QByteArrayView bytes);

    qint32 descriptor() const noexcept { return m_descriptor; }
    bool failed() const;

private:
    bool sendAll(QByteArrayView bytes) const;

    const qint32 m_descriptor;
    mutable std::mutex m_lock;
    // Guarded by m_lock.
    bool m_failed = false;
};

} // namespace tovra
