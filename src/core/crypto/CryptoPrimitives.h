#pragma once

#include <QByteArray>
#include <QByteArrayView>

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

    // Bytes from the operating system's cryptographically secure generator.
    static QByteArray randomBytes(qsizetype count);

    // Overwrites `bytes` in a way the compiler cannot elide.
    static void wipe(QByteArray &bytes);
};

} // namespace tovra
