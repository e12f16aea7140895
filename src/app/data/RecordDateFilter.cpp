#include "app/data/RecordDateFilter.h"

namespace tovra::app {

namespace {

bool onOrAfterDaysBefore(const QDateTime &date, const QDateTime &now, const QTimeZone &timeZone, int days)
{
    const QDateTime bound = now.toTimeZone(timeZone).addDays(-days);
    if (!bound.isValid())
        return true;
    return date >= bound;
}

} // namespace

bool includes(RecordDateFilter filter, const QDateTime &date, const QDateTime &now, const QTimeZone &timeZone)
{
    if (filter == RecordDateFilter::all)
        return true;
    if (!date.isValid())
        return false;
    const QTimeZone zone = timeZone.isValid() ? timeZone : QTimeZone::utc();
    switch (filter) {
    case RecordDateFilter::all:
        return true;
    case RecordDateFilter::today:
        return now.isValid() && date.toTimeZone(zone).date() == now.toTimeZone(zone).date();
    case RecordDateFilter::sevenDays:
        return onOrAfterDaysBefore(date, now, zone, 7);
    case RecordDateFilter::thirtyDays:
        return onOrAfterDaysBefore(date, now, zone, 30);
    }
    Q_UNREACHABLE();
    return false;
}

} // namespace tovra::app
