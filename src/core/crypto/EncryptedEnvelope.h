#pragma once

#include "core/crypto/CryptoPrimitives.h"

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <initializer_list>

namespace tovra {

// The encrypted container around a JSON document on disk (the ledger file).
//
// Byte layout, version 1 (offsets in bytes, n = plaintext length):
//   0       4   magic "TVRE"
//   4       1   format version, 1
//   5      12   nonce: 96 random bits, fresh for every seal
//   17      n   AES-256-GCM ciphertext
//   17+n   16   GCM tag
// The header (magic and version, bytes 0-4) is the GCM associated data, so it
// is authenticated with the content: changing the version of a sealed file
// cannot make a reader take it for another format. The nonce is bound by GCM
// itself. A sealed envelope is therefore 33 bytes longer than its plaintext.
//
// open() checks, in this order: key length, magic, version, minimum length,
// tag. Whatever the input, it either returns the exact plaintext that was
// sealed with that key or throws TovraCryptoError; it never returns bytes of
// a damaged or forged envelope.
class EncryptedEnvelope final {
public:
    static constexpr char kMagic[] = "TVRE";
    static constexpr qsizetype kMagicLength = 4;
    static constexpr quint8 kFormatVersion = 1;
    static constexpr qsizetype kHeaderLength = kMagicLength + 1;
    static constexpr qsizetype kOverhead = kHeaderLength + 12 + 16;

    EncryptedEnvelope() = delete;

    static QByteArray seal(QByteArrayView plaintext, QByteArrayView key);
    static QByteArray open(QByteArrayView envelope, QByteArrayView key);

    // The same for an envelope as large as the ledger, without ever holding a
    // second copy of it: this seal takes the plaintext as the concatenation of
    // `plaintextParts` and hands the envelope to `write` a slice at a time;
    // openInPlace decrypts the envelope where it lies and returns that same
    // buffer, trimmed to the plaintext.
    static void seal(std::initializer_list<QByteArrayView> plaintextParts, QByteArrayView key,
        const CryptoPrimitives::Sink &write);
    static QByteArray openInPlace(QByteArray envelope, QByteArrayView key);

    // Neither holds the envelope nor its plaintext whole at all. This seal
    // takes the plaintext from `plaintext` a slice at a time. openStreaming
    // reads an envelope of `size` bytes through `read` (the bytes at an
    // offset, exactly as many as asked) with the checks of open() in their
    // order, and hands its plaintext to `plaintext` before the tag is known:
    // see CryptoPrimitives::aes256GcmOpenStreaming.
    static void seal(
        const CryptoPrimitives::Producer &plaintext, QByteArrayView key, const CryptoPrimitives::Sink &write);
    using Reader = std::function<QByteArray(qint64 offset, qsizetype length)>;
    static void openStreaming(
        qint64 size, const Reader &read, QByteArrayView key, const CryptoPrimitives::Sink &plaintext);
};

} // namespace tovra
