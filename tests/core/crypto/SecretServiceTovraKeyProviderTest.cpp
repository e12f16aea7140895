#include "core/crypto/SecretServiceTovraKeyProvider.h"

#include "CryptoTestSupport.h"
#include "KeyringTestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <thread>
#include <vector>

using namespace tovra;
using namespace tovra::cryptotest;
using Kind = TovraCryptoError::Kind;

// These tests use the unlocked keyring of the private session that
// scripts/with-desktop-session.sh starts; each works on an account of its own.

TEST(SecretServiceTovraKeyProviderTest, CreatesTheKeyOnFirstUseAndKeepsIt)
{
    const QString account = uniqueAccount("first-use");
    ASSERT_TRUE(storedSecrets(account).isEmpty());

    SecretServiceTovraKeyProvider provider(account);
    const QByteArray key = provider.masterKey();
    ASSERT_EQ(key.size(), 32);
    EXPECT_EQ(storedSecrets(account), QList<QByteArray> { key.toHex() });
    EXPECT_EQ(provider.masterKey(), key);
    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), key);
    EXPECT_EQ(storedSecrets(account).size(), 1);
    EXPECT_NE(SecretServiceTovraKeyProvider(uniqueAccount("first-use-other")).masterKey(), key);
}

TEST(SecretServiceTovraKeyProviderTest, ReadsTheOldestOfSeveralStoredKeysAndLeavesThemInPlace)
{
    const QString account = uniqueAccount("stored");
    const QByteArray first
        = QByteArray::fromHex("8899aabbccddeeff00112233445566778899aabbccddeeff0011223344556677");
    const QByteArray second(32, '\x22');
    plantItem(account, first.toHex().toUpper());
    plantItem(account, second.toHex());

    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), first);
    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), first);
    EXPECT_EQ(storedSecrets(account), (QList<QByteArray> { first.toHex().toUpper(), second.toHex() }));
}

TEST(SecretServiceTovraKeyProviderTest, ACorruptItemIsAnErrorAndIsNeverReplaced)
{
    // Empty and raw (unencoded) keys must not pass for "no key yet" or for a key.
    for (const QByteArray &corrupt : { QByteArray("not a key"), QByteArray(), QByteArray(32, '\x5a'),
             QByteArray(32, '\x5a').toHex() + "\n" }) {
        SCOPED_TRACE(corrupt.toHex().toStdString());
        const QString account = uniqueAccount("corrupt");
        plantItem(account, corrupt);

        SecretServiceTovraKeyProvider provider(account);
        const auto error = cryptoError([&] { provider.masterKey(); });
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->kind(), Kind::malformedMasterKey);
        EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("keyring")));
        if (!corrupt.isEmpty()) {
            EXPECT_FALSE(error->localizedDescription().toUtf8().contains(corrupt.left(8)));
        }

        EXPECT_EQ(cryptoErrorKind([&] { provider.masterKey(); }), Kind::malformedMasterKey);
        EXPECT_EQ(storedSecrets(account), QList<QByteArray> { corrupt });
    }
}

TEST(SecretServiceTovraKeyProviderTest, ConcurrentFirstUsesAgreeOnOneKey)
{
    const QString account = uniqueAccount("concurrent");
    std::vector<QByteArray> keys(6);
    std::vector<QString> failures(keys.size());
    {
        std::vector<std::jthread> threads;
        for (size_t index = 0; index < keys.size(); ++index) {
            threads.emplace_back([&, index] {
                if (const auto error
                    = cryptoError([&] { keys[index] = SecretServiceTovraKeyProvider(account).masterKey(); }))
                    failures[index] = error->localizedDescription();
            });
        }
    }
    for (size_t index = 0; index < keys.size(); ++index) {
        EXPECT_EQ(failures[index], QString()) << index;
        EXPECT_EQ(keys[index], keys[0]) << index;
    }
    EXPECT_EQ(keys[0].size(), 32);
    const QList<QByteArray> stored = storedSecrets(account);
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_EQ(stored.first(), keys[0].toHex());
}

namespace {

struct ProbeOutcome {
    QStringList lines;
    std::string errors;
};

// Runs `script` with bash in a fresh session bus with its own home folder, so
// that it can start, lock and stop a keyring daemon without touching the
// shared one. $PROBE names the probe program.
ProbeOutcome runInPrivateSession(const QString &script)
{
    QTemporaryDir root;
    EXPECT_TRUE(root.isValid());
    QDir(root.path()).mkpath(QStringLiteral("home"));
    QDir(root.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(root.filePath(QStringLiteral("runtime")),
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), root.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root.filePath(QStringLiteral("runtime")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root.filePath(QStringLiteral("home/.local/share")));
    environment.insert(QStringLiteral("PROBE"), QStringLiteral(TOVRA_KEYRING_PROBE));
    environment.insert(QStringLiteral("SILENT_SECRET_SERVICE"), QStringLiteral(TOVRA_SILENT_SECRET_SERVICE));
    // Without a display no unlock prompt could ever be shown.
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));

    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("dbus-run-session"),
        { QStringLiteral("--"), QStringLiteral("bash"), QStringLiteral("-c"), script });
    EXPECT_TRUE(process.waitForFinished(120'000)) << "the private keyring session did not end";
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    // Reading a locked keyring must never ask the user for its password.
    EXPECT_FALSE(errors.contains(QStringLiteral("SystemPrompter"))) << errors.toStdString();
    return ProbeOutcome { QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
        errors.toStdString() };
}

QString errorLine(Kind kind)
{
    return QStringLiteral("error %1 ").arg(int(kind));
}

} // namespace

TEST(SecretServiceTovraKeyProviderTest, ALockedKeyringIsReportedWithoutUnlockingIt)
{
    const auto [lines, errors] = runInPrivateSession(
        QStringLiteral("set -eu\n"
                       "echo -n pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null\n"
                       "\"$PROBE\" stored\n"
                       "\"$PROBE\" stored\n"
                       // The restarted daemon loads the same keyring, locked.
                       "gnome-keyring-daemon --replace --components=secrets >/dev/null 2>&1\n"
                       "\"$PROBE\" stored\n"
                       "\"$PROBE\" fresh\n"));
    ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString() << errors;
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("ok "))) << lines[0].toStdString();
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_TRUE(lines[2].startsWith(errorLine(Kind::keyStoreLocked))) << lines[2].toStdString();
    EXPECT_TRUE(lines[3].startsWith(errorLine(Kind::keyStoreLocked))) << lines[3].toStdString();
}

TEST(SecretServiceTovraKeyProviderTest, AKeyringWithoutADefaultCollectionIsUnavailable)
{
    const auto [lines, errors] = runInPrivateSession(QStringLiteral(
        "set -eu\ngnome-keyring-daemon --start --components=secrets >/dev/null\n\"$PROBE\" fresh\n"));
    ASSERT_EQ(lines.size(), 1) << errors;
    EXPECT_TRUE(lines[0].startsWith(errorLine(Kind::keyStoreUnavailable))) << lines[0].toStdString();
}

TEST(SecretServiceTovraKeyProviderTest, AKeyringThatNeverAnswersIsGivenUpOnAfterTheTimeout)
{
    // The probe allows 300 ms; without the bound it would wait for D-Bus's own
    // 25 s time-out on each call.
    const auto [lines, errors]
        = runInPrivateSession(QStringLiteral("set -eu\n"
                                             "coproc SILENT { exec \"$SILENT_SECRET_SERVICE\"; }\n"
                                             "read -r ready <&\"${SILENT[0]}\"\n"
                                             "echo \"$ready\"\n"
                                             "\"$PROBE\" any 300\n"
                                             "kill \"$SILENT_PID\"\n"));
    ASSERT_EQ(lines.size(), 2) << errors;
    EXPECT_EQ(lines[0], QStringLiteral("ready"));
    EXPECT_TRUE(lines[1].startsWith(errorLine(Kind::keyStoreUnavailable))) << lines[1].toStdString();
    EXPECT_TRUE(lines[1].contains(QStringLiteral("did not answer within 0.3 s"))) << lines[1].toStdString();
}

TEST(SecretServiceTovraKeyProviderTest, AMissingSessionBusIsUnavailable)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
        QStringLiteral("unix:path=%1").arg(root.filePath(QStringLiteral("no-bus"))));
    environment.remove(QStringLiteral("DISPLAY"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOVRA_KEYRING_PROBE), { QStringLiteral("any") });
    ASSERT_TRUE(process.waitForFinished(60'000));
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(output.startsWith(errorLine(Kind::keyStoreUnavailable))) << output.toStdString();
}
