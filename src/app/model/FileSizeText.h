#pragma once

#include <QLocale>
#include <QString>

namespace tovra::app {

// A file size as file managers state it: powers of 1000, whole kilobytes,
// megabytes to one decimal and larger units to two, without trailing zeros
// ("850 bytes", "13 KB", "1.2 MB", "21 MB", "2 GB", "2.05 GB").
QString fileSizeText(qint64 bytes, const QLocale &locale = QLocale::c());

} // namespace tovra::app
