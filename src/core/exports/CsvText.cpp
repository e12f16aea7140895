#include "core/exports/CsvText.h"

namespace tovra::csv {

QString neutralizeFormula(const QString &value)
{
    if (value.isEmpty())
        return value;
    switch (value.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
        return QLatin1Char('\'') + value;
    default:
        return value;
    }
}

QString cell(const QString &value)
{
    const QString text = neutralizeFormula(value);
    const bool needsQuotes = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"'))
        || text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'));
    if (!needsQuotes)
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString row(const QStringList &values)
{
    QStringList cells;
    cells.reserve(values.size());
    for (const QString &value : values)
        cells.append(cell(value));
    return cells.join(QLatin1Char(',')) + QStringLiteral("\r\n");
}

} // namespace tovra::csv
