#include "core/crypto/CryptoPrimitives.h"

#include "core/crypto/TovraCryptoError.h"

#include <QScopeGuard>

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/kdf.h>
#include <openssl/params.h>
#include <openssl/rand.h>

#include <algorithm>
#include <memory>

namespace tovra {

namespace {

// libcrypto takes lengths as int; larger buffers go through in slices.
constexpr qsizetype kMaxSlice = qsizetype(1) << 30;
// The slices of a streamed message: small enough to stay in the cache
// between being encrypted and being written.
constexpr qsizetype streamSliceLength = 256 * 1024;

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX *context) const { EVP_CIPHER_CTX_free(context); }
};
struct MacFree {
    void operator()(EVP_MAC *mac) const { EVP_MAC_free(mac); }
};
struct MacContextFree {
    void operator()(EVP_MAC_CTX *context) const { EVP_MAC_CTX_free(context); }
};
struct KdfFree {
    void operator()(EVP_KDF *kdf) const { EVP_KDF_free(kdf); }
};
struct KdfContextFree {
    void operator()(EVP_KDF_CTX *context) const { EVP_KDF_CTX_free(context); }
};

[[noreturn]] void failPrimitive(const char *operation)
{
    throw TovraCryptoError(TovraCryptoError::Kind::primitiveFailure, QString::fromLatin1(operation));
}

void requireAesKey(QByteArrayView key)
{
    if (key.size() != CryptoPrimitives::kAesKeyLength)
        throw TovraCryptoError(TovraCryptoError::Kind::invalidKeyLength, QString::number(key.size()));
}

void requireNonce(QByteArrayView nonce)
{
    if (nonce.size() != CryptoPrimitives::kGcmNonceLength)
        failPrimitive("AES-GCM setup (nonce length)");
}

const unsigned char *bytes(QByteArrayView view)
{
    return reinterpret_cast<const unsigned char *>(view.data());
}

unsigned char *bytes(QByteArray &array)
{
    return reinterpret_cast<unsigned char *>(array.data());
}

std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> gcmContext(
    bool encrypt, QByteArrayView key, QByteArrayView nonce, QByteArrayView aad)
{
    std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree> context(EVP_CIPHER_CTX_new());
    if (!context)
        failPrimitive("AES-GCM setup");
    const auto init = encrypt ? EVP_EncryptInit_ex : EVP_DecryptInit_ex;
    if (init(context.get(), EVP_aes_256_gcm(), nullptr, nullptr, nullptr) != 1
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_SET_IVLEN, int(nonce.size()), nullptr) != 1
        || init(context.get(), nullptr, nullptr, bytes(key), bytes(nonce)) != 1)
        failPrimitive("AES-GCM setup");
    const auto update = encrypt ? EVP_EncryptUpdate : EVP_DecryptUpdate;
    for (qsizetype offset = 0; offset < aad.size(); offset += kMaxSlice) {
        const auto slice = aad.sliced(offset, std::min(kMaxSlice, aad.size() - offset));
        int unused = 0;
        if (update(context.get(), nullptr, &unused, bytes(slice), int(slice.size())) != 1)
            failPrimitive("AES-GCM associated data");
    }
    return context;
}

// Runs the cipher over `input` into `output` (same length: GCM is a stream mode).
bool runCipher(EVP_CIPHER_CTX *context, bool encrypt, QByteArrayView input, QByteArray &output)
{
    const auto update = encrypt ? EVP_EncryptUpdate : EVP_DecryptUpdate;
    for (qsizetype offset = 0; offset < input.size(); offset += kMaxSlice) {
        const auto slice = input.sliced(offset, std::min(kMaxSlice, input.size() - offset));
        int written = 0;
        if (update(context, bytes(output) + offset, &written, bytes(slice), int(slice.size())) != 1
            || written != int(slice.size()))
            return false;
    }
    return true;
}

// Runs the cipher over what `produce` hands over, a slice at a time through
// `slice`, and hands each slice's output to `output`.
void runCipherStreaming(EVP_CIPHER_CTX *context, bool encrypt, const CryptoPrimitives::Producer &produce,
    QByteArray &slice, const CryptoPrimitives::Sink &output)
{
    produce([&](QByteArrayView part) {
        for (qsizetype offset = 0; offset < part.size(); offset += slice.size()) {
            const auto input = part.sliced(offset, std::min(slice.size(), part.size() - offset));
            if (!runCipher(context, encrypt, input, slice))
                failPrimitive(encrypt ? "AES-GCM encryption" : "AES-GCM decryption");
            output(QByteArrayView(slice).first(input.size()));
        }
    });
}

} // namespace

QByteArray CryptoPrimitives::sha256(QByteArrayView data)
{
    QByteArray digest(kSha256Length, Qt::Uninitialized);
    unsigned int length = 0;
    if (EVP_Digest(data.data(), size_t(data.size()), bytes(digest), &length, EVP_sha256(), nullptr) != 1
        || length != unsigned(kSha256Length))
        failPrimitive("SHA-256");
    return digest;
}

QByteArray CryptoPrimitives::hmacSha256(QByteArrayView key, std::initializer_list<QByteArrayView> parts)
{
    std::unique_ptr<EVP_MAC, MacFree> mac(EVP_MAC_fetch(nullptr, "HMAC", nullptr));
    if (!mac)
        failPrimitive("HMAC-SHA256");
    std::unique_ptr<EVP_MAC_CTX, MacContextFree> context(EVP_MAC_CTX_new(mac.get()));
    if (!context)
        failPrimitive("HMAC-SHA256");
    char digestName[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digestName, 0),
        OSSL_PARAM_construct_end(),
    };
    // OpenSSL refuses a null key pointer even with length zero.
    static const unsigned char emptyKey = 0;
    const unsigned char *keyBytes = key.isEmpty() ? &emptyKey : bytes(key);
    if (EVP_MAC_init(context.get(), keyBytes, size_t(key.size()), params) != 1)
        failPrimitive("HMAC-SHA256");
    for (const QByteArrayView part : parts) {
        if (!part.isEmpty() && EVP_MAC_update(context.get(), bytes(part), size_t(part.size())) != 1)
            failPrimitive("HMAC-SHA256");
    }
    QByteArray result(kSha256Length, Qt::Uninitialized);
    size_t length = 0;
    if (EVP_MAC_final(context.get(), bytes(result), &length, size_t(result.size())) != 1
        || length != size_t(kSha256Length))
        failPrimitive("HMAC-SHA256");
    return result;
}

QByteArray CryptoPrimitives::hkdfSha256(
    QByteArrayView inputKeyMaterial, QByteArrayView salt, QByteArrayView info, qsizetype outputLength)
{
    if (outputLength <= 0 || outputLength > 255 * kSha256Length)
        failPrimitive("HKDF-SHA256 (output length)");
    std::unique_ptr<EVP_KDF, KdfFree> kdf(EVP_KDF_fetch(nullptr, "HKDF", nullptr));
    if (!kdf)
        failPrimitive("HKDF-SHA256");
    std::unique_ptr<EVP_KDF_CTX, KdfContextFree> context(EVP_KDF_CTX_new(kdf.get()));
    if (!context)
        failPrimitive("HKDF-SHA256");

    char digestName[] = "SHA256";
    OSSL_PARAM params[5];
    OSSL_PARAM *param = params;
    *param++ = OSSL_PARAM_construct_utf8_string(OSSL_KDF_PARAM_DIGEST, digestName, 0);
    *param++ = OSSL_PARAM_construct_octet_string(
        OSSL_KDF_PARAM_KEY, const_cast<char *>(inputKeyMaterial.data()), size_t(inputKeyMaterial.size()));
    if (!salt.isEmpty())
        *param++ = OSSL_PARAM_construct_octet_string(
            OSSL_KDF_PARAM_SALT, const_cast<char *>(salt.data()), size_t(salt.size()));
    if (!info.isEmpty())
        *param++ = OSSL_PARAM_construct_octet_string(
            OSSL_KDF_PARAM_INFO, const_cast<char *>(info.data()), size_t(info.size()));
    *param = OSSL_PARAM_construct_end();

    QByteArray output(outputLength, Qt::Uninitialized);
    if (EVP_KDF_derive(context.get(), bytes(output), size_t(output.size()), params) != 1) {
        wipe(output);
        failPrimitive("HKDF-SHA256");
    }
    return output;
}

CryptoPrimitives::GcmSealed CryptoPrimitives::aes256GcmSeal(
    QByteArrayView key, QByteArrayView nonce, QByteArrayView plaintext, QByteArrayView associatedData)
{
    requireAesKey(key);
    requireNonce(nonce);
    auto context = gcmContext(true, key, nonce, associatedData);
    GcmSealed sealed { QByteArray(plaintext.size(), Qt::Uninitialized),
        QByteArray(kGcmTagLength, Qt::Uninitialized) };
    int finalLength = 0;
    if (!runCipher(context.get(), true, plaintext, sealed.ciphertext)
        || EVP_EncryptFinal_ex(context.get(), nullptr, &finalLength) != 1 || finalLength != 0
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(kGcmTagLength), sealed.tag.data())
            != 1)
        failPrimitive("AES-GCM encryption");
    return sealed;
}

QByteArray CryptoPrimitives::aes256GcmOpen(QByteArrayView key, QByteArrayView nonce,
    QByteArrayView ciphertext, QByteArrayView tag, QByteArrayView associatedData)
{
    requireAesKey(key);
    requireNonce(nonce);
    if (tag.size() != kGcmTagLength)
        throw TovraCryptoError(TovraCryptoError::Kind::authenticationFailed);
    auto context = gcmContext(false, key, nonce, associatedData);
    QByteArray plaintext(ciphertext.size(), Qt::Uninitialized);
    if (!runCipher(context.get(), false, ciphertext, plaintext)) {
        wipe(plaintext);
        failPrimitive("AES-GCM decryption");
    }
    if (EVP_CIPHER_CTX_ctrl(
            context.get(), EVP_CTRL_GCM_SET_TAG, int(kGcmTagLength), const_cast<char *>(tag.data()))
        != 1) {
        wipe(plaintext);
        failPrimitive("AES-GCM decryption");
    }
    int finalLength = 0;
    if (EVP_DecryptFinal_ex(context.get(), nullptr, &finalLength) != 1) {
        // The plaintext of a forged or damaged message must never leave this function.
        wipe(plaintext);
        throw TovraCryptoError(TovraCryptoError::Kind::authenticationFailed);
    }
    return plaintext;
}

QByteArray CryptoPrimitives::aes256GcmSeal(QByteArrayView key, QByteArrayView nonce,
    std::initializer_list<QByteArrayView> parts, QByteArrayView associatedData, const Sink &write)
{
    return aes256GcmSeal(
        key, nonce,
        [parts](const Sink &plaintext) {
            for (const QByteArrayView part : parts)
                plaintext(part);
        },
        associatedData, write);
}

QByteArray CryptoPrimitives::aes256GcmSeal(QByteArrayView key, QByteArrayView nonce, const Producer &produce,
    QByteArrayView associatedData, const Sink &write)
{
    requireAesKey(key);
    requireNonce(nonce);
    auto context = gcmContext(true, key, nonce, associatedData);
    QByteArray slice(streamSliceLength, Qt::Uninitialized);
    runCipherStreaming(context.get(), true, produce, slice, write);
    QByteArray tag(kGcmTagLength, Qt::Uninitialized);
    int finalLength = 0;
    if (EVP_EncryptFinal_ex(context.get(), nullptr, &finalLength) != 1 || finalLength != 0
        || EVP_CIPHER_CTX_ctrl(context.get(), EVP_CTRL_GCM_GET_TAG, int(kGcmTagLength), tag.data()) != 1)
        failPrimitive("AES-GCM encryption");
    return tag;
}

void CryptoPrimitives::aes256GcmOpenStreaming(QByteArrayView key, QByteArrayView nonce,
    const Producer &produce, QByteArrayView tag, QByteArrayView associatedData, const Sink &plaintext)
{
    requireAesKey(key);
    requireNonce(nonce);
    if (tag.size() != kGcmTagLength)
        throw TovraCryptoError(TovraCryptoError::Kind::authenticationFailed);
    auto context = gcmContext(false, key, nonce, associatedData);
    QByteArray slice(streamSliceLength, Qt::Uninitialized);
    // The slice held the last plaintext handed out; it is wiped however this ends.
    const auto wipeSlice = qScopeGuard([&] { OPENSSL_cleanse(slice.data(), size_t(slice.size())); });
    runCipherStreaming(context.get(), false, produce, slice, plaintext);
    if (EVP_CIPHER_CTX_ctrl(
            context.get(), EVP_CTRL_GCM_SET_TAG, int(kGcmTagLength), const_cast<char *>(tag.data()))
        != 1)
        failPrimitive("AES-GCM decryption");
    int finalLength = 0;
    if (EVP_DecryptFinal_ex(context.get(), nullptr, &finalLength) != 1)
        throw TovraCryptoError(TovraCryptoError::Kind::authenticationFailed);
}

void CryptoPrimitives::aes256GcmOpenInPlace(QByteArrayView key, QByteArrayView nonce, QByteArray &buffer,
    qsizetype offset, qsizetype length, QByteArrayView tag, QByteArrayView associatedData)
{
    requireAesKey(key);
    requireNonce(nonce);
    if (tag.size() != kGcmTagLength)
        throw TovraCryptoError(TovraCryptoError::Kind::authenticationFailed);
    auto context = gcmContext(false, key, nonce, associatedData);
    unsigned char *data = bytes(buffer) + offset;
    for (qsizetype done = 0; done < length; done += kMaxSlice) {
        const int slice = int(std::min(kMaxSlice, length - done));
        int written = 0;
        if (EVP_DecryptUpdate(context.get(), data + done, &written, data + done, slice) != 1
            || written != slice) {
            OPENSSL_cleanse(data, size_t(length));
            failPrimitive("AES-GCM decryption");
        }
    }
    if (EVP_CIPHER_CTX_ctrl(
            context.get(), EVP_CTRL_GCM_SET_TAG, int(kGcmTagLength), const_cast<char *>(tag.data()))
        != 1) {
        OPENSSL_cleanse(data, size_t(length));
        failPrimitive("AES-GCM decryption");
    }
    int finalLength = 0;
    if (EVP_DecryptFinal_ex(context.get(), nullptr, &finalLength) != 1) {
        // The plaintext of a forged or damaged message must never be seen.
        OPENSSL_cleanse(data, size_t(length));
        throw TovraCryptoError(TovraCryptoError::Kind::authenticationFailed);
    }
}

QByteArray CryptoPrimitives::randomBytes(qsizetype count)
{
    QByteArray result(count, Qt::Uninitialized);
    for (qsizetype offset = 0; offset < count; offset += kMaxSlice) {
        const qsizetype slice = std::min(kMaxSlice, count - offset);
        if (RAND_bytes(bytes(result) + offset, int(slice)) != 1) {
            wipe(result);
            throw TovraCryptoError(TovraCryptoError::Kind::randomGeneratorFailure);
        }
    }
    return result;
}

void CryptoPrimitives::wipe(QByteArray &bytes)
{
    if (!bytes.isEmpty())
        OPENSSL_cleanse(bytes.data(), size_t(bytes.size()));
    bytes.clear();
}

} // namespace tovra
