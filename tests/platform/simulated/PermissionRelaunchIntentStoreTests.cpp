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

TEST_F(PermissionRelaunchIntentStoreTest, RecordsTheClocksTimeAsSecondsSince1970ThroughToTheFile)
{
    clock.advance(1500ms);
    store(settings()).recordInputMonitoringRelaunchIntent();
    // A fresh reader of the same file, as after a restart, sees it.
    EXPECT_DOUBLE_EQ(settings()->value(PermissionRelaunchIntentStore::intentKey).toString().toDouble(),
        double(clock.now().toMSecsSinceEpoch()) / 1000.0);
}

TEST_F(PermissionRelaunchIntentStoreTest, AnIntentCountsOnceWithinOneDayBackAndFiveMinutesAhead)
{
    struct Case {
        const char *name;
        QVariant stored; // relative to now, in seconds, unless text
        bool counts;
        bool consumed;
    };
    const double now = double(clock.now().toSecsSinceEpoch());
    const std::vector<Case> cases {
        { "at once", now, true, true },
        { "exactly one day ago", now - 86400, true, true },
        { "one day and a second ago", now - 86401, false, true },
        { "five minutes ahead", now + 300, true, true },
        { "five minutes and a second ahead", now + 301, false, true },
        { "a number read back as text", QString::number(now - 10, 'f', 3), true, true },
        { "a word", QStringLiteral("yesterday"), false, false },
        { "a list", QStringList { QStringLiteral("1"), QStringLiteral("2") }, false, false },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const auto defaults = settings();
        defaults->setValue(PermissionRelaunchIntentStore::intentKey, c.stored);
        EXPECT_EQ(store(defaults).consumeInputMonitoringRelaunchIntent(), c.counts);
        EXPECT_FALSE(store(defaults).consumeInputMonitoringRelaunchIntent()) << "never counts twice";
        EXPECT_EQ(settings()->contains(PermissionRelaunchIntentStore::intentKey), !c.consumed);
        EXPECT_EQ(
            defaults->value(PermissionRelaunchIntentStore::intentKey), c.consumed ? QVariant() : c.stored);
    }
}

TEST_F(PermissionRelaunchIntentStoreTest, UsesItsMaximumAgeAndTheCurrentTimeByDefault)
{
    const auto defaults = settings();
    const PermissionRelaunchIntentStore shortLived(
        defaults, [this] { return clock.now(); }, 10);
    shortLived.recordInputMonitoringRelaunchIntent();
    clock.advance(10s);
    EXPECT_TRUE(shortLived.consumeInputMonitoringRelaunchIntent());
    shortLived.recordInputMonitoringRelaunchIntent();
    clock.advance(11s);
    EXPECT_FALSE(shortLived.consumeInputMonitoringRelaunchIntent());

    const PermissionRelaunchIntentStore wallClock(defaults);
    wallClock.recordInputMonitoringRelaunchIntent();
    EXPECT_TRUE(wallClock.consumeInputMonitoringRelaunchIntent());
}
