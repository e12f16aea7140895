#pragma once

#include "core/records/DenylistEntry.h"
#include "core/records/JsonTextScanner.h"
#include "core/records/PendingSource.h"
#include "core/records/TraceRecord.h"

namespace tovra {

// Reads one ledger record spelled exactly as LedgerJsonWriter writes it, with
// the checks of its fromJson (counts not negative, identifiers in range, known
// case names, real dates). Without a destination the record is only checked.
// False for any other spelling, with the destination left partly read: the
// caller then reads the document the general way.
class LedgerRecordScanner {
public:
    static bool read(JsonTextScanner &scanner, TraceRecord *trace);
    static bool read(JsonTextScanner &scanner, PendingSource *source);
    static bool read(JsonTextScanner &scanner, DenylistEntry *entry);
};

} // namespace tovra
