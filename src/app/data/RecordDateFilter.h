#pragma once

#include "core/records/EnumNames.h"

#include <QDateTime>
#include <QTimeZone>

namespace tovra::app {

// The paste-date filter of the records list. The case name is its identifier.
enum class RecordDateFilter {
    all,
    today,
    sevenDays,
    thirtyDays,
};

// Whether `date` passes `filter` at `now`, with days counted in the calendar of
// `timeZone` (the user's): `all` passes everything; `today` passes the same
// calendar day as `now`; `sevenDays` and `thirtyDays` pass dates on or after
// the same wall-clock time 7 or 30 calendar days before `now`, so a change to
// or from summer time within the span moves the bound by that hour. When that
// bound cannot be computed it lies in the distant past. An invalid `date`
// passes only `all`; an invalid time zone counts as UTC.
bool includes(
    RecordDateFilter filter, const QDateTime &date, const QDateTime &now, const QTimeZone &timeZone);

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::RecordDateFilter> {
    static constexpr std::array<std::string_view, 4> names { "all", "today", "sevenDays", "thirtyDays" };
};

} // namespace tovra
