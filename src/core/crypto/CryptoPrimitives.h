#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>
#include <initializer_list>

namespace tovra {

// The few primitives the program needs, over OpenSSL's libcrypto. Every
// function throws TovraCryptoError; none of them keeps state between calls.
class CryptoPrimitives final {
public:
    static constexpr qsizetype kSha256Length = 32;
    static constexpr qsizetype kAesKeyLength = 32;
    static constexpr qsizetype kGcmNonceLength = 12;
    static constexpr qsizetype kGcmTagLength = 16;

    struct GcmSealed {
        QByteArray ciphertext;
        QByteArray tag;
    };

    CryptoPrimitives() = delete;

    static QByteArray sha256(QByteArrayView data);

    // HMAC-SHA256 over the concatenation of `parts`, without copying them together.
    static QByteArray hmacSha256(QByteArrayView key, std::initializer_list<QByteArrayView> parts);
    static QByteArray hmacSha256(QByteArrayView key, QByteArrayView data)
    {
        return hmacSha256(key, { data });
    }

    // RFC 5869 extract-and-expand; an empty salt stands for 32 zero bytes.
    static QByteArray hkdfSha256(
        QByteArrayView inputKeyMaterial, QByteArrayView salt, QByteArrayView info, qsizetype outputLength);

    // AES-256-GCM with a 96-bit nonce and a 128-bit tag. `open` throws
    // authenticationFailed, and returns nothing, when the tag does not verify.
    static GcmSealed aes256GcmSeal(
        QByteArrayView key, QByteArrayView nonce, QByteArrayView plaintext, QByteArrayView associatedData);
    static QByteArray aes256GcmOpen(QByteArrayView key, QByteArrayView nonce, QByteArrayView ciphertext,
        QByteArrayView tag, QByteArrayView associatedData);

    // The same for messages as large as the ledger, without a second copy of
    // them: this seal encrypts the concatenation of `parts` and hands the
    // ciphertext to `write` a slice at a time, returning the tag; openInPlace
    // decrypts the `length` bytes of `buffer` from `offset` where they are,
    // and wipes them before it throws when the tag does not verify.
    using Sink = std::function<void(QByteArrayView)>;
    static QByteArray aes256GcmSeal(QByteArrayView key, QByteArrayView nonce,
        std::initializer_list<QByteArrayView> parts, QByteArrayView associatedData, const Sink &write);
    // The same for a message that `produce` hands to the sink it is given, a
    // slice at a time, in order.
    using Producer = std::function<void(const Sink &)>;
    static QByteArray aes256GcmSeal(QByteArrayView key, QByteArrayView nonce, const Producer &produce,
        QByteArrayView associatedData, const Sink &write);
    // Decrypts the ciphertext that `produce` hands over a slice at a time and
    // hands each slice's plaintext to `plaintext` at once, before the tag is
    // known: the consumer must act on none of it, and drop all of it, unless
    // this returns normally. Throws authenticationFailed when the tag does
    // not verify.
    static void aes256GcmOpenStreaming(QByteArrayView key, QByteArrayView nonce, const Producer &produce,
        QByteArrayView tag, QByteArrayView associatedData, const Sink &plaintext);
    static void aes256GcmOpenInPlace(QByteArrayView key, QByteArrayView nonce, QByteArray &buffer,
        qsizetype offset, qsizetype length, QByteArrayView tag, QByteArrayView associatedData);

    // Bytes from the operating system's cryptographically secure generator.
    static QByteArray randomBytes(qsizetype count);

    // Overwrites `bytes` in a way the compiler cannot elide.
    static void wipe(QByteArray &bytes);
};

} // namespace tovra
