#include "platform/PermissionRelaunchIntentStore.h"
#include "platform/simulated/SimulatedClock.h"

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tovra;
using namespace std::chrono_literals;

namespace {

class PermissionRelaunchIntentStoreTest : public ::testing::Test {
protected:
    std::shared_ptr<QSettings> settings()
    {
        return std::make_shared<QSettings>(
            directory.filePath(QStringLiteral("defaults.ini")), QSettings::IniFormat);
    }

    PermissionRelaunchIntentStore store(const std::shared_ptr<QSettings> &defaults)
    {
        return PermissionRelaunchIntentStore(defaults, [this] { return clock.now(); });
    }

    QTemporaryDir directory;
    SimulatedClock clock;
};

} // namespace

TEST_F(PermissionRelaunchIntentStoreTest, RecordsTheClocksTimeAsSecondsSince1970)
{
    clock.advance(1500ms);
    const auto defaults = settings();
    store(defaults).recordInputMonitoringRelaunchIntent();
    const double expected = double(clock.now().toMSecsSinceEpoch()) / 1000.0;
    EXPECT_DOUBLE_EQ(defaults->value(PermissionRelaunchIntentStore::intentKey).toDouble(), expected);
    EXPECT_EQ(PermissionRelaunchIntentStore::intentKey,
        QStringLiteral("tovra.permissions.inputMonitoringRelaunchIntentAt"));

    // Written through: a fresh reader of the same file, as after a restart, sees it.
    const auto afterRestart = settings();
    EXPECT_DOUBLE_EQ(
        afterRestart->value(PermissionRelaunchIntentStore::intentKey).toString().toDouble(), expected);
}

TEST_F(PermissionRelaunchIntentStoreTest, AnIntentCountsWithinOneDayAndFiveMinutesAhead)
{
    struct Case {
        const char *name;
        std::chrono::seconds stepAfterRecording;
        bool counts;
    };
    const std::vector<Case> cases = {
        { "at once", 0s, true },
        { "a minute later", 60s, true },
        { "exactly one day later", 86400s, true },
        { "one day and a second later", 86401s, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto defaults = settings();
        store(defaults).recordInputMonitoringRelaunchIntent();
        clock.advance(c.stepAfterRecording);
        EXPECT_EQ(store(defaults).consumeInputMonitoringRelaunchIntent(), c.counts);
        EXPECT_FALSE(defaults->contains(PermissionRelaunchIntentStore::intentKey));
    }
}

TEST_F(PermissionRelaunchIntentStoreTest, AnIntentInTheFutureCountsUpToFiveMinutes)
{
    const auto defaults = settings();
    const double now = double(clock.now().toSecsSinceEpoch());
    defaults->setValue(PermissionRelaunchIntentStore::intentKey, now + 300);
    EXPECT_TRUE(store(defaults).consumeInputMonitoringRelaunchIntent());
    defaults->setValue(PermissionRelaunchIntentStore::intentKey, now + 301);
    EXPECT_FALSE(store(defaults).consumeInputMonitoringRelaunchIntent());
    EXPECT_FALSE(defaults->contains(PermissionRelaunchIntentStore::intentKey));
}

TEST_F(PermissionRelaunchIntentStoreTest, AConsumedIntentDoesNotCountTwice)
{
    const auto defaults = settings();
    store(defaults).recordInputMonitoringRelaunchIntent();
    EXPECT_TRUE(store(defaults).consumeInputMonitoringRelaunchIntent());
    EXPECT_FALSE(store(defaults).consumeInputMonitoringRelaunchIntent());
    EXPECT_FALSE(settings()->contains(PermissionRelaunchIntentStore::intentKey));
}

TEST_F(PermissionRelaunchIntentStoreTest, SomethingOtherThanANumberIsLeftAlone)
{
    const auto defaults = settings();
    defaults->setValue(PermissionRelaunchIntentStore::intentKey, QStringLiteral("yesterday"));
    EXPECT_FALSE(store(defaults).consumeInputMonitoringRelaunchIntent());
    EXPECT_FALSE(store(defaults).consumeInputMonitoringRelaunchIntent());
    EXPECT_EQ(
        defaults->value(PermissionRelaunchIntentStore::intentKey).toString(), QStringLiteral("yesterday"));

    defaults->setValue(
        PermissionRelaunchIntentStore::intentKey, QStringList { QStringLiteral("1"), QStringLiteral("2") });
    EXPECT_FALSE(store(defaults).consumeInputMonitoringRelaunchIntent());
    EXPECT_TRUE(defaults->contains(PermissionRelaunchIntentStore::intentKey));
}

TEST_F(PermissionRelaunchIntentStoreTest, ANumberReadBackAsTextStillCounts)
{
    const auto defaults = settings();
    defaults->setValue(PermissionRelaunchIntentStore::intentKey,
        QString::number(double(clock.now().toSecsSinceEpoch()) - 10, 'f', 3));
    EXPECT_TRUE(store(defaults).consumeInputMonitoringRelaunchIntent());
}

TEST_F(PermissionRelaunchIntentStoreTest, UsesItsMaximumAgeAndTheCurrentTimeByDefault)
{
    const auto defaults = settings();
    const PermissionRelaunchIntentStore shortLived(
        defaults, [this] { return clock.now(); }, 10);
    shortLived.recordInputMonitoringRelaunchIntent();
    clock.advance(11s);
    EXPECT_FALSE(shortLived.consumeInputMonitoringRelaunchIntent());

    const PermissionRelaunchIntentStore wallClock(defaults);
    EXPECT_EQ(wallClock.maximumAge(), 86400);
    wallClock.recordInputMonitoringRelaunchIntent();
    EXPECT_TRUE(wallClock.consumeInputMonitoringRelaunchIntent());
}
