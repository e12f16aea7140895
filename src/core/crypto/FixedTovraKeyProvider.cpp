#include "core/crypto/FixedTovraKeyProvider.h"

#include "core/crypto/TovraCryptoError.h"

namespace tovra {

FixedTovraKeyProvider::FixedTovraKeyProvider(QByteArray key)
    : m_key(std::move(key))
{
}

QByteArray FixedTovraKeyProvider::masterKey()
{
    if (m_key.size() != kMasterKeyLength)
        throw TovraCryptoError(TovraCryptoError::Kind::malformedMasterKey, QStringLiteral("the fixed key"));
    return m_key;
}

} // namespace tovra
