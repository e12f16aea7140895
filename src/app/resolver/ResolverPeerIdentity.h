#pragma once

#include <QString>
#include <QtGlobal>

namespace tovra {

// The process at the other end of an accepted resolver connection.
struct ResolverPeerIdentity {
    quint32 uid = 0;
    // Recorded for the record only; acceptance never depends on it.
    quint32 gid = 0;
    qint32 pid = 0;
    QString executablePath;

    friend bool operator==(const ResolverPeerIdentity &, const ResolverPeerIdentity &) = default;
};

} // namespace tovra
