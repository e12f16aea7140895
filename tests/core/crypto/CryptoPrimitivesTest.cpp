#include "core/crypto/CryptoPrimitives.h"
#include "CryptoTestSupport.h"
#include "core/crypto/TovraCryptoError.h"

#include <gtest/gtest.h>

#include <set>

using namespace tovra;
using Kind = TovraCryptoError::Kind;

namespace {

QByteArray hex(const char *text)
{
    return QByteArray::fromHex(text);
}
QByteArray hexOf(const QByteArray &bytes)
{
    return bytes.toHex();
}

template <typename Call> std::optional<Kind> kindThrownBy(Call &&call)
{
    return tovra::cryptotest::cryptoErrorKind(std::forward<Call>(call));
}

} // namespace

TEST(CryptoPrimitivesTest, Sha256MatchesPublishedDigests)
{
    EXPECT_EQ(hexOf(CryptoPrimitives::sha256("")),
        "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(hexOf(CryptoPrimitives::sha256("abc")),
        "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// RFC 4231, test cases 1, 2 and 6 (a key longer than the block size).
TEST(CryptoPrimitivesTest, HmacSha256MatchesRfc4231)
{
    EXPECT_EQ(hexOf(CryptoPrimitives::hmacSha256(QByteArray(20, '\x0b'), QByteArrayView("Hi There"))),
        "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    EXPECT_EQ(hexOf(CryptoPrimitives::hmacSha256(
                  QByteArrayView("Jefe"), QByteArrayView("what do ya want for nothing?"))),
        "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(hexOf(CryptoPrimitives::hmacSha256(QByteArray(131, '\xaa'),
                  QByteArrayView("Test Using Larger Than Block-Size Key - Hash Key First"))),
        "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
}

TEST(CryptoPrimitivesTest, HmacOverPartsEqualsHmacOverTheirConcatenation)
{
    const QByteArray key(32, '\x42');
    EXPECT_EQ(CryptoPrimitives::hmacSha256(key,
                  { QByteArrayView("what do ya "), QByteArrayView(), QByteArrayView("want for nothing?") }),
        CryptoPrimitives::hmacSha256(key, QByteArrayView("what do ya want for nothing?")));
}

// RFC 5869, test cases 1 (with salt and info) and 3 (empty salt and info, as the
// program's own derivations use an empty salt).
TEST(CryptoPrimitivesTest, HkdfSha256MatchesRfc5869)
{
    const QByteArray ikm(22, '\x0b');
    EXPECT_EQ(hexOf(CryptoPrimitives::hkdfSha256(
                  ikm, hex("000102030405060708090a0b0c"), hex("f0f1f2f3f4f5f6f7f8f9"), 42)),
        "3cb25f25faacd57a90434f64d0362f2a2d2d0a90cf1a5a4c5db02d56ecc4c5bf34007208d5b887185865");
    EXPECT_EQ(hexOf(CryptoPrimitives::hkdfSha256(ikm, {}, {}, 42)),
        "8da4e775a563c18f715f802a063c5a31b8a11f5c5ee1879ec3454e5f3c738d2d9d201395faa4b61a96c8");
}

TEST(CryptoPrimitivesTest, HkdfRefusesImpossibleOutputLengths)
{
    const QByteArray ikm(32, '\x01');
    EXPECT_EQ(kindThrownBy([&] { CryptoPrimitives::hkdfSha256(ikm, {}, "x", 0); }), Kind::primitiveFailure);
    EXPECT_EQ(kindThrownBy([&] { CryptoPrimitives::hkdfSha256(ikm, {}, "x", 255 * 32 + 1); }),
        Kind::primitiveFailure);
    EXPECT_EQ(CryptoPrimitives::hkdfSha256(ikm, {}, "x", 255 * 32).size(), 255 * 32);
}

// The AES-256 vectors of the GCM specification by McGrew and Viega: test cases
// 13 and 14 (zero key and nonce) and 16 (with associated data).
TEST(CryptoPrimitivesTest, AesGcmMatchesPublishedVectors)
{
    const QByteArray zeroKey(32, '\0');
    const QByteArray zeroNonce(12, '\0');

    const auto case13 = CryptoPrimitives::aes256GcmSeal(zeroKey, zeroNonce, {}, {});
    EXPECT_TRUE(case13.ciphertext.isEmpty());
    EXPECT_EQ(hexOf(case13.tag), "530f8afbc74536b9a963b4f1c4cb738b");

    const auto case14 = CryptoPrimitives::aes256GcmSeal(zeroKey, zeroNonce, QByteArray(16, '\0'), {});
    EXPECT_EQ(hexOf(case14.ciphertext), "cea7403d4d606b6e074ec5d3baf39d18");
    EXPECT_EQ(hexOf(case14.tag), "d0d1c8a799996bf0265b98b5d48ab919");

    const QByteArray key = hex("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const QByteArray nonce = hex("cafebabefacedbaddecaf888");
    const QByteArray plaintext = hex("d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a72"
                                     "1c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    const QByteArray aad = hex("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const QByteArray ciphertext = hex("522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa"
                                      "8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662");
    const QByteArray tag = hex("76fc6ece0f4e1768cddf8853bb2d551b");

    const auto case16 = CryptoPrimitives::aes256GcmSeal(key, nonce, plaintext, aad);
    EXPECT_EQ(hexOf(case16.ciphertext), hexOf(ciphertext));
    EXPECT_EQ(hexOf(case16.tag), hexOf(tag));
    EXPECT_EQ(CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, aad), plaintext);
}

TEST(CryptoPrimitivesTest, AesGcmOpenRefusesAnyChangeToItsInputs)
{
    const QByteArray key(32, '\x07');
    const QByteArray nonce(12, '\x09');
    const QByteArray aad("header");
    const auto sealed = CryptoPrimitives::aes256GcmSeal(key, nonce, "attack at dawn", aad);
    ASSERT_EQ(
        CryptoPrimitives::aes256GcmOpen(key, nonce, sealed.ciphertext, sealed.tag, aad), "attack at dawn");

    QByteArray otherKey = key;
    otherKey[31] = '\x08';
    QByteArray otherNonce = nonce;
    otherNonce[0] = '\x0a';
    QByteArray otherCiphertext = sealed.ciphertext;
    otherCiphertext[3] = char(otherCiphertext[3] ^ 0x01);
    QByteArray otherTag = sealed.tag;
    otherTag[15] = char(otherTag[15] ^ 0x80);

    const auto open = [&](const QByteArray &k, const QByteArray &n, const QByteArray &c, const QByteArray &t,
                          QByteArrayView a) {
        return kindThrownBy([&] { CryptoPrimitives::aes256GcmOpen(k, n, c, t, a); });
    };
    EXPECT_EQ(open(otherKey, nonce, sealed.ciphertext, sealed.tag, aad), Kind::authenticationFailed);
    EXPECT_EQ(open(key, otherNonce, sealed.ciphertext, sealed.tag, aad), Kind::authenticationFailed);
    EXPECT_EQ(open(key, nonce, otherCiphertext, sealed.tag, aad), Kind::authenticationFailed);
    EXPECT_EQ(open(key, nonce, sealed.ciphertext, otherTag, aad), Kind::authenticationFailed);
    EXPECT_EQ(open(key, nonce, sealed.ciphertext, sealed.tag, "Header"), Kind::authenticationFailed);
    EXPECT_EQ(open(key, nonce, sealed.ciphertext, sealed.tag.first(15), aad), Kind::authenticationFailed);
}

TEST(CryptoPrimitivesTest, AesGcmRefusesKeysOfTheWrongLength)
{
    const QByteArray nonce(12, '\0');
    for (const qsizetype length : { 0, 16, 31, 33 }) {
        const QByteArray key(length, '\x01');
        EXPECT_EQ(kindThrownBy([&] { CryptoPrimitives::aes256GcmSeal(key, nonce, "x", {}); }),
            Kind::invalidKeyLength)
            << length;
        EXPECT_EQ(
            kindThrownBy([&] { CryptoPrimitives::aes256GcmOpen(key, nonce, "x", QByteArray(16, 0), {}); }),
            Kind::invalidKeyLength)
            << length;
    }
}

TEST(CryptoPrimitivesTest, RandomBytesHaveTheAskedLengthAndDoNotRepeat)
{
    EXPECT_TRUE(CryptoPrimitives::randomBytes(0).isEmpty());
    std::set<QByteArray> seen;
    for (int draw = 0; draw < 64; ++draw) {
        const QByteArray bytes = CryptoPrimitives::randomBytes(16);
        ASSERT_EQ(bytes.size(), 16);
        seen.insert(bytes);
    }
    EXPECT_EQ(seen.size(), 64u);
}
