#include "app/data/RecordDateFilter.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

const QTimeZone shanghai("Asia/Shanghai");
const QTimeZone berlin("Europe/Berlin");

QDateTime local(
    const QTimeZone &zone, int year, int month, int day, int hour, int minute, int second = 0, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, ms), zone);
}

TEST(RecordDateFilterTest, AllIncludesEveryDateEvenAnInvalidOne)
{
    const QDateTime now = local(shanghai, 2025, 6, 1, 12, 0);
    EXPECT_TRUE(includes(RecordDateFilter::all, now.addYears(-20), now, shanghai));
    EXPECT_TRUE(includes(RecordDateFilter::all, now.addDays(3), now, shanghai));
    EXPECT_TRUE(includes(RecordDateFilter::all, QDateTime(), now, shanghai));
}

TEST(RecordDateFilterTest, TodayIsTheCalendarDayOfNowInTheUsersTimeZone)
{
    const QDateTime now = local(shanghai, 2025, 1, 1, 23, 30);
    // 00:10 in Shanghai is still the previous day in UTC.
    const QDateTime earlyMorning = local(shanghai, 2025, 1, 1, 0, 10);
    ASSERT_NE(earlyMorning.toUTC().date(), now.toUTC().date());
    EXPECT_TRUE(includes(RecordDateFilter::today, earlyMorning, now, shanghai));
    EXPECT_TRUE(
        includes(RecordDateFilter::today, local(shanghai, 2025, 1, 1, 23, 59, 59, 999), now, shanghai));
    EXPECT_FALSE(
        includes(RecordDateFilter::today, local(shanghai, 2024, 12, 31, 23, 59, 59, 999), now, shanghai));
    EXPECT_FALSE(includes(RecordDateFilter::today, local(shanghai, 2025, 1, 2, 0, 0), now, shanghai));

    // The same instants judged in UTC fall on other days.
    EXPECT_FALSE(includes(RecordDateFilter::today, earlyMorning, now, QTimeZone::utc()));
}

TEST(RecordDateFilterTest, SevenAndThirtyDaysIncludeTheirBoundAndNothingEarlier)
{
    const QDateTime now = local(shanghai, 2025, 3, 15, 9, 0);
    const QDateTime sevenDaysAgo = local(shanghai, 2025, 3, 8, 9, 0);
    EXPECT_TRUE(includes(RecordDateFilter::sevenDays, sevenDaysAgo, now, shanghai));
    EXPECT_FALSE(includes(RecordDateFilter::sevenDays, sevenDaysAgo.addMSecs(-1), now, shanghai));
    EXPECT_TRUE(includes(RecordDateFilter::sevenDays, now, now, shanghai));
    EXPECT_TRUE(includes(RecordDateFilter::sevenDays, now.addSecs(600), now, shanghai));

    const QDateTime thirtyDaysAgo = local(shanghai, 2025, 2, 13, 9, 0);
    EXPECT_TRUE(includes(RecordDateFilter::thirtyDays, thirtyDaysAgo, now, shanghai));
    EXPECT_FALSE(includes(RecordDateFilter::thirtyDays, thirtyDaysAgo.addMSecs(-1), now, shanghai));
    EXPECT_TRUE(includes(RecordDateFilter::thirtyDays, sevenDaysAgo.addMSecs(-1), now, shanghai));
}

TEST(RecordDateFilterTest, DaysAreCalendarDaysAcrossAChangeToSummerTime)
{
    // Summer time starts in Berlin on 2024-03-31: seven calendar days before
    // noon that day is noon on the 24th, 167 hours earlier, not 168.
    const QDateTime now = local(berlin, 2024, 3, 31, 12, 0);
    const QDateTime bound = local(berlin, 2024, 3, 24, 12, 0);
    ASSERT_EQ(bound.secsTo(now), 167 * 3600);

    EXPECT_TRUE(includes(RecordDateFilter::sevenDays, bound, now, berlin));
    EXPECT_FALSE(includes(RecordDateFilter::sevenDays, bound.addSecs(-1), now, berlin));
    EXPECT_FALSE(includes(RecordDateFilter::sevenDays, now.addSecs(-168 * 3600), now, berlin));

    // Back to winter time on 2024-10-27: the span is 169 hours.
    const QDateTime autumnNow = local(berlin, 2024, 10, 27, 12, 0);
    EXPECT_TRUE(includes(RecordDateFilter::sevenDays, autumnNow.addSecs(-169 * 3600), autumnNow, berlin));
    EXPECT_FALSE(
        includes(RecordDateFilter::sevenDays, autumnNow.addSecs(-169 * 3600 - 1), autumnNow, berlin));
}

TEST(RecordDateFilterTest, InvalidDatesAndZones)
{
    const QDateTime now = local(shanghai, 2025, 3, 15, 9, 0);
    for (const RecordDateFilter filter :
        { RecordDateFilter::today, RecordDateFilter::sevenDays, RecordDateFilter::thirtyDays }) {
        EXPECT_FALSE(includes(filter, QDateTime(), now, shanghai)) << enumName(filter).toStdString();
    }

    // Without a usable now the bound lies in the distant past; today has no day to match.
    const QDateTime longAgo = local(shanghai, 1990, 1, 1, 0, 0);
    EXPECT_TRUE(includes(RecordDateFilter::sevenDays, longAgo, QDateTime(), shanghai));
    EXPECT_TRUE(includes(RecordDateFilter::thirtyDays, longAgo, QDateTime(), shanghai));
    EXPECT_FALSE(includes(RecordDateFilter::today, longAgo, QDateTime(), shanghai));

    // An invalid zone counts as UTC.
    const QDateTime utcNow(QDate(2025, 3, 15), QTime(0, 30), Qt::UTC);
    EXPECT_TRUE(includes(RecordDateFilter::today, utcNow.addSecs(-1200), utcNow, QTimeZone()));
    EXPECT_FALSE(includes(RecordDateFilter::today, utcNow.addSecs(-3600), utcNow, QTimeZone()));
}

} // namespace
} // namespace tovra::app::testing
