#pragma once

#include "core/records/RecordEnums.h"
#include "core/records/TraceRecord.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tovra {

// The ledger's trace records as a file for the user: Markdown to read, CSV for
// a spreadsheet, JSON to process further. Records keep the order they are
// given in; dates are ISO-8601 in UTC. No format ever contains pasted content:
// the ledger does not have it.
class ExportDocument {
public:
    // The document in `format`, as UTF-8.
    static QByteArray render(const QList<TraceRecord> &records, ExportFormat format);

    // A heading, then one section per trace with a list of its known facts.
    // Every value is escaped so that it reads literally.
    static QString markdown(const QList<TraceRecord> &records);

    // One header row in lower snake case (csvHeaders()), then one row per trace;
    // RFC 4180 quoting, CRLF line ends, formula-like cells neutralised.
    static QString csv(const QList<TraceRecord> &records);
    static const QStringList &csvHeaders();

    // An array of the records in their JSON form.
    static QByteArray json(const QList<TraceRecord> &records);
};

} // namespace tovra
