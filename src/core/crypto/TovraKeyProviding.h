#pragma once

#include <QByteArray>

namespace tovra {

inline constexpr qsizetype kMasterKeyLength = 32;

// Where the ledger's master key comes from. `masterKey()` returns exactly
// kMasterKeyLength bytes or throws TovraCryptoError; it never returns a key it
// made up in place of one it could not read.
class TovraKeyProviding {
public:
    virtual ~TovraKeyProviding() = default;

    virtual QByteArray masterKey() = 0;
};

} // namespace tovra
