#pragma once

#include "core/records/TraceRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace tovra {

// The trace records of a ledger as JSON text: the inside of the snapshot's
// "traceRecords" array, each record ending where `ends` says. A long-used
// ledger is nearly all trace records and they rarely change, so the ledger
// keeps them in this form, as read from the file or as last written, and
// encodes only the records that are new.
class EncodedTraceRecords {
public:
    EncodedTraceRecords() = default;
    // The records in `document` from `begin` on, each ending at the offset in
    // `ends` (exclusive) and, but for the last, followed by a comma, as
    // LedgerJsonReader found and checked them. Sharing the document avoids
    // copying the text out of the file it was read from.
    EncodedTraceRecords(QByteArray document, qsizetype begin, QList<qsizetype> ends);

    static EncodedTraceRecords encode(const QList<TraceRecord> &records);

    qsizetype count() const noexcept { return m_ends.size(); }
    // All records, joined by commas.
    QByteArrayView text() const;
    QByteArrayView record(qsizetype index) const;

    // The encoding of `records`, given that this one encodes `previous`. A
    // record keeps its text when it equals the one of `previous` with its id;
    // records added after all of `previous` are appended to the text in place.
    EncodedTraceRecords updated(const QList<TraceRecord> &previous, const QList<TraceRecord> &records) &&;

    // Whether every record is known to be spelled as LedgerRecordScanner
    // reads it: true for records read from a file, and for written ones
    // once they were read back. Only then can the same text found again be
    // taken as checked.
    bool readsBack() const noexcept { return m_readsBack; }

private:
    static bool readsBack(QByteArrayView record);

    QByteArray m_document;
    qsizetype m_begin = 0;
    QList<qsizetype> m_ends;
    bool m_readsBack = true;
};

} // namespace tovra
