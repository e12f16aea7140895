#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/ContentFingerprinter.h"
#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/MasterKeyHex.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

#include <set>

using namespace tovra;
using namespace tovra::cryptotest;
using Kind = TovraCryptoError::Kind;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}

} // namespace

// SHA-256 of "" and "abc"; RFC 4231 HMAC cases 1, 2 and 6 (a key longer than
// the block size); RFC 5869 HKDF cases 1 and 3 (empty salt and info, as the
// program's own derivations use).
TEST(CryptoPrimitivesTest, HashesMatchPublishedVectors)
{
    EXPECT_EQ(CryptoPrimitives::sha256("").toHex(),
        "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(CryptoPrimitives::sha256("abc").toHex(),
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");

    EXPECT_EQ(CryptoPrimitives::hmacSha256(QByteArray(20, '\x0b'), QByteArrayView("Hi There")).toHex(),
        "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    // Split into parts (one of them empty), the message authenticates the same.
    EXPECT_EQ(CryptoPrimitives::hmacSha256("Jefe", { "what do ya ", {}, "want for nothing?" }).toHex(),
        "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(CryptoPrimitives::hmacSha256(QByteArray(131, '\xaa'),
                  QByteArrayView("Test Using Larger Than Block-Size Key - Hash Key First"))
                  .toHex(),
        "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");

    const QByteArray ikm(22, '\x0b');
    EXPECT_EQ(
        CryptoPrimitives::hkdfSha256(ikm, hex("000102030405060708090a0b0c"), hex("f0f1f2f3f4f5f6f7f8f9"), 42)
            .toHex(),
        "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865");
    EXPECT_EQ(CryptoPrimitives::hkdfSha256(ikm, {}, {}, 42).toHex(),
        "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d9d201395faa4b61a96c8");

    EXPECT_EQ(
        cryptoErrorKind([&] { CryptoPrimitives::hkdfSha256(ikm, {}, "x", 0); }), Kind::primitiveFailure);
    EXPECT_EQ(cryptoErrorKind([&] { CryptoPrimitives::hkdfSha256(ikm, {}, "x", 255 * 32 + 1); }),
        Kind::primitiveFailure);
    EXPECT_EQ(CryptoPrimitives::hkdfSha256(ikm, {}, "x", 255 * 32).size(), 255 * 32);
}

// AES-256 vectors of the GCM specification by McGrew and Viega: test cases 13
// (empty plaintext) and 16 (with associated data).
TEST(CryptoPrimitivesTest, AesGcmMatchesPublishedVectors)
{
    const auto case13 = CryptoPrimitives::aes256GcmSeal(QByteArray(32, '\0'), QByteArray(12, '\0'), {}, {});
    EXPECT_TRUE(case13.ciphertext.isEmpty());
    EXPECT_EQ(case13.tag.toHex(), "530f8afbc74536b9a963b4f1c4cb738b");

    const QByteArray key = hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const QByteArray nonce = hex("cafebabefacedbaddecaf888");
    const QByteArray plaintext = hex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                                     "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    const QByteArray aad = hex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const QByteArray ciphertext = hex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                                      "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662");
    const QByteArray tag = hex("76fc6ece0f4e1768cddf8853bb2d551b");

    const auto case16 = CryptoPrimitives::aes256GcmSeal(key, nonce, plaintext, aad);
    EXPECT_EQ(case16.ciphertext.toHex(), ciphertext.toHex());
    EXPECT_EQ(case16.tag.toHex(), tag.toHex());
    EXPECT_EQ(CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, aad), plaintext);

    // Any change to key, nonce, ciphertext, tag or associated data is refused.
    const auto flipped = [](QByteArray bytes, qsizetype at) {
        bytes[at] = char(bytes[at] ^ 0x01);
        return bytes;
    };
    const struct {
        QByteArray key, nonce, ciphertext, tag, aad;
    } changes[] = {
        { flipped(key, 31), nonce, ciphertext, tag, aad },
        { key, flipped(nonce, 0), ciphertext, tag, aad },
        { key, nonce, flipped(ciphertext, 3), tag, aad },
        { key, nonce, ciphertext, flipped(tag, 15), aad },
        { key, nonce, ciphertext, tag, flipped(aad, 0) },
        { key, nonce, ciphertext, tag.first(15), aad },
    };
    for (const auto &change : changes) {
        EXPECT_EQ(cryptoErrorKind([&] {
            CryptoPrimitives::aes256GcmOpen(
                change.key, change.nonce, change.ciphertext, change.tag, change.aad);
        }),
            Kind::authenticationFailed)
            << (&change - changes);
    }
}

TEST(CryptoPrimitivesTest, RandomBytesHaveTheAskedLengthAndDoNotRepeat)
{
    EXPECT_TRUE(CryptoPrimitives::randomBytes(0).isEmpty());
    std::set<QByteArray> seen;
    for (int draw = 0; draw < 64; ++draw) {
        const QByteArray bytes = CryptoPrimitives::randomBytes(16);
        EXPECT_EQ(bytes.size(), 16);
        seen.insert(bytes);
    }
    EXPECT_EQ(seen.size(), 64u);
}

TEST(CryptoKeyLengthTest, EveryKeyedOperationRefusesKeysThatAreNot32Bytes)
{
    const QByteArray nonce(12, '\0');
    const QByteArray sealed = EncryptedEnvelope::seal("{}", QByteArray(32, '\x03'));
    for (const qsizetype length : { 0, 1, 16, 31, 33, 64 }) {
        SCOPED_TRACE(length);
        const QByteArray key(length, '\x03');
        EXPECT_EQ(cryptoErrorKind([&] { CryptoPrimitives::aes256GcmSeal(key, nonce, "x", {}); }),
            Kind::invalidKeyLength);
        EXPECT_EQ(
            cryptoErrorKind([&] { CryptoPrimitives::aes256GcmOpen(key, nonce, "x", QByteArray(16, 0), {}); }),
            Kind::invalidKeyLength);
        EXPECT_EQ(cryptoErrorKind([&] { EncryptedEnvelope::seal("{}", key); }), Kind::invalidKeyLength);
        EXPECT_EQ(cryptoErrorKind([&] { EncryptedEnvelope::open(sealed, key); }), Kind::invalidKeyLength);
        EXPECT_EQ(cryptoErrorKind([&] { DerivedKeys::derive(key); }), Kind::invalidKeyLength);
        EXPECT_EQ(cryptoErrorKind([&] { (void)ContentFingerprinter(key); }), Kind::invalidKeyLength);
        EXPECT_EQ(cryptoErrorKind([&] { encodeMasterKeyHex(key); }), Kind::invalidKeyLength);
    }
}
