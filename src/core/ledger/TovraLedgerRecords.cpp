#include "core/ledger/TovraLedger.h"

#include "core/ledger/TovraLedgerError.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace tovra {

// --- Records and state ---

QList<TraceRecord> TovraLedger::listRecords(const TraceFilter &filter)
{
    return recordListing(filter).toList();
}

TraceRecordListing TovraLedger::recordListing(const TraceFilter &filter)
{
    QList<TraceRecord> stored;
    {
        const std::lock_guard guard(m_mutex);
        stored = m_persistence->load().traceRecords;
    }
    // Newest paste first. Records are stored in commit order, so of pastes of
    // the same instant the later commit comes first. The order is found on
    // the instants alone: moving whole records through a sort cost more than
    // reading the ledger.
    struct Place {
        qint64 pastedAt;
        qsizetype index;
    };
    std::vector<Place> places;
    places.reserve(size_t(stored.size()));
    for (qsizetype index = 0; index < stored.size(); ++index) {
        const TraceRecord &trace = stored.at(index);
        if (!filter.matches(trace))
            continue;
        const QDateTime &pastedAt = trace.paste.pastedAt;
        places.push_back(
            { pastedAt.isValid() ? pastedAt.toMSecsSinceEpoch() : std::numeric_limits<qint64>::min(),
                index });
    }
    std::sort(places.begin(), places.end(), [](const Place &left, const Place &right) {
        return left.pastedAt != right.pastedAt ? left.pastedAt > right.pastedAt : left.index > right.index;
    });
    if (filter.limit && *filter.limit >= 0 && size_t(*filter.limit) < places.size())
        places.resize(size_t(*filter.limit));

    std::vector<qsizetype> order;
    order.reserve(places.size());
    for (const Place &place : places)
        order.push_back(place.index);
    return TraceRecordListing(std::move(stored), std::move(order));
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
