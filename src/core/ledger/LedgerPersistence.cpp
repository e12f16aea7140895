#include "core/ledger/LedgerPersistence.h"

#include <stdexcept>

namespace tovra {

LedgerSnapshot LedgerPersistence::loadWithoutTraceRecords()
{
    LedgerSnapshot snapshot = load();
    snapshot.traceRecords.clear();
    return snapshot;
}

LedgerSnapshot LedgerPersistence::loadSummary()
{
    return loadWithoutTraceRecords();
}

LedgerSnapshot LedgerPersistence::updateWithoutTraceRecords(const Change &change)
{
    LedgerSnapshot stored = update([&](LedgerSnapshot &snapshot) {
        QList<TraceRecord> kept = std::exchange(snapshot.traceRecords, {});
        const bool changed = change(snapshot);
        requireNoTraceRecords(snapshot);
        snapshot.traceRecords = std::move(kept);
        return changed;
    });
    stored.traceRecords.clear();
    return stored;
}

void LedgerPersistence::requireNoTraceRecords(const LedgerSnapshot &snapshot)
{
    if (!snapshot.traceRecords.isEmpty())
        throw std::logic_error("a change made without the trace records added some");
}

} // namespace tovra
