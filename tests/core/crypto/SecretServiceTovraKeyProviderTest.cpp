#include "core/crypto/SecretServiceTovraKeyProvider.h"
#include "core/crypto/MasterKeyHex.h"

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
    EXPECT_NE(key, QByteArray(32, '\0'));
    EXPECT_EQ(storedSecrets(account), QList<QByteArray> { key.toHex() });

    EXPECT_EQ(provider.masterKey(), key);
    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), key);
    EXPECT_EQ(storedSecrets(account).size(), 1);

    const QString otherAccount = uniqueAccount("first-use-other");
    EXPECT_NE(SecretServiceTovraKeyProvider(otherAccount).masterKey(), key);
}

TEST(SecretServiceTovraKeyProviderTest, ReadsAKeyStoredByAnotherWriter)
{
    const QByteArray key
        = QByteArray::fromHex("8899aabbccddeeff00112233445566778899aabbccddeeff0011223344556677");
    const QString lower = uniqueAccount("stored-lower");
    plantItem(lower, key.toHex());
    EXPECT_EQ(SecretServiceTovraKeyProvider(lower).masterKey(), key);

    const QString upper = uniqueAccount("stored-upper");
    plantItem(upper, key.toHex().toUpper());
    EXPECT_EQ(SecretServiceTovraKeyProvider(upper).masterKey(), key);
}

TEST(SecretServiceTovraKeyProviderTest, ACorruptItemIsAnErrorAndIsNeverReplaced)
{
    const QByteArray goodHex = QByteArray(32, '\x5a').toHex();
    for (const QByteArray &corrupt : { QByteArray("not a key"), QByteArray(), goodHex.left(62),
             goodHex + "00", goodHex.left(63) + "q", goodHex + "\n", QByteArray(32, '\x5a') }) {
        const QString account = uniqueAccount("corrupt");
        plantItem(account, corrupt);

        SecretServiceTovraKeyProvider provider(account);
        const auto error = cryptoError([&] { provider.masterKey(); });
        ASSERT_TRUE(error.has_value()) << corrupt.toStdString();
        EXPECT_EQ(error->kind(), Kind::malformedMasterKey);
        EXPECT_TRUE(error->localizedDescription().contains(QStringLiteral("keyring")));
        if (corrupt.size() > 4) {
            EXPECT_FALSE(error->localizedDescription().toUtf8().contains(corrupt.left(8)));
        }

        // Asking again must not have "repaired" the item with a new key.
        EXPECT_EQ(cryptoErrorKind([&] { provider.masterKey(); }), Kind::malformedMasterKey);
        EXPECT_EQ(storedSecrets(account), QList<QByteArray> { corrupt });
    }
}

TEST(SecretServiceTovraKeyProviderTest, DuplicateItemsResolveToTheOldestWhichIsLeftInPlace)
{
    const QString account = uniqueAccount("duplicates");
    const QByteArray first = QByteArray(32, '\x11');
    const QByteArray second = QByteArray(32, '\x22');
    plantItem(account, first.toHex());
    plantItem(account, second.toHex());

    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), first);
    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), first);
    EXPECT_EQ(storedSecrets(account), (QList<QByteArray> { first.toHex(), second.toHex() }));
}

TEST(SecretServiceTovraKeyProviderTest, ConcurrentFirstUsesAgreeOnOneKey)
{
    const QString account = uniqueAccount("concurrent");
    constexpr int writers = 6;
    std::vector<QByteArray> keys(writers);
    std::vector<std::optional<QString>> failures(writers);
    {
        std::vector<std::jthread> threads;
        for (int index = 0; index < writers; ++index) {
            threads.emplace_back([&, index] {
                try {
                    keys[index] = SecretServiceTovraKeyProvider(account).masterKey();
                } catch (const TovraCryptoError &error) {
                    failures[index] = error.localizedDescription();
                }
            });
        }
    }
    for (int index = 0; index < writers; ++index) {
        ASSERT_FALSE(failures[index].has_value()) << failures[index]->toStdString();
        EXPECT_EQ(keys[index], keys[0]) << index;
    }
    EXPECT_EQ(keys[0].size(), 32);
    const QList<QByteArray> stored = storedSecrets(account);
    ASSERT_FALSE(stored.isEmpty());
    EXPECT_EQ(stored.first(), keys[0].toHex());
    EXPECT_EQ(SecretServiceTovraKeyProvider(account).masterKey(), keys[0]);
}

namespace {

struct ProbeOutcome {
    QStringList lines;
    QString errors;
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
    return ProbeOutcome { QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
        QString::fromUtf8(process.readAllStandardError()) };
}

QString errorLine(Kind kind)
{
    return QStringLiteral("error %1 ").arg(int(kind));
}

} // namespace

TEST(SecretServiceTovraKeyProviderTest, ALockedKeyringIsReportedWithoutUnlockingIt)
{
    const ProbeOutcome outcome = runInPrivateSession(
        QStringLiteral("set -eu\n"
                       "echo -n pw | gnome-keyring-daemon --unlock --components=secrets >/dev/null\n"
                       "\"$PROBE\" stored\n"
                       "\"$PROBE\" stored\n"
                       // The restarted daemon loads the same keyring, locked.
                       "gnome-keyring-daemon --replace --components=secrets >/dev/null 2>&1\n"
                       "\"$PROBE\" stored\n"
                       "\"$PROBE\" fresh\n"));
    ASSERT_EQ(outcome.lines.size(), 4)
        << outcome.lines.join(u'\n').toStdString() << outcome.errors.toStdString();
    EXPECT_TRUE(outcome.lines[0].startsWith(QStringLiteral("ok "))) << outcome.lines[0].toStdString();
    EXPECT_EQ(outcome.lines[1], outcome.lines[0]);
    EXPECT_TRUE(outcome.lines[2].startsWith(errorLine(Kind::keyStoreLocked)))
        << outcome.lines[2].toStdString();
    EXPECT_TRUE(outcome.lines[3].startsWith(errorLine(Kind::keyStoreLocked)))
        << outcome.lines[3].toStdString();
    // Reading a locked keyring must not ask the user for its password.
    EXPECT_FALSE(outcome.errors.contains(QStringLiteral("SystemPrompter"))) << outcome.errors.toStdString();
}

TEST(SecretServiceTovraKeyProviderTest, AKeyringWithoutADefaultCollectionIsUnavailable)
{
    const ProbeOutcome outcome
        = runInPrivateSession(QStringLiteral("set -eu\n"
                                             "gnome-keyring-daemon --start --components=secrets >/dev/null\n"
                                             "\"$PROBE\" fresh\n"));
    ASSERT_EQ(outcome.lines.size(), 1) << outcome.errors.toStdString();
    EXPECT_TRUE(outcome.lines[0].startsWith(errorLine(Kind::keyStoreUnavailable)))
        << outcome.lines[0].toStdString();
}

TEST(SecretServiceTovraKeyProviderTest, AKeyringThatNeverAnswersIsGivenUpOnAfterTheTimeout)
{
    // The probe allows 300 ms; without the bound it would wait for D-Bus's own
    // 25 s time-out on each call.
    const ProbeOutcome outcome
        = runInPrivateSession(QStringLiteral("set -eu\n"
                                             "coproc SILENT { exec \"$SILENT_SECRET_SERVICE\"; }\n"
                                             "read -r ready <&\"${SILENT[0]}\"\n"
                                             "echo \"$ready\"\n"
                                             "\"$PROBE\" any 300\n"
                                             "kill \"$SILENT_PID\"\n"));
    ASSERT_EQ(outcome.lines.size(), 2) << outcome.errors.toStdString();
    EXPECT_EQ(outcome.lines[0], QStringLiteral("ready"));
    EXPECT_TRUE(outcome.lines[1].startsWith(errorLine(Kind::keyStoreUnavailable)))
        << outcome.lines[1].toStdString();
    EXPECT_TRUE(outcome.lines[1].contains(QStringLiteral("did not answer within 0.3 s")))
        << outcome.lines[1].toStdString();
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
