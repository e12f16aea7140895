#include "core/crypto/EncryptedEnvelope.h"

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/TovraCryptoError.h"

namespace tovra {

static_assert(EncryptedEnvelope::kOverhead
    == EncryptedEnvelope::kHeaderLength + CryptoPrimitives::kGcmNonceLength
        + CryptoPrimitives::kGcmTagLength);

namespace {

using Kind = TovraCryptoError::Kind;

QByteArray header()
{
    QByteArray result(EncryptedEnvelope::kMagic, EncryptedEnvelope::kMagicLength);
    result.append(char(EncryptedEnvelope::kFormatVersion));
    return result;
}

void requireKey(QByteArrayView key)
{
    if (key.size() != CryptoPrimitives::kAesKeyLength)
        throw TovraCryptoError(Kind::invalidKeyLength, QString::number(key.size()));
}

} // namespace

QByteArray EncryptedEnvelope::seal(QByteArrayView plaintext, QByteArrayView key)
{
    requireKey(key);
    const QByteArray aad = header();
    const QByteArray nonce = CryptoPrimitives::randomBytes(CryptoPrimitives::kGcmNonceLength);
    const auto sealed = CryptoPrimitives::aes256GcmSeal(key, nonce, plaintext, aad);

    QByteArray envelope;
    envelope.reserve(plaintext.size() + kOverhead);
    envelope.append(aad).append(nonce).append(sealed.ciphertext).append(sealed.tag);
    return envelope;
}

QByteArray EncryptedEnvelope::open(QByteArrayView envelope, QByteArrayView key)
{
    requireKey(key);
    const QByteArrayView magic(kMagic, kMagicLength);
    if (envelope.size() < kMagicLength) {
        // A file cut inside the magic is damaged; anything else is not ours.
        throw TovraCryptoError(
            magic.startsWith(envelope) ? Kind::truncatedEnvelope : Kind::unrecognizedEnvelope);
    }
    if (envelope.first(kMagicLength) != magic)
        throw TovraCryptoError(Kind::unrecognizedEnvelope);
    if (envelope.size() < kHeaderLength)
        throw TovraCryptoError(Kind::truncatedEnvelope);
    const auto version = quint8(envelope.at(kMagicLength));
    if (version != kFormatVersion)
        throw TovraCryptoError(Kind::unsupportedEnvelopeVersion, QString::number(version));
    if (envelope.size() < kOverhead)
        throw TovraCryptoError(Kind::truncatedEnvelope);

    const auto aad = envelope.first(kHeaderLength);
    const auto nonce = envelope.sliced(kHeaderLength, CryptoPrimitives::kGcmNonceLength);
    const qsizetype ciphertextStart = kHeaderLength + CryptoPrimitives::kGcmNonceLength;
    const qsizetype ciphertextLength = envelope.size() - kOverhead;
    const auto ciphertext = envelope.sliced(ciphertextStart, ciphertextLength);
    const auto tag = envelope.last(CryptoPrimitives::kGcmTagLength);
    return CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, aad);
}

} // namespace tovra
