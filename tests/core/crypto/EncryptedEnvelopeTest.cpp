#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/CryptoPrimitives.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using Kind = TovraCryptoError::Kind;

namespace {

QByteArray envelopeKey()
{
    return QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
}

QByteArray binaryPayload(qsizetype size)
{
    QByteArray payload(size, Qt::Uninitialized);
    for (qsizetype index = 0; index < size; ++index)
        payload[index] = char((index * 7919) % 251);
    return payload;
}

std::optional<Kind> openKind(const QByteArray &envelope, const QByteArray &key)
{
    return cryptotest::cryptoErrorKind([&] { EncryptedEnvelope::open(envelope, key); });
}

} // namespace

TEST(EncryptedEnvelopeTest, RoundTripsPayloadsOfEverySize)
{
    const QByteArray key = envelopeKey();
    for (const QByteArray &payload :
        { QByteArray(), QByteArray("{}"), QByteArray("{\"version\":3,\"records\":[]}"), binaryPayload(1),
            binaryPayload(4096), binaryPayload(1 << 20) }) {
        const QByteArray sealed = EncryptedEnvelope::seal(payload, key);
        EXPECT_EQ(sealed.size(), payload.size() + EncryptedEnvelope::kOverhead);
        EXPECT_EQ(EncryptedEnvelope::open(sealed, key), payload) << payload.size();
    }
}

TEST(EncryptedEnvelopeTest, HasTheDocumentedLayout)
{
    const QByteArray key = envelopeKey();
    const QByteArray payload("{\"pending\":[]}");
    const QByteArray sealed = EncryptedEnvelope::seal(payload, key);

    ASSERT_EQ(sealed.size(), 5 + 12 + payload.size() + 16);
    EXPECT_EQ(sealed.first(4), "TVRE");
    EXPECT_EQ(quint8(sealed.at(4)), 1);
    EXPECT_EQ(sealed.indexOf(payload), -1);

    const QByteArray nonce = sealed.sliced(5, 12);
    const QByteArray ciphertext = sealed.sliced(17, payload.size());
    const QByteArray tag = sealed.last(16);
    EXPECT_EQ(CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, sealed.first(5)), payload);
    // The header is authenticated: the same parts under another header do not open.
    EXPECT_EQ(cryptotest::cryptoErrorKind(
                  [&] { CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, QByteArray()); }),
        Kind::authenticationFailed);
}

TEST(EncryptedEnvelopeTest, EverySealUsesAFreshNonce)
{
    const QByteArray key = envelopeKey();
    const QByteArray first = EncryptedEnvelope::seal("same payload", key);
    const QByteArray second = EncryptedEnvelope::seal("same payload", key);
    EXPECT_NE(first.sliced(5, 12), second.sliced(5, 12));
    EXPECT_NE(first, second);
    EXPECT_EQ(EncryptedEnvelope::open(first, key), EncryptedEnvelope::open(second, key));
}

TEST(EncryptedEnvelopeTest, WrongKeyFailsWithoutRevealingEitherKey)
{
    const QByteArray key = envelopeKey();
    QByteArray wrongKey = key;
    wrongKey[17] = char(wrongKey[17] ^ 0x20);
    const QByteArray sealed = EncryptedEnvelope::seal("secret ledger", key);

    const auto error = cryptotest::cryptoError([&] { EncryptedEnvelope::open(sealed, wrongKey); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), Kind::authenticationFailed);
    const QString text = error->localizedDescription();
    EXPECT_FALSE(text.isEmpty());
    for (const QByteArray &material : { key, wrongKey }) {
        EXPECT_FALSE(text.contains(QString::fromLatin1(material.toHex()), Qt::CaseInsensitive));
        EXPECT_FALSE(text.contains(QString::fromLatin1(material.toBase64())));
    }
}

TEST(EncryptedEnvelopeTest, AnyFlippedBitIsDetected)
{
    const QByteArray key = envelopeKey();
    const QByteArray sealed = EncryptedEnvelope::seal("{\"a\":1}", key);
    for (qsizetype position = 0; position < sealed.size(); ++position) {
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray damaged = sealed;
            damaged[position] = char(damaged[position] ^ (1 << bit));
            const Kind expected = position < 4 ? Kind::unrecognizedEnvelope
                : position == 4                ? Kind::unsupportedEnvelopeVersion
                                               : Kind::authenticationFailed;
            EXPECT_EQ(openKind(damaged, key), expected) << "byte " << position << " bit " << bit;
        }
    }
}

TEST(EncryptedEnvelopeTest, EveryTruncationIsDetected)
{
    const QByteArray key = envelopeKey();
    const QByteArray sealed = EncryptedEnvelope::seal("{\"records\":[1,2,3]}", key);
    for (qsizetype length = 0; length < sealed.size(); ++length) {
        const Kind expected
            = length < EncryptedEnvelope::kOverhead ? Kind::truncatedEnvelope : Kind::authenticationFailed;
        EXPECT_EQ(openKind(sealed.first(length), key), expected) << "length " << length;
    }
}

TEST(EncryptedEnvelopeTest, AppendedOrReorderedDataIsDetected)
{
    const QByteArray key = envelopeKey();
    const QByteArray sealed = EncryptedEnvelope::seal("{\"records\":[]}", key);
    EXPECT_EQ(openKind(sealed + '\0', key), Kind::authenticationFailed);
    EXPECT_EQ(openKind(sealed + sealed, key), Kind::authenticationFailed);

    QByteArray swapped = sealed;
    std::swap(swapped[20], swapped[21]);
    EXPECT_EQ(openKind(swapped, key), Kind::authenticationFailed);
}

TEST(EncryptedEnvelopeTest, ForeignDataIsNotTakenForAnEnvelope)
{
    const QByteArray key = envelopeKey();
    EXPECT_EQ(openKind("{\"version\":1,\"pendingSources\":[]}", key), Kind::unrecognizedEnvelope);
    EXPECT_EQ(openKind("TVR", key), Kind::truncatedEnvelope);
    EXPECT_EQ(openKind("XY", key), Kind::unrecognizedEnvelope);
    EXPECT_EQ(openKind(QByteArray(64, '\0'), key), Kind::unrecognizedEnvelope);
}

TEST(EncryptedEnvelopeTest, ReportsTheVersionItCannotRead)
{
    const QByteArray key = envelopeKey();
    QByteArray future = EncryptedEnvelope::seal("{}", key);
    future[4] = char(2);
    const auto error = cryptotest::cryptoError([&] { EncryptedEnvelope::open(future, key); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), Kind::unsupportedEnvelopeVersion);
    EXPECT_EQ(error->detail(), QStringLiteral("2"));
    EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("version 2")));

    // The version is checked before the length: a short file of a newer format
    // is reported as such, not as damaged.
    EXPECT_EQ(openKind(QByteArray("TVRE\x07", 5), key), Kind::unsupportedEnvelopeVersion);
    EXPECT_EQ(openKind(QByteArray("TVRE\x01", 5), key), Kind::truncatedEnvelope);
}

TEST(EncryptedEnvelopeTest, RefusesKeysThatAreNot32Bytes)
{
    const QByteArray sealed = EncryptedEnvelope::seal("{}", envelopeKey());
    for (const qsizetype length : { 0, 16, 31, 33 }) {
        const QByteArray key(length, '\x03');
        EXPECT_EQ(
            cryptotest::cryptoErrorKind([&] { EncryptedEnvelope::seal("{}", key); }), Kind::invalidKeyLength);
        EXPECT_EQ(openKind(sealed, key), Kind::invalidKeyLength);
    }
}
