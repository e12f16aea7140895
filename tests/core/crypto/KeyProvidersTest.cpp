#include "core/crypto/EnvironmentTovraKeyProvider.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/crypto/MasterKeyHex.h"
#include "core/crypto/SecretServiceTovraKeyProvider.h"
#include "core/crypto/TovraKeyProviders.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using Kind = TovraCryptoError::Kind;
using namespace Qt::StringLiterals;

namespace {

const char kKeyHex[] = "00112233445566778899aabbccddeeff0123456789abcdeffedcba9876543210";

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, QString>> variables)
{
    QProcessEnvironment result;
    result.insert(QStringLiteral("PATH"), QStringLiteral("/usr/bin"));
    for (const auto &[name, value] : variables)
        result.insert(QString::fromLatin1(name), value);
    return result;
}

QProcessEnvironment testEnvironment(const QString &keyHex)
{
    return environment({ { "TOVRA_TESTING", QStringLiteral("1") }, { "TOVRA_TEST_MASTER_KEY_HEX", keyHex } });
}

} // namespace

TEST(MasterKeyHexTest, DecodesExactly64HexDigitsInEitherCase)
{
    const QByteArray expected = QByteArray::fromHex(kKeyHex);
    EXPECT_EQ(decodeMasterKeyHex(kKeyHex), expected);
    EXPECT_EQ(decodeMasterKeyHex(QByteArray(kKeyHex).toUpper()), expected);
    EXPECT_EQ(encodeMasterKeyHex(expected), QByteArray(kKeyHex));
}

TEST(MasterKeyHexTest, RefusesAnythingElse)
{
    const QByteArray good(kKeyHex);
    for (const QByteArray &bad : { QByteArray(), good.left(63), good + "0", good.left(62), good + "00",
             "0x" + good.left(62), " " + good.left(63), good.left(63) + "\n", good.left(63) + "g",
             good.left(31) + ":" + good.left(32), QByteArray(64, '\0') }) {
        EXPECT_FALSE(decodeMasterKeyHex(bad).has_value()) << bad.toStdString();
    }
    EXPECT_EQ(
        cryptotest::cryptoErrorKind([] { encodeMasterKeyHex(QByteArray(31, 'k')); }), Kind::invalidKeyLength);
}

TEST(FixedTovraKeyProviderTest, HandsOutItsKeyAndRefusesAWrongLength)
{
    const QByteArray key = QByteArray::fromHex(kKeyHex);
    FixedTovraKeyProvider provider(key);
    EXPECT_EQ(provider.masterKey(), key);
    EXPECT_EQ(provider.masterKey(), key);

    FixedTovraKeyProvider shortKey(key.left(31));
    EXPECT_EQ(cryptotest::cryptoErrorKind([&] { shortKey.masterKey(); }), Kind::malformedMasterKey);
}

TEST(EnvironmentTovraKeyProviderTest, ReadsTheTestKeyInEitherCase)
{
    const QByteArray expected = QByteArray::fromHex(kKeyHex);
    EXPECT_EQ(
        EnvironmentTovraKeyProvider(testEnvironment(QString::fromLatin1(kKeyHex))).masterKey(), expected);
    EXPECT_EQ(
        EnvironmentTovraKeyProvider(testEnvironment(QString::fromLatin1(kKeyHex).toUpper())).masterKey(),
        expected);
}

TEST(EnvironmentTovraKeyProviderTest, RefusesMalformedKeysWithoutEchoingThem)
{
    const QString good = QString::fromLatin1(kKeyHex);
    for (const QString &bad : { good.left(63), good + QLatin1Char('f'), good.left(63) + QLatin1Char('x'),
             QStringLiteral(" ") + good, good + QLatin1Char('\n'), u"zz"_s.repeated(32),
             good.left(63) + QChar(0x0660), QStringLiteral("not a key at all") }) {
        const auto error
            = cryptotest::cryptoError([&] { EnvironmentTovraKeyProvider(testEnvironment(bad)).masterKey(); });
        ASSERT_TRUE(error.has_value()) << bad.toStdString();
        EXPECT_EQ(error->kind(), Kind::malformedMasterKey) << bad.toStdString();
        EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX")));
        EXPECT_FALSE(error->localizedDescription().contains(bad.trimmed().left(16)));
    }
}

TEST(EnvironmentTovraKeyProviderTest, NeedsTestModeAndAKey)
{
    const QString key = QString::fromLatin1(kKeyHex);
    const auto kindFor = [](const QProcessEnvironment &variables) {
        return cryptotest::cryptoErrorKind([&] { EnvironmentTovraKeyProvider(variables).masterKey(); });
    };
    EXPECT_EQ(kindFor(environment({ { "TOVRA_TEST_MASTER_KEY_HEX", key } })), Kind::testModeNotEnabled);
    for (const char *flag : { "0", "true", "yes", " 1", "" }) {
        EXPECT_EQ(kindFor(environment({ { "TOVRA_TESTING", QString::fromLatin1(flag) },
                      { "TOVRA_TEST_MASTER_KEY_HEX", key } })),
            Kind::testModeNotEnabled)
            << flag;
    }
    EXPECT_EQ(kindFor(environment({ { "TOVRA_TESTING", QStringLiteral("1") } })), Kind::testMasterKeyMissing);
    EXPECT_EQ(kindFor(testEnvironment(QString())), Kind::testMasterKeyMissing);
}

TEST(TovraKeyProvidersTest, LiveChoosesTheTestKeyOnlyInTestMode)
{
    const auto testProvider = TovraKeyProviders::live(testEnvironment(QString::fromLatin1(kKeyHex)));
    ASSERT_NE(dynamic_cast<EnvironmentTovraKeyProvider *>(testProvider.get()), nullptr);
    EXPECT_EQ(testProvider->masterKey(), QByteArray::fromHex(kKeyHex));

    // A test key in the environment must not replace the keyring outside test mode.
    for (const char *flag : { "0", "" }) {
        const auto live
            = TovraKeyProviders::live(environment({ { "TOVRA_TESTING", QString::fromLatin1(flag) },
                { "TOVRA_TEST_MASTER_KEY_HEX", QString::fromLatin1(kKeyHex) } }));
        EXPECT_NE(dynamic_cast<SecretServiceTovraKeyProvider *>(live.get()), nullptr) << flag;
    }
    EXPECT_NE(
        dynamic_cast<SecretServiceTovraKeyProvider *>(TovraKeyProviders::live(QProcessEnvironment()).get()),
        nullptr);

    // Test mode without a usable key is an error, never a silent fall-back to the keyring.
    const auto broken = TovraKeyProviders::live(environment({ { "TOVRA_TESTING", QStringLiteral("1") } }));
    EXPECT_EQ(cryptotest::cryptoErrorKind([&] { broken->masterKey(); }), Kind::testMasterKeyMissing);
}
