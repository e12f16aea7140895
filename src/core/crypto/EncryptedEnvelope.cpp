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

// The checks of open(), in their order, before the tag: key length, magic,
// version, minimum length.
void requireOpenable(QByteArrayView envelope, QByteArrayView key)
{
    requireKey(key);
    const QByteArrayView magic(EncryptedEnvelope::kMagic, EncryptedEnvelope::kMagicLength);
    if (envelope.size() < EncryptedEnvelope::kMagicLength) {
        // A file cut inside the magic is damaged; anything else is not ours.
        throw TovraCryptoError(
            magic.startsWith(envelope) ? Kind::truncatedEnvelope : Kind::unrecognizedEnvelope);
    }
    if (envelope.first(EncryptedEnvelope::kMagicLength) != magic)
        throw TovraCryptoError(Kind::unrecognizedEnvelope);
    if (envelope.size() < EncryptedEnvelope::kHeaderLength)
        throw TovraCryptoError(Kind::truncatedEnvelope);
    const auto version = quint8(envelope.at(EncryptedEnvelope::kMagicLength));
    if (version != EncryptedEnvelope::kFormatVersion)
        throw TovraCryptoError(Kind::unsupportedEnvelopeVersion, QString::number(version));
    if (envelope.size() < EncryptedEnvelope::kOverhead)
        throw TovraCryptoError(Kind::truncatedEnvelope);
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

void EncryptedEnvelope::seal(std::initializer_list<QByteArrayView> plaintextParts, QByteArrayView key,
    const CryptoPrimitives::Sink &write)
{
    requireKey(key);
    const QByteArray aad = header();
    const QByteArray nonce = CryptoPrimitives::randomBytes(CryptoPrimitives::kGcmNonceLength);
    write(aad);
    write(nonce);
    write(CryptoPrimitives::aes256GcmSeal(key, nonce, plaintextParts, aad, write));
}

QByteArray EncryptedEnvelope::open(QByteArrayView envelope, QByteArrayView key)
{
    requireOpenable(envelope, key);
    const auto aad = envelope.first(kHeaderLength);
    const auto nonce = envelope.sliced(kHeaderLength, CryptoPrimitives::kGcmNonceLength);
    const qsizetype ciphertextStart = kHeaderLength + CryptoPrimitives::kGcmNonceLength;
    const qsizetype ciphertextLength = envelope.size() - kOverhead;
    const auto ciphertext = envelope.sliced(ciphertextStart, ciphertextLength);
    const auto tag = envelope.last(CryptoPrimitives::kGcmTagLength);
    return CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, aad);
}

QByteArray EncryptedEnvelope::openInPlace(QByteArray envelope, QByteArrayView key)
{
    requireOpenable(envelope, key);
    const qsizetype ciphertextStart = kHeaderLength + CryptoPrimitives::kGcmNonceLength;
    const qsizetype ciphertextLength = envelope.size() - kOverhead;
    // The header, nonce and tag are copied out first: decrypting writes
    // into the buffer they would otherwise be read from.
    const QByteArray aad = envelope.first(kHeaderLength);
    const QByteArray nonce = envelope.sliced(kHeaderLength, CryptoPrimitives::kGcmNonceLength);
    const QByteArray tag = envelope.last(CryptoPrimitives::kGcmTagLength);
    CryptoPrimitives::aes256GcmOpenInPlace(key, nonce, envelope, ciphertextStart, ciphertextLength, tag, aad);
    envelope.truncate(ciphertextStart + ciphertextLength);
    envelope.remove(0, ciphertextStart);
    return envelope;
}

} // namespace tovra
