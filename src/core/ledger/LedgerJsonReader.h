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

    // The leading trace records spelled exactly as in `known`, the records
    // of an earlier read, are taken as checked: the same text reads the same.
    static std::optional<Read> read(
        const QByteArray &json, bool decodeTraceRecords, const EncodedTraceRecords *known = nullptr);
    // The records of an encoding that this reader produced or checked.
    static std::optional<QList<TraceRecord>> decode(const EncodedTraceRecords &records);
};

} // namespace tovra
