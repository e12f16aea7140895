#pragma once

#include "app/data/ProvenanceRecord.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tovra::app {

// The listed records as export files. Records keep the order they are given
// in; dates are ISO-8601 in UTC with milliseconds. The JSON export is
// AppJson's.
class ExportRenderer {
public:
    // A heading, then one section per record listing its known facts; every
    // value reads literally (Markdown characters in titles are escaped).
    static QString markdown(const QList<ProvenanceRecord> &records);

    // A header row (csvHeaders()), then one row per record; RFC 4180 quoting,
    // CRLF line ends, and a cell a spreadsheet would run as a formula starts
    // with an apostrophe instead.
    static QString csv(const QList<ProvenanceRecord> &records);
    static const QStringList &csvHeaders();
};

} // namespace tovra::app
