#include "core/crypto/EnvironmentTovraKeyProvider.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/crypto/MasterKeyHex.h"
#include "core/crypto/SecretServiceTovraKeyProvider.h"
#include "core/crypto/TovraKeyProviders.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::cryptotest;
using Kind = TovraCryptoError::Kind;
using namespace Qt::StringLiterals;

namespace {

const QByteArray keyHex("00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210");
const QByteArray key = QByteArray::fromHex(keyHex);

QProcessEnvironment environment(std::optional<QString> testing, std::optional<QString> masterKeyHex)
{
    QProcessEnvironment result;
    result.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin"));
    if (testing)
        result.insert(QStringLiteral("TOVRA_TESTING"), *testing);
    if (masterKeyHex)
        result.insert(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX"), *masterKeyHex);
    return result;
}

} // namespace

TEST(MasterKeyHexTest, DecodesExactly64HexDigitsInEitherCaseAndNothingElse)
{
    EXPECT_EQ(decodeMasterKeyHex(keyHex), key);
    EXPECT_EQ(decodeMasterKeyHex(keyHex.toUpper()), key);
    EXPECT_EQ(encodeMasterKeyHex(key), keyHex);
    for (const QByteArray &bad : { QByteArray(), keyHex.left(63), keyHex + "0", keyHex.left(62),
             keyHex + "00", "0x" + keyHex.left(62), " " + keyHex.left(63), keyHex.left(63) + "\n",
             keyHex.left(63) + "g", keyHex.left(31) + ":" + keyHex.left(32), QByteArray(64, '\0') }) {
        EXPECT_FALSE(decodeMasterKeyHex(bad).has_value()) << bad.toStdString();
    }
}

TEST(FixedTovraKeyProviderTest, HandsOutItsKeyAndRefusesAWrongLength)
{
    EXPECT_EQ(FixedTovraKeyProvider(key).masterKey(), key);
    EXPECT_EQ(
        cryptoErrorKind([] { FixedTovraKeyProvider(key.left(31)).masterKey(); }), Kind::malformedMasterKey);
}

TEST(EnvironmentTovraKeyProviderTest, ReadsAWellFormedKeyOnlyInTestMode)
{
    const QString good = QString::fromLatin1(keyHex);
    const auto kindFor = [](const QProcessEnvironment &variables) {
        return cryptoErrorKind([&] { EnvironmentTovraKeyProvider(variables).masterKey(); });
    };
    EXPECT_EQ(EnvironmentTovraKeyProvider(environment(u"1"_s, good)).masterKey(), key);
    EXPECT_EQ(EnvironmentTovraKeyProvider(environment(u"1"_s, good.toUpper())).masterKey(), key);

    // Non-Latin-1 digits must not slip through a lossy conversion.
    for (const QString &bad : { good.left(63), good + QLatin1Char('f'), QStringLiteral(" ") + good,
             good.left(63) + QChar(0x0660), QStringLiteral("not a key at all") }) {
        const auto error
            = cryptoError([&] { EnvironmentTovraKeyProvider(environment(u"1"_s, bad)).masterKey(); });
        ASSERT_TRUE(error.has_value()) << bad.toStdString();
        EXPECT_EQ(error->kind(), Kind::malformedMasterKey) << bad.toStdString();
        EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX")));
        EXPECT_FALSE(error->localizedDescription().contains(bad.trimmed().left(16)));
    }

    for (const std::optional<QString> &flag : { std::optional<QString>(), std::optional(u"0"_s),
             std::optional(u"true"_s), std::optional(u" 1"_s), std::optional(QString()) }) {
        EXPECT_EQ(kindFor(environment(flag, good)), Kind::testModeNotEnabled)
            << flag.value_or(u"<unset>"_s).toStdString();
    }
    EXPECT_EQ(kindFor(environment(u"1"_s, std::nullopt)), Kind::testMasterKeyMissing);
    EXPECT_EQ(kindFor(environment(u"1"_s, QString())), Kind::testMasterKeyMissing);
}

TEST(TovraKeyProvidersTest, LiveChoosesTheTestKeyOnlyInTestMode)
{
    const auto testProvider = TovraKeyProviders::live(environment(u"1"_s, QString::fromLatin1(keyHex)));
    ASSERT_NE(dynamic_cast<EnvironmentTovraKeyProvider *>(testProvider.get()), nullptr);
    EXPECT_EQ(testProvider->masterKey(), key);

    // A test key in the environment must not replace the keyring outside test mode.
    for (const std::optional<QString> &flag : { std::optional<QString>(), std::optional(u"0"_s) }) {
        const auto live = TovraKeyProviders::live(environment(flag, QString::fromLatin1(keyHex)));
        EXPECT_NE(dynamic_cast<SecretServiceTovraKeyProvider *>(live.get()), nullptr);
    }

    // Test mode without a usable key is an error, never a silent fall-back to the keyring.
    const auto broken = TovraKeyProviders::live(environment(u"1"_s, std::nullopt));
    EXPECT_EQ(cryptoErrorKind([&] { broken->masterKey(); }), Kind::testMasterKeyMissing);
}
