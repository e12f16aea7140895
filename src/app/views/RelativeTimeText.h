#pragma once

#include <QDateTime>
#include <QString>

namespace tovra::app::views {

// How long before `reference` the moment `date` was, in Simplified Chinese
// ("5分钟前", "2天前"), counted in the largest whole unit of years, months,
// weeks, days, hours, minutes and seconds. A `date` after `reference` reads
// as the present moment ("现在"), never as a time to come: the reference only
// advances once a minute, so fresh rows may lie a little ahead of it.
QString relativeTimeText(const QDateTime &date, const QDateTime &reference);

} // namespace tovra::app::views
