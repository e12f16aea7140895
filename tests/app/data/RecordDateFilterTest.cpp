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

TEST(RecordDateFilterTest, EachFilterIncludesItsCalendarBoundAndNothingEarlier)
{
    using enum RecordDateFilter;
    const QDateTime newYearsEve = local(shanghai, 2025, 1, 1, 23, 30);
    const QDateTime march = local(shanghai, 2025, 3, 15, 9, 0);
    // Summer time starts in Berlin on 2024-03-31: seven calendar days before
    // noon that day is 167 hours earlier; back to winter time on 2024-10-27: 169.
    const QDateTime spring = local(berlin, 2024, 3, 31, 12, 0);
    const QDateTime autumn = local(berlin, 2024, 10, 27, 12, 0);
    const QDateTime utcNow(QDate(2025, 3, 15), QTime(0, 30), Qt::UTC);
    const QDateTime longAgo = local(shanghai, 1990, 1, 1, 0, 0);
    const std::tuple<const char *, RecordDateFilter, QDateTime, QDateTime, QTimeZone, bool> cases[] = {
        { "all: long ago", all, march.addYears(-20), march, shanghai, true },
        { "all: future", all, march.addDays(3), march, shanghai, true },
        { "all: invalid date", all, QDateTime(), march, shanghai, true },
        // 00:10 in Shanghai is still the previous day in UTC.
        { "today: first minutes", today, local(shanghai, 2025, 1, 1, 0, 10), newYearsEve, shanghai, true },
        { "today: judged in UTC", today, local(shanghai, 2025, 1, 1, 0, 10), newYearsEve, QTimeZone::utc(),
            false },
        { "today: last instant", today, local(shanghai, 2025, 1, 1, 23, 59, 59, 999), newYearsEve, shanghai,
            true },
        { "today: day before", today, local(shanghai, 2024, 12, 31, 23, 59, 59, 999), newYearsEve, shanghai,
            false },
        { "today: day after", today, local(shanghai, 2025, 1, 2, 0, 0), newYearsEve, shanghai, false },
        { "7 days: bound", sevenDays, local(shanghai, 2025, 3, 8, 9, 0), march, shanghai, true },
        { "7 days: before bound", sevenDays, local(shanghai, 2025, 3, 8, 9, 0).addMSecs(-1), march, shanghai,
            false },
        { "7 days: future", sevenDays, march.addSecs(600), march, shanghai, true },
        { "30 days: bound", thirtyDays, local(shanghai, 2025, 2, 13, 9, 0), march, shanghai, true },
        { "30 days: before bound", thirtyDays, local(shanghai, 2025, 2, 13, 9, 0).addMSecs(-1), march,
            shanghai, false },
        { "spring: bound", sevenDays, spring.addSecs(-167 * 3600), spring, berlin, true },
        { "spring: before bound", sevenDays, spring.addSecs(-167 * 3600 - 1), spring, berlin, false },
        { "autumn: bound", sevenDays, autumn.addSecs(-169 * 3600), autumn, berlin, true },
        { "autumn: before bound", sevenDays, autumn.addSecs(-169 * 3600 - 1), autumn, berlin, false },
        { "today: invalid date", today, QDateTime(), march, shanghai, false },
        { "7 days: invalid date", sevenDays, QDateTime(), march, shanghai, false },
        { "30 days: invalid date", thirtyDays, QDateTime(), march, shanghai, false },
        // Without a usable now the bound lies in the distant past; today has no day to match.
        { "7 days: no now", sevenDays, longAgo, QDateTime(), shanghai, true },
        { "30 days: no now", thirtyDays, longAgo, QDateTime(), shanghai, true },
        { "today: no now", today, longAgo, QDateTime(), shanghai, false },
        // An invalid zone counts as UTC.
        { "invalid zone: same day", today, utcNow.addSecs(-1200), utcNow, QTimeZone(), true },
        { "invalid zone: day before", today, utcNow.addSecs(-3600), utcNow, QTimeZone(), false },
    };
    for (const auto &[name, filter, date, now, zone, included] : cases)
        EXPECT_EQ(includes(filter, date, now, zone), included) << name;
}

} // namespace
} // namespace tovra::app::testing
