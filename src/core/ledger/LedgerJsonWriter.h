#pragma once

#include "core/records/JsonTextWriter.h"
#include "core/records/LedgerSnapshot.h"

#include <QByteArray>

namespace tovra {

// The ledger's records as JSON text, written directly: byte for byte what
// TovraJson::encode writes for their QJsonObject forms, which stay the
// reference (and serve everything but the ledger file).
class LedgerJsonWriter {
public:
    // The text of a snapshot around its trace records: everything before the
    // first record and everything after the last one. The trace records of
    // `snapshot` are not written.
    struct Frame {
        QByteArray beforeTraceRecords;
        QByteArray afterTraceRecords;
    };

    static Frame frame(const LedgerSnapshot &snapshot);

    static void write(JsonTextWriter &writer, const TraceRecord &trace);
    static void write(JsonTextWriter &writer, const PendingSource &source);
    static void write(JsonTextWriter &writer, const PasteRecord &paste);
    static void write(JsonTextWriter &writer, const DestinationContext &destination);
    static void write(JsonTextWriter &writer, const DenylistEntry &entry);
};

} // namespace tovra
