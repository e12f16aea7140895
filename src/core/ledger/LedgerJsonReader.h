#pragma once

#include "core/ledger/EncodedTraceRecords.h"
#include "core/records/LedgerSnapshot.h"

#include <QByteArray>

#include <optional>

namespace tovra {

// Reads a ledger snapshot of the current version spelled exactly as
// LedgerJsonWriter writes it, which is how every ledger file this program
// writes is spelled, several times faster than through QJsonDocument. Any
// other text, valid or not, reads as none: the caller then decodes it the
// general way, which alone decides what is accepted and what an error says.
// So this reader never accepts what the general way would refuse, and what it
// accepts it reads as the general way would.
class LedgerJsonReader {
public:
    struct Read {
        // Without trace records unless they were asked for.
        LedgerSnapshot snapshot;
        // The trace records as they are spelled in `json`, checked as strictly
        // as when they are decoded.
        EncodedTraceRecords traceRecords;
    };

    // Unless the trace records are decoded, which checks every one of them,
    // the leading ones spelled exactly as in `known`, the records of an
    // earlier read, are taken as checked: the same text reads the same.
    static std::optional<Read> read(
        const QByteArray &json, bool decodeTraceRecords, const EncodedTraceRecords *known = nullptr);
    // The records of an encoding that this reader produced or checked.
    static std::optional<QList<TraceRecord>> decode(const EncodedTraceRecords &records);

    // The check of read() without decoding the trace records, over a
    // document handed over a slice at a time: only the text before the trace
    // records and the records not yet whole are held, never the document.
    // Without `checkTraceRecords`, the records are skipped and only the text
    // around them is checked, for a reader that wants nothing of them.
    class Stream {
    public:
        explicit Stream(bool checkTraceRecords = true)
            : m_checkTraceRecords(checkTraceRecords)
        {
        }

        struct Checked {
            // Without trace records.
            LedgerSnapshot snapshot;
            // 0 when the records were skipped.
            qsizetype traceRecordCount = 0;
            // Where the trace records' text (commas between them included)
            // begins and ends in the document.
            qsizetype traceRecordsBegin = 0;
            qsizetype traceRecordsEnd = 0;
        };

        void feed(QByteArrayView text);
        // After the whole document was fed; none when read() would read none.
        std::optional<Checked> finish();

    private:
        void checkCompleteRecords();
        void skipRecords(QByteArrayView text);
        std::optional<Checked> finishAfterSkippedRecords();

        bool m_checkTraceRecords = true;
        LedgerSnapshot m_snapshot;
        // The text not yet read, starting at m_pendingOffset in the document.
        QByteArray m_pending;
        qsizetype m_pendingOffset = 0;
        qsizetype m_searchFrom = 0;
        bool m_inTraceRecords = false;
        bool m_failed = false;
        qsizetype m_recordCount = 0;
        qsizetype m_recordsBegin = 0;
        qsizetype m_recordsEnd = 0;
    };
};

} // namespace tovra
