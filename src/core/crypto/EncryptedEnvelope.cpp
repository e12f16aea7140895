#include "core/crypto/EncryptedEnvelope.h"

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/TovraCryptoError.h"

#include <algorithm>

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
// version, minimum length. `start` is the envelope's first bytes, at least
// its header where it has one; `size` is its whole length.
void requireOpenable(QByteArrayView start, qint64 size, QByteArrayView key)
{
    requireKey(key);
    const QByteArrayView magic(EncryptedEnvelope::kMagic, EncryptedEnvelope::kMagicLength);
    if (size < EncryptedEnvelope::kMagicLength) {
        // A file cut inside the magic is damaged; anything else is not ours.
        throw TovraCryptoError(
            magic.startsWith(start) ? Kind::truncatedEnvelope : Kind::unrecognizedEnvelope);
    }
    if (start.first(EncryptedEnvelope::kMagicLength) != magic)
        throw TovraCryptoError(Kind::unrecognizedEnvelope);
    if (size < EncryptedEnvelope::kHeaderLength)
        throw TovraCryptoError(Kind::truncatedEnvelope);
    const auto version = quint8(start.at(EncryptedEnvelope::kMagicLength));
    if (version != EncryptedEnvelope::kFormatVersion)
        throw TovraCryptoError(Kind::unsupportedEnvelopeVersion, QString::number(version));
    if (size < EncryptedEnvelope::kOverhead)
        throw TovraCryptoError(Kind::truncatedEnvelope);
}

void requireOpenable(QByteArrayView envelope, QByteArrayView key)
{
    requireOpenable(envelope, envelope.size(), key);
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
    seal(
        [plaintextParts](const CryptoPrimitives::Sink &plaintext) {
            for (const QByteArrayView part : plaintextParts)
                plaintext(part);
        },
        key, write);
}

void EncryptedEnvelope::seal(
    const CryptoPrimitives::Producer &plaintext, QByteArrayView key, const CryptoPrimitives::Sink &write)
{
    requireKey(key);
    const QByteArray aad = header();
    const QByteArray nonce = CryptoPrimitives::randomBytes(CryptoPrimitives::kGcmNonceLength);
    write(aad);
    write(nonce);
    write(CryptoPrimitives::aes256GcmSeal(key, nonce, plaintext, aad, write));
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

void EncryptedEnvelope::openStreaming(
    qint64 size, const Reader &read, QByteArrayView key, const CryptoPrimitives::Sink &plaintext)
{
    const qsizetype headerLength
        = qsizetype(std::min<qint64>(size, kHeaderLength + CryptoPrimitives::kGcmNonceLength));
    const QByteArray start = read(0, headerLength);
    requireOpenable(start, size, key);
    const QByteArray aad = start.first(kHeaderLength);
    const QByteArray nonce = start.sliced(kHeaderLength, CryptoPrimitives::kGcmNonceLength);
    const QByteArray tag = read(size - CryptoPrimitives::kGcmTagLength, CryptoPrimitives::kGcmTagLength);
    const qint64 ciphertextEnd = size - CryptoPrimitives::kGcmTagLength;
    // Read a window at a time, small enough that the bytes read, decrypted and
    // checked stay in the processor's cache; a megabyte window made a status
    // request on a long-used ledger half again as slow as on a new one.
    constexpr qsizetype windowLength = 128 * 1024;
    CryptoPrimitives::aes256GcmOpenStreaming(
        key, nonce,
        [&](const CryptoPrimitives::Sink &ciphertext) {
            for (qint64 offset = headerLength; offset < ciphertextEnd; offset += windowLength)
                ciphertext(read(offset, qsizetype(std::min<qint64>(windowLength, ciphertextEnd - offset))));
        },
        tag, aad, plaintext);
}

} // namespace tovra
