#include "app/views/RelativeTimeText.h"

#include <unicode/reldatefmt.h>

#include <memory>

namespace tovra::app::views {

namespace {

// Creating the formatter loads locale data; every row of every list shares
// this one, on the GUI thread.
const icu::RelativeDateTimeFormatter *sharedFormatter()
{
    static const std::unique_ptr<icu::RelativeDateTimeFormatter> formatter = [] {
        UErrorCode status = U_ZERO_ERROR;
        auto created = std::make_unique<icu::RelativeDateTimeFormatter>(
            icu::Locale("zh_Hans_CN"), nullptr, UDAT_STYLE_LONG, UDISPCTX_CAPITALIZATION_NONE, status);
        return U_FAILURE(status) ? nullptr : std::move(created);
    }();
    return formatter.get();
}

struct Elapsed {
    qint64 amount = 0;
    URelativeDateTimeUnit unit = UDAT_REL_UNIT_SECOND;
};

// Whole calendar years and months first, so that "a month ago" follows the
// calendar rather than a fixed number of days; then fixed-length units.
Elapsed largestWholeUnit(const QDateTime &from, const QDateTime &to)
{
    int years = to.date().year() - from.date().year();
    if (years > 0 && from.addYears(years) > to)
        --years;
    if (years > 0)
        return { years, UDAT_REL_UNIT_YEAR };
    int months = (to.date().year() - from.date().year()) * 12 + to.date().month() - from.date().month();
    if (months > 0 && from.addMonths(months) > to)
        --months;
    if (months > 0)
        return { months, UDAT_REL_UNIT_MONTH };
    const qint64 seconds = from.secsTo(to);
    constexpr qint64 minute = 60, hour = 60 * minute, day = 24 * hour, week = 7 * day;
    if (seconds >= week)
        return { seconds / week, UDAT_REL_UNIT_WEEK };
    if (seconds >= day)
        return { seconds / day, UDAT_REL_UNIT_DAY };
    if (seconds >= hour)
        return { seconds / hour, UDAT_REL_UNIT_HOUR };
    if (seconds >= minute)
        return { seconds / minute, UDAT_REL_UNIT_MINUTE };
    return { seconds, UDAT_REL_UNIT_SECOND };
}

QString fromIcu(const icu::UnicodeString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
}

} // namespace

QString relativeTimeText(const QDateTime &date, const QDateTime &reference)
{
    const QDateTime until = reference > date ? reference : date;
    const Elapsed elapsed = largestWholeUnit(date, until);
    const icu::RelativeDateTimeFormatter *formatter = sharedFormatter();
    if (!formatter)
        return QString();
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeString text;
    // No time elapsed takes the named form ("现在"); the numeric one would
    // read "in 0 seconds".
    if (elapsed.amount == 0)
        formatter->format(0.0, UDAT_REL_UNIT_SECOND, text, status);
    else
        formatter->formatNumeric(-static_cast<double>(elapsed.amount), elapsed.unit, text, status);
    return U_FAILURE(status) ? QString() : fromIcu(text);
}

} // namespace tovra::app::views
