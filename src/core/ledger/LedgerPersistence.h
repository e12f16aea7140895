#pragma once

#include "core/records/LedgerSnapshot.h"

#include <functional>

namespace tovra {

// Where a TovraLedger keeps its snapshot. Other processes may change the
// stored snapshot at any time; an implementation answers with the stored
// state, not with a copy it remembers from earlier.
class LedgerPersistence {
public:
    // Edits the snapshot in place and returns true when it changed and must
    // be stored; false leaves storage untouched.
    using Change = std::function<bool(LedgerSnapshot &)>;

    virtual ~LedgerPersistence() = default;

    // The stored snapshot; a ledger that was never written reads as an empty
    // snapshot of the current version.
    virtual LedgerSnapshot load() = 0;

    // Applies `change` to the stored snapshot and stores the result, with no
    // other change (from this or any other process) in between, so none is
    // lost. Returns the snapshot as stored afterwards. When `change` throws,
    // nothing is stored and the exception propagates.
    virtual LedgerSnapshot update(const Change &change) = 0;

    // The same for readers and changes that never look at the trace records,
    // which are most of a long-used ledger: the snapshot's trace records are
    // empty, a change must leave them empty (std::logic_error otherwise,
    // and nothing is stored), and the stored ones stay as they are. A stored
    // snapshot that cannot be read is refused all the same.
    virtual LedgerSnapshot loadWithoutTraceRecords();
    virtual LedgerSnapshot updateWithoutTraceRecords(const Change &change);

    // The same read for a reader of the other fields alone (the status): the
    // stored trace records need not be checked. Everything else of the
    // stored snapshot is, and its errors are reported as by load().
    virtual LedgerSnapshot loadSummary();

protected:
    static void requireNoTraceRecords(const LedgerSnapshot &snapshot);
};

} // namespace tovra
