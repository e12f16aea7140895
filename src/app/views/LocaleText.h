#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace tovra::app::views {

// The interface speaks Simplified Chinese whatever the system's language, so
// numbers, sizes and dates follow that locale too.
QLocale interfaceLocale();

// A file size as people read it, in powers of 1000 ("999 字节", "1.2 MB", "21 MB").
QString byteCountText(qint64 bytes);

// A moment in the user's time zone, date and time to the second
// ("2024年3月5日 14:03:22").
QString dateTimeText(const QDateTime &moment);

} // namespace tovra::app::views
