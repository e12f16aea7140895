#include "app/data/TovraAppDataStoreFactory.h"
#include "AwaitTask.h"
#include "app/data/LocalStoreError.h"
#include "app/data/TovraCoreDataStore.h"
#include "app/data/UnavailableTovraDataStore.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/TovraLedger.h"
#include "core/records/TovraError.h"
#include "platform/simulated/SimulatedClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <future>
#include <tuple>
#include <vector>

namespace tovra::app::testing {
namespace {

const QByteArray masterKey(32, '\x5a');

// Wholly Chinese: a Chinese sentence and after it at most the ledger's path
// and an errno; the ledger's own English description (`reason`) is left to
// the log.
bool toldInChineseWithout(const QString &told, const QString &reason, const QString &path = {})
{
    QString rest = told;
    if (!path.isEmpty())
        rest.remove(path);
    rest.remove(QRegularExpression(QStringLiteral("errno \\d+")));
    return !told.isEmpty() && told.front().script() == QChar::Script_Han && !told.contains(reason)
        && !rest.contains(QRegularExpression(QStringLiteral("[A-Za-z]")));
}

class ThrowingKeyProvider final : public TovraKeyProviding {
public:
    QByteArray masterKey() override { throw TovraCryptoError(TovraCryptoError::Kind::keyStoreLocked); }
};

class StoreFactoryTest : public ::testing::Test {
protected:
    // makeDefault reads the process environment; what a test sets there must
    // not reach the tests after it when they share the process.
    void SetUp() override
    {
        for (const char *name : environmentNames)
            m_savedEnvironment.emplace_back(name, qEnvironmentVariableIsSet(name), qgetenv(name));
    }

    void TearDown() override
    {
        for (const auto &[name, wasSet, value] : m_savedEnvironment) {
            if (wasSet)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
    }

    QString ledgerPath() const { return m_folder.path() + QStringLiteral("/Tovra/ledger.json.enc"); }

    QProcessEnvironment environment(const QString &ledgerPath) const
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("HOME"), m_folder.path());
        environment.insert(QStringLiteral("TOVRA_LEDGER_PATH"), ledgerPath);
        return environment;
    }

    // What opening the ledger directly reports.
    QString openingError(const QString &path, TovraKeyProviding &keys) const
    {
        try {
            TovraLedger::live(path, keys);
        } catch (const TovraError &error) {
            return error.localizedDescription();
        }
        return {};
    }

    static constexpr const char *environmentNames[]
        = { "TOVRA_TESTING", "TOVRA_TEST_MASTER_KEY_HEX", "TOVRA_LEDGER_PATH" };
    std::vector<std::tuple<const char *, bool, QByteArray>> m_savedEnvironment;
    QTemporaryDir m_folder;
    std::shared_ptr<SimulatedClock> m_clock = std::make_shared<SimulatedClock>();
};

TEST_F(StoreFactoryTest, OpensTheLedgerAtItsLocationForTheEnvironment)
{
    const auto store = TovraAppDataStoreFactory::make(
        environment(ledgerPath()), std::make_unique<FixedTovraKeyProvider>(masterKey), m_clock);
    ASSERT_NE(dynamic_cast<TovraCoreDataStore *>(store.get()), nullptr);
    awaitTask(store->setPaused(true));
    FixedTovraKeyProvider keys(masterKey);
    EXPECT_TRUE(TovraLedger::live(ledgerPath(), keys)->isPaused());
}

TEST_F(StoreFactoryTest, ALedgerThatCannotBeOpenedGivesTheUnavailableStoreWithTheReason)
{
    ASSERT_TRUE(QDir().mkpath(ledgerPath()));
    FixedTovraKeyProvider keys(masterKey);
    const QString reason = openingError(ledgerPath(), keys);
    ASSERT_FALSE(reason.isEmpty());

    std::shared_ptr<TovraAppDataProviding> store;
    ASSERT_NO_THROW(store = TovraAppDataStoreFactory::make(environment(ledgerPath()),
                        std::make_unique<FixedTovraKeyProvider>(masterKey), m_clock));
    const auto *unavailable = dynamic_cast<UnavailableTovraDataStore *>(store.get());
    ASSERT_NE(unavailable, nullptr);
    // Told in Chinese, the path after it; the ledger's own words are logged.
    EXPECT_TRUE(toldInChineseWithout(unavailable->openErrorDescription(), reason, ledgerPath()));
    EXPECT_TRUE(unavailable->openErrorDescription().contains(ledgerPath()));
    try {
        awaitTask(store->listRecords());
        FAIL() << "an unavailable store listed records";
    } catch (const LocalStoreError &error) {
        EXPECT_EQ(error.localizedDescription(),
            QStringLiteral("无法打开本地加密账本：") + unavailable->openErrorDescription());
    }
}

TEST_F(StoreFactoryTest, AFailingKeySourceOrALedgerOfAnotherKeyIsUnavailableAndLeftAsItIs)
{
    ThrowingKeyProvider failing;
    const QString reason = openingError(ledgerPath(), failing);
    ASSERT_FALSE(reason.isEmpty());
    const auto withoutKey = TovraAppDataStoreFactory::make(
        environment(ledgerPath()), std::make_unique<ThrowingKeyProvider>(), m_clock);
    const auto *unavailable = dynamic_cast<UnavailableTovraDataStore *>(withoutKey.get());
    ASSERT_NE(unavailable, nullptr);
    EXPECT_TRUE(toldInChineseWithout(unavailable->openErrorDescription(), reason));
    EXPECT_FALSE(QFile::exists(ledgerPath()));

    FixedTovraKeyProvider keys(masterKey);
    TovraLedger::live(ledgerPath(), keys)->setPaused(true, m_clock->now());
    const auto contents = [&] {
        QFile file(ledgerPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    ASSERT_FALSE(before.isEmpty());
    const auto otherKey = TovraAppDataStoreFactory::make(
        environment(ledgerPath()), std::make_unique<FixedTovraKeyProvider>(QByteArray(32, '\x01')), m_clock);
    EXPECT_NE(dynamic_cast<UnavailableTovraDataStore *>(otherKey.get()), nullptr);
    EXPECT_EQ(contents(), before);
}

TEST_F(StoreFactoryTest, TheDefaultStoreUsesTheTestKeyFromTheEnvironmentAndNeverThrowsForABadOne)
{
    qputenv("TOVRA_TESTING", "1");
    qputenv("TOVRA_TEST_MASTER_KEY_HEX", "not hexadecimal");
    qputenv("TOVRA_LEDGER_PATH", ledgerPath().toUtf8());
    std::shared_ptr<TovraAppDataProviding> store;
    ASSERT_NO_THROW(store = TovraAppDataStoreFactory::makeDefault());
    const auto *unavailable = dynamic_cast<UnavailableTovraDataStore *>(store.get());
    ASSERT_NE(unavailable, nullptr);
    EXPECT_FALSE(unavailable->openErrorDescription().isEmpty());
    EXPECT_FALSE(QFile::exists(ledgerPath()));

    qputenv("TOVRA_TEST_MASTER_KEY_HEX", masterKey.toHex());
    store = TovraAppDataStoreFactory::makeDefault();
    ASSERT_NE(dynamic_cast<TovraCoreDataStore *>(store.get()), nullptr);
    awaitTask(store->setPaused(true));
    FixedTovraKeyProvider keys(masterKey);
    EXPECT_TRUE(TovraLedger::live(ledgerPath(), keys)->isPaused());
}

// The app's store is there at once; its ledger is opened on the store's
// thread before the first operation, which waits for it, and the operations
// run in the order they were asked for.
TEST_F(StoreFactoryTest, TheStoreOpeningInTheBackgroundServesEveryOperationInOrder)
{
    QProcessEnvironment testing = environment(ledgerPath());
    testing.insert(QStringLiteral("TOVRA_TESTING"), QStringLiteral("1"));
    testing.insert(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX"), QString::fromLatin1(masterKey.toHex()));
    const auto store = TovraAppDataStoreFactory::makeOpeningInBackground(testing, m_clock);
    ASSERT_NE(dynamic_cast<TovraCoreDataStore *>(store.get()), nullptr);

    QCoro::Task<void> pausing = store->setPaused(true);
    QCoro::Task<bool> reading = store->currentPausedStatus();
    awaitTask(std::move(pausing));
    EXPECT_TRUE(awaitTask(std::move(reading)));
    FixedTovraKeyProvider keys(masterKey);
    EXPECT_TRUE(TovraLedger::live(ledgerPath(), keys)->isPaused());
}

// The app holds its ledger's read back until its window is painted: what is
// given to run before the opening runs first, on the store's thread, and no
// operation ends before it has.
TEST_F(StoreFactoryTest, TheStoreOpeningInTheBackgroundOpensOnlyAfterWhatRunsBefore)
{
    QProcessEnvironment testing = environment(ledgerPath());
    testing.insert(QStringLiteral("TOVRA_TESTING"), QStringLiteral("1"));
    testing.insert(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX"), QString::fromLatin1(masterKey.toHex()));
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    const auto store = TovraAppDataStoreFactory::makeOpeningInBackground(
        testing, m_clock, [released] { released.wait(); });

    QCoro::Task<bool> reading = store->currentPausedStatus();
    QCoreApplication::processEvents();
    EXPECT_FALSE(reading.isReady());
    EXPECT_FALSE(QFile::exists(ledgerPath()));
    release.set_value();
    EXPECT_FALSE(awaitTask(std::move(reading)));
}

// When the ledger cannot be opened, every operation fails as the unavailable
// store's would, with the same reason, and the file is left as it is.
TEST_F(StoreFactoryTest, TheStoreOpeningInTheBackgroundFailsAsTheUnavailableStoreWhenItCannotOpen)
{
    FixedTovraKeyProvider keys(masterKey);
    TovraLedger::live(ledgerPath(), keys)->setPaused(true, m_clock->now());
    QFile file(ledgerPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();

    QProcessEnvironment otherKey = environment(ledgerPath());
    otherKey.insert(QStringLiteral("TOVRA_TESTING"), QStringLiteral("1"));
    otherKey.insert(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX"), QString(64, QLatin1Char('1')));
    const auto unavailable = TovraAppDataStoreFactory::make(
        otherKey, std::make_unique<FixedTovraKeyProvider>(QByteArray::fromHex(QByteArray(64, '1'))), m_clock);
    ASSERT_NE(dynamic_cast<UnavailableTovraDataStore *>(unavailable.get()), nullptr);
    const auto store = TovraAppDataStoreFactory::makeOpeningInBackground(otherKey, m_clock);

    const auto failure = [](QCoro::Task<void> task) {
        try {
            awaitTask(std::move(task));
        } catch (const LocalStoreError &error) {
            return error.localizedDescription();
        }
        return QString();
    };
    const QString expected = failure(unavailable->setPaused(false));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(failure(store->setPaused(false)), expected);
    EXPECT_EQ(failure(store->clearRecords()), expected);
    file.seek(0);
    EXPECT_EQ(file.readAll(), before);
}

} // namespace
} // namespace tovra::app::testing
