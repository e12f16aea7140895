#pragma once

#include <QtGlobal>

namespace tovra {

// Identifies one socket file by where it lives on disk, so that a file that
// was replaced after the server created it is never mistaken for its own.
// The device number keeps the platform's full width: Linux device numbers are
// 64 bits, and truncating them could make two different devices compare equal.
struct ResolverSocketIdentity {
    quint64 device = 0;
    quint64 inode = 0;

    friend bool operator==(const ResolverSocketIdentity &, const ResolverSocketIdentity &) = default;
};

} // namespace tovra
