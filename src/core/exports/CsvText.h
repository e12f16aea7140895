#pragma once

#include <QString>
#include <QStringList>

// Comma-separated values as RFC 4180 writes them, made safe to open in a
// spreadsheet.
namespace tovra::csv {

// A cell that a spreadsheet would run as a formula (it starts with "=", "+",
// "-", "@", a tab or a carriage return) gets a leading apostrophe, so that it
// shows as the text it is.
QString neutralizeFormula(const QString &value);

// The neutralised value, in double quotes with inner quotes doubled when it
// holds a comma, a quote or a line break.
QString cell(const QString &value);

// The cells of one record joined by commas and ended by CRLF.
QString row(const QStringList &values);

} // namespace tovra::csv
