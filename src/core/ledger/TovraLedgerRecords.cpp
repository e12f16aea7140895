#include "core/ledger/TovraLedger.h"

#include "core/ledger/TovraLedgerError.h"

#include <algorithm>

namespace tovra {

// --- Records and state ---

QList<TraceRecord> TovraLedger::listRecords(const TraceFilter &filter)
{
    QList<TraceRecord> records;
    {
        const std::lock_guard guard(m_mutex);
        records = m_persistence->load().traceRecords;
    }
    records.removeIf([&](const TraceRecord &trace) { return !filter.matches(trace); });
    // Records are stored in commit order; the stable sort keeps that order
    // for pastes of the same instant, newest commit first after the reverse.
    std::reverse(records.begin(), records.end());
    std::stable_sort(records.begin(), records.end(), [](const TraceRecord &left, const TraceRecord &right) {
        return left.paste.pastedAt > right.paste.pastedAt;
    });
    if (filter.limit && *filter.limit >= 0 && *filter.limit < records.size())
        records.resize(*filter.limit);
    return records;
}

bool TovraLedger::deleteRecord(const QUuid &id, const QDateTime &at)
{
    const std::lock_guard guard(m_mutex);
    return mutate<bool>(at, TraceRecordUse::used, [&](LedgerSnapshot &snapshot, bool &changed) {
        changed
            = snapshot.traceRecords.removeIf([&](const TraceRecord &trace) { return trace.id == id; }) > 0;
        return changed;
    });
}

void TovraLedger::clearRecords(const QDateTime &at)
{
    const std::lock_guard guard(m_mutex);
    mutate<bool>(at, TraceRecordUse::used, [&](LedgerSnapshot &snapshot, bool &changed) {
        changed = !snapshot.traceRecords.isEmpty();
        snapshot.traceRecords.clear();
        return changed;
    });
}

bool TovraLedger::isPaused()
{
    const std::lock_guard guard(m_mutex);
    return m_persistence->loadWithoutTraceRecords().isPaused;
}

void TovraLedger::setPaused(bool paused, const QDateTime &at)
{
    const std::lock_guard guard(m_mutex);
    mutate<bool>(at, TraceRecordUse::none, [&](LedgerSnapshot &snapshot, bool &changed) {
        changed = snapshot.isPaused != paused;
        snapshot.isPaused = paused;
        return changed;
    });
}

TovraStatus TovraLedger::status(const QDateTime &at)
{
    const std::lock_guard guard(m_mutex);
    // Counts and flags only: the trace records need not be checked for them.
    const LedgerSnapshot snapshot = m_persistence->loadSummary();
    TovraStatus status;
    status.paused = snapshot.isPaused;
    status.pendingSourceCount = std::count_if(snapshot.pendingSources.cbegin(),
        snapshot.pendingSources.cend(), [&](const PendingSource &source) { return !source.isExpired(at); });
    status.ledgerVersion = snapshot.version;
    return status;
}

// --- Denylist ---

DenylistEntry TovraLedger::addDenylistEntry(DenylistKind kind, const QString &value, const QDateTime &at)
{
    const QString normalized = DenylistRules::normalizedValue(kind, value);
    for (const DenylistEntry &entry : DenylistRules::defaults()) {
        if (DenylistRules::sameRule(entry, kind, normalized))
            return entry;
    }
    const std::lock_guard guard(m_mutex);
    return mutate<DenylistEntry>(at, TraceRecordUse::none, [&](LedgerSnapshot &snapshot, bool &changed) {
        for (const DenylistEntry &entry : std::as_const(snapshot.customDenylistEntries)) {
            if (DenylistRules::sameRule(entry, kind, normalized))
                return entry;
        }
        const DenylistEntry entry { kind, normalized, at };
        snapshot.customDenylistEntries.append(entry);
        changed = true;
        return entry;
    });
}

void TovraLedger::removeDenylistEntry(DenylistKind kind, const QString &value, const QDateTime &at)
{
    QStringList candidates { value.trimmed() };
    try {
        candidates.append(DenylistRules::normalizedValue(kind, value));
    } catch (const TovraLedgerError &) {
        // A value that no longer normalises can still name a stored rule by its exact text.
    }
    for (const QString &candidate : std::as_const(candidates)) {
        if (DenylistRules::isDefault(kind, candidate))
            throw TovraLedgerError::defaultDenylistEntry(candidate);
    }
    const std::lock_guard guard(m_mutex);
    mutate<bool>(at, TraceRecordUse::none, [&](LedgerSnapshot &snapshot, bool &changed) {
        changed = snapshot.customDenylistEntries.removeIf([&](const DenylistEntry &entry) {
            return std::any_of(candidates.cbegin(), candidates.cend(),
                [&](const QString &candidate) { return DenylistRules::sameRule(entry, kind, candidate); });
        }) > 0;
        return changed;
    });
}

QList<DenylistRule> TovraLedger::listDenylistEntries()
{
    QList<DenylistRule> rules;
    for (const DenylistEntry &entry : DenylistRules::defaults())
        rules.append(DenylistRule { entry, true });
    const std::lock_guard guard(m_mutex);
    for (const DenylistEntry &entry : m_persistence->loadWithoutTraceRecords().customDenylistEntries)
        rules.append(DenylistRule { entry, false });
    return rules;
}

CustomDenylist TovraLedger::customDenylist()
{
    const std::lock_guard guard(m_mutex);
    return DenylistRules::effectiveDenylist(m_persistence->loadWithoutTraceRecords().customDenylistEntries);
}

} // namespace tovra
