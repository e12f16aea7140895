#include "app/model/FileSizeText.h"

#include <array>
#include <cmath>

namespace tovra::app {

namespace {

struct Unit {
    const char *name;
    int decimals;
};

constexpr std::array<Unit, 6> units { { { "KB", 0 }, { "MB", 1 }, { "GB", 2 }, { "TB", 2 }, { "PB", 2 },
    { "EB", 2 } } };

// "21.0" → "21", "2.50" → "2.5": the fraction shows only what it adds.
QString withoutTrailingZeros(QString number, const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (!number.contains(point))
        return number;
    while (number.endsWith(locale.zeroDigit()))
        number.chop(locale.zeroDigit().size());
    if (number.endsWith(point))
        number.chop(point.size());
    return number;
}

} // namespace

QString fileSizeText(qint64 bytes, const QLocale &locale)
{
    if (bytes < 1000)
        return locale.formattedDataSize(bytes, 0, QLocale::DataSizeSIFormat);
    double value = double(bytes) / 1000.0;
    std::size_t unit = 0;
    // A value that rounds up to 1000 is told in the next unit ("1 MB", not "1000 KB").
    while (unit + 1 < units.size()) {
        const double scale = std::pow(10.0, units[unit].decimals);
        if (std::round(value * scale) / scale < 1000.0)
            break;
        value /= 1000.0;
        ++unit;
    }
    const QString number = withoutTrailingZeros(locale.toString(value, 'f', units[unit].decimals), locale);
    return number + QLatin1Char(' ') + QLatin1String(units[unit].name);
}

} // namespace tovra::app
