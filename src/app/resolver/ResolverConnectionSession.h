#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUuid>

namespace tovra {

// The symmetric key a plug-in session proves its content with. It holds
// exactly 32 bytes, cannot be printed or streamed, so it never ends up in a
// message or a description by accident, and wipes its bytes when the last
// copy goes.
class ResolverProofKey {
public:
    static constexpr qsizetype byteCount = 32;

    // Throws TovraCryptoError (invalidKeyLength) unless `bytes` holds exactly
    // byteCount bytes.
    explicit ResolverProofKey(QByteArray bytes);
    ~ResolverProofKey();

    ResolverProofKey(const ResolverProofKey &) = default;
    ResolverProofKey(ResolverProofKey &&) noexcept = default;
    // The replaced bytes leave through `other`, whose destructor wipes them.
    ResolverProofKey &operator=(ResolverProofKey other) noexcept
    {
        m_bytes.swap(other.m_bytes);
        return *this;
    }

    QByteArrayView bytes() const noexcept { return m_bytes; }

private:
    QByteArray m_bytes;
};

// What one connection shares with the plug-in once a session is set up.
struct ResolverConnectionSession {
    QUuid id;
    QString nonce;
    ResolverProofKey proofKey;
};

} // namespace tovra
