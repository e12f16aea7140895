#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/CryptoPrimitives.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::cryptotest;
using Kind = TovraCryptoError::Kind;

namespace {

const QByteArray key
    = QByteArray::fromHex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");

std::optional<Kind> openKind(const QByteArray &envelope)
{
    const std::optional<Kind> kind = cryptoErrorKind([&] { EncryptedEnvelope::open(envelope, key); });
    // Opening in place refuses exactly what open() refuses.
    EXPECT_EQ(cryptoErrorKind([&] { EncryptedEnvelope::openInPlace(envelope, key); }), kind);
    return kind;
}

// The envelope the streaming seal writes for `payload` given in three parts.
QByteArray sealedInParts(const QByteArray &payload)
{
    const qsizetype third = payload.size() / 3;
    QByteArray sealed;
    EncryptedEnvelope::seal({ payload.first(third), payload.sliced(third, third), payload.sliced(2 * third) },
        key, [&](QByteArrayView bytes) { sealed.append(bytes); });
    return sealed;
}

} // namespace

TEST(EncryptedEnvelopeTest, RoundTripsPayloadsOfEverySizeUnderAFreshNonce)
{
    QByteArray large(1 << 20, Qt::Uninitialized);
    for (qsizetype index = 0; index < large.size(); ++index)
        large[index] = char((index * 7919) % 251);
    for (const QByteArray &payload :
        { QByteArray(), QByteArray("{}"), large.first(1), large.first(4096), large }) {
        for (const QByteArray &sealed : { EncryptedEnvelope::seal(payload, key), sealedInParts(payload) }) {
            EXPECT_EQ(sealed.size(), payload.size() + EncryptedEnvelope::kOverhead);
            EXPECT_EQ(EncryptedEnvelope::open(sealed, key), payload) << payload.size();
            EXPECT_EQ(EncryptedEnvelope::openInPlace(sealed, key), payload) << payload.size();
        }
    }
    EXPECT_NE(EncryptedEnvelope::seal("same", key).sliced(5, 12),
        EncryptedEnvelope::seal("same", key).sliced(5, 12));
}

TEST(EncryptedEnvelopeTest, HasTheDocumentedLayoutWithAnAuthenticatedHeader)
{
    const QByteArray payload("{\"pending\":[]}");
    const QByteArray sealed = EncryptedEnvelope::seal(payload, key);
    ASSERT_EQ(sealed.size(), 5 + 12 + payload.size() + 16);
    EXPECT_EQ(sealed.first(5), QByteArray("TVRE\x01"));
    EXPECT_EQ(sealed.indexOf(payload), -1);

    const QByteArray nonce = sealed.sliced(5, 12);
    const QByteArray ciphertext = sealed.sliced(17, payload.size());
    const QByteArray tag = sealed.last(16);
    EXPECT_EQ(CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, sealed.first(5)), payload);
    EXPECT_EQ(cryptoErrorKind([&] { CryptoPrimitives::aes256GcmOpen(key, nonce, ciphertext, tag, {}); }),
        Kind::authenticationFailed);
}

TEST(EncryptedEnvelopeTest, WrongKeyFailsWithoutRevealingEitherKey)
{
    QByteArray wrongKey = key;
    wrongKey[17] = char(wrongKey[17] ^ 0x20);
    const auto error
        = cryptoError([&] { EncryptedEnvelope::open(EncryptedEnvelope::seal("ledger", key), wrongKey); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), Kind::authenticationFailed);
    const QString text = error->localizedDescription();
    EXPECT_FALSE(text.isEmpty());
    for (const QByteArray &material : { key, wrongKey }) {
        EXPECT_FALSE(text.contains(QString::fromLatin1(material.toHex()), Qt::CaseInsensitive));
        EXPECT_FALSE(text.contains(QString::fromLatin1(material.toBase64())));
    }
}

TEST(EncryptedEnvelopeTest, EveryFlippedBitAndEveryTruncationIsDetected)
{
    const QByteArray sealed = EncryptedEnvelope::seal("{\"records\":[1,2,3]}", key);
    for (qsizetype position = 0; position < sealed.size(); ++position) {
        const Kind expected = position < 4 ? Kind::unrecognizedEnvelope
            : position == 4                ? Kind::unsupportedEnvelopeVersion
                                           : Kind::authenticationFailed;
        for (int bit = 0; bit < 8; ++bit) {
            QByteArray damaged = sealed;
            damaged[position] = char(damaged[position] ^ (1 << bit));
            EXPECT_EQ(openKind(damaged), expected) << "byte " << position << " bit " << bit;
        }
        EXPECT_EQ(openKind(sealed.first(position)),
            position < EncryptedEnvelope::kOverhead ? Kind::truncatedEnvelope : Kind::authenticationFailed)
            << "length " << position;
    }
}

TEST(EncryptedEnvelopeTest, ForeignExtendedOrReorderedDataIsRefused)
{
    const QByteArray sealed = EncryptedEnvelope::seal("{\"records\":[]}", key);
    QByteArray swapped = sealed;
    std::swap(swapped[20], swapped[21]);
    const std::pair<QByteArray, Kind> cases[] = {
        { sealed + '\0', Kind::authenticationFailed },
        { sealed + sealed, Kind::authenticationFailed },
        { swapped, Kind::authenticationFailed },
        { "{\"version\":1,\"pendingSources\":[]}", Kind::unrecognizedEnvelope },
        { "XY", Kind::unrecognizedEnvelope },
        { QByteArray(64, '\0'), Kind::unrecognizedEnvelope },
        { "TVR", Kind::truncatedEnvelope },
        // The version is checked before the length: a short file of a newer
        // format is reported as such, not as damaged.
        { QByteArray("TVRE\x07", 5), Kind::unsupportedEnvelopeVersion },
        { QByteArray("TVRE\x01", 5), Kind::truncatedEnvelope },
    };
    for (const auto &[data, expected] : cases)
        EXPECT_EQ(openKind(data), expected) << data.toHex().toStdString();

    QByteArray future = sealed;
    future[4] = char(2);
    const auto error = cryptoError([&] { EncryptedEnvelope::open(future, key); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->detail(), QStringLiteral("2"));
    EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("version 2")));
}
