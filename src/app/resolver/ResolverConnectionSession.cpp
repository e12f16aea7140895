#include "app/resolver/ResolverConnectionSession.h"

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/TovraCryptoError.h"

namespace tovra {

ResolverProofKey::ResolverProofKey(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    if (m_bytes.size() != byteCount)
        throw TovraCryptoError(TovraCryptoError::Kind::invalidKeyLength, QString::number(m_bytes.size()));
}

ResolverProofKey::~ResolverProofKey()
{
    // Copies share one buffer; only the last one may overwrite it.
    if (!m_bytes.isDetached())
        return;
    CryptoPrimitives::wipe(m_bytes);
}

} // namespace tovra
