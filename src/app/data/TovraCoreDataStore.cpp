#include "app/data/TovraCoreDataStore.h"

#include "app/data/AsyncTask.h"
#include "app/data/LedgerRecordMapping.h"
#include "app/data/LocalStoreError.h"
#include "core/ledger/DenylistRules.h"
#include "core/ledger/ParallelParts.h"
#include "core/ledger/TovraLedger.h"
#include "platform/Clock.h"

namespace tovra::app {

namespace {

// Mapping a record costs about two microseconds; a thread is worth it from
// about this many on.
constexpr qsizetype recordsPerMappingPart = 1000;

CaptureMethod applicationCaptureMethod(bool inferred)
{
    return inferred ? CaptureMethod::pasteboardInference : CaptureMethod::keyboardObservation;
}

} // namespace

// The operations are plain functions: each reads the time, puts a job with
// copies of its arguments and the ledger pointer on the queue, and returns a
// task that awaits the job. That task holds nothing of the store, so it may
// finish after the store is gone.

TovraCoreDataStore::TovraCoreDataStore(
    std::unique_ptr<TovraLedger> ledger, std::shared_ptr<const Clock> clock)
    : m_ledger(std::make_unique<LedgerOnFirstUse>(std::move(ledger)))
    , m_clock(std::move(clock))
{
}

TovraCoreDataStore::TovraCoreDataStore(LedgerOnFirstUse::Opening opening, std::shared_ptr<const Clock> clock)
    : m_ledger(std::make_unique<LedgerOnFirstUse>(std::move(opening)))
    , m_clock(std::move(clock))
{
}

TovraCoreDataStore::~TovraCoreDataStore() = default;

bool TovraCoreDataStore::stop(std::chrono::steady_clock::time_point deadline)
{
    return m_queue.stop(deadline, std::make_exception_ptr(LocalStoreError::stopped()));
}

QDateTime TovraCoreDataStore::now() const
{
    return m_clock->now();
}

QCoro::Task<std::optional<PendingSource>> TovraCoreDataStore::captureApplicationSource(
    ApplicationSnapshot application, QString clipboardText, bool inferred)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), application = std::move(application),
                           text = std::move(clipboardText), inferred, at = now()] {
            return ledger->captureApplicationSource(
                mapping::sourceApplication(application), text, applicationCaptureMethod(inferred), at);
        }));
}

QCoro::Task<std::optional<PendingSource>> TovraCoreDataStore::captureApplicationImageSource(
    ApplicationSnapshot application, QByteArray imageData, bool inferred)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), application = std::move(application),
                           data = std::move(imageData), inferred, at = now()] {
            return ledger->captureApplicationImageSource(
                mapping::sourceApplication(application), data, applicationCaptureMethod(inferred), at);
        }));
}

QCoro::Task<std::optional<PendingSource>> TovraCoreDataStore::resolveClipboardSource(QString clipboardText)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), text = std::move(clipboardText), at = now()] {
            return ledger->resolveClipboardSource(text, at);
        }));
}

QCoro::Task<std::optional<PendingSource>> TovraCoreDataStore::resolveClipboardSource(
    QUuid sourceID, QString clipboardText)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), sourceID, text = std::move(clipboardText), at = now()] {
            return ledger->resolveClipboardSource(sourceID, text, at);
        }));
}

QCoro::Task<std::optional<PendingSource>> TovraCoreDataStore::resolveClipboardImageSource(
    QUuid sourceID, QByteArray imageData)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), sourceID, data = std::move(imageData), at = now()] {
            return ledger->resolveClipboardImageSource(sourceID, data, at);
        }));
}

QCoro::Task<std::optional<CitationSource>> TovraCoreDataStore::resolveCitationSource(
    QString clipboardText, QUuid traceID, std::optional<QUuid> preferredSourceID)
{
    return async::awaitFuture(m_queue.submit(
        [ledger = m_ledger->handle(), text = std::move(clipboardText), traceID, preferredSourceID,
            at = now()] { return ledger->resolveCitationSource(text, traceID, preferredSourceID, at); }));
}

QCoro::Task<void> TovraCoreDataStore::removePendingSources(QSet<QUuid> ids)
{
    return async::awaitFuture(m_queue.submit([ledger = m_ledger->handle(), ids = std::move(ids), at = now()] {
        ledger->removePendingSources(ids, at);
    }));
}

QCoro::Task<std::optional<PasteExclusionReason>> TovraCoreDataStore::preflightTracePaste(
    DestinationSnapshot destination)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), destination = std::move(destination)] {
            return mapping::exclusionReason(
                ledger->preflightTracePaste(mapping::destinationContext(destination)));
        }));
}

QCoro::Task<PasteCommit> TovraCoreDataStore::commitTracePaste(DestinationSnapshot destination,
    std::optional<QString> clipboardText, std::optional<QUuid> traceID,
    std::optional<QUuid> preferredSourceID)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), destination = std::move(destination),
                           text = std::move(clipboardText), traceID, preferredSourceID] {
            return mapping::pasteCommit(ledger->commitTracePaste(mapping::destinationContext(destination),
                text, destination.pastedAt, traceID, preferredSourceID));
        }));
}

QCoro::Task<PasteCommit> TovraCoreDataStore::commitImageTracePaste(DestinationSnapshot destination,
    std::optional<QByteArray> imageData, std::optional<QUuid> traceID, std::optional<QUuid> preferredSourceID)
{
    return async::awaitFuture(m_queue.submit([ledger = m_ledger->handle(),
                                                 destination = std::move(destination),
                                                 data = std::move(imageData), traceID, preferredSourceID] {
        return mapping::pasteCommit(ledger->commitImageTracePaste(mapping::destinationContext(destination),
            data, destination.pastedAt, traceID, preferredSourceID));
    }));
}

QCoro::Task<PasteCommit> TovraCoreDataStore::observeStandardPaste(
    DestinationSnapshot destination, std::optional<QString> clipboardText)
{
    return async::awaitFuture(m_queue.submit(
        [ledger = m_ledger->handle(), destination = std::move(destination), text = std::move(clipboardText)] {
            return mapping::pasteCommit(ledger->observeStandardPaste(
                mapping::destinationContext(destination), text, destination.pastedAt));
        }));
}

QCoro::Task<PasteCommit> TovraCoreDataStore::observeStandardImagePaste(
    DestinationSnapshot destination, std::optional<QByteArray> imageData)
{
    return async::awaitFuture(m_queue.submit(
        [ledger = m_ledger->handle(), destination = std::move(destination), data = std::move(imageData)] {
            return mapping::pasteCommit(ledger->observeStandardImagePaste(
                mapping::destinationContext(destination), data, destination.pastedAt));
        }));
}

QCoro::Task<PasteCommit> TovraCoreDataStore::commitObsidianPaste(QUuid, QUuid, QDateTime)
{
    return async::failure<PasteCommit>(std::make_exception_ptr(LocalStoreError::obsidianCommitUnsupported()));
}

QCoro::Task<QList<ProvenanceRecord>> TovraCoreDataStore::listRecords()
{
    return async::awaitFuture(m_queue.submit([ledger = m_ledger->handle()] {
        const TraceRecordListing traces = ledger->recordListing();
        // Each record's page address is parsed again: at 10,000 records
        // that is worth the ledger's part threads.
        QList<ProvenanceRecord> records(traces.size());
        ProvenanceRecord *mapped = records.data();
        const qsizetype parts = ParallelParts::count(traces.size(), recordsPerMappingPart);
        ParallelParts::run(parts, [&](qsizetype part) {
            const qsizetype end = traces.size() * (part + 1) / parts;
            for (qsizetype index = traces.size() * part / parts; index < end; ++index)
                mapped[index] = mapping::provenanceRecord(traces.at(index));
            return true;
        });
        return records;
    }));
}

QCoro::Task<void> TovraCoreDataStore::deleteRecord(QUuid id)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), id, at = now()] { ledger->deleteRecord(id, at); }));
}

QCoro::Task<void> TovraCoreDataStore::clearRecords()
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), at = now()] { ledger->clearRecords(at); }));
}

QCoro::Task<bool> TovraCoreDataStore::currentPausedStatus()
{
    return async::awaitFuture(m_queue.submit([ledger = m_ledger->handle()] { return ledger->isPaused(); }));
}

QCoro::Task<void> TovraCoreDataStore::setPaused(bool paused)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), paused, at = now()] { ledger->setPaused(paused, at); }));
}

QCoro::Task<NativeHostStatus> TovraCoreDataStore::nativeHostStatus()
{
    return async::ready(NativeHostStatus::unknown);
}

QCoro::Task<QList<DenylistEntry>> TovraCoreDataStore::listDenylistEntries()
{
    return async::awaitFuture(m_queue.submit([ledger = m_ledger->handle()] {
        const QList<DenylistRule> rules = ledger->listDenylistEntries();
        QList<DenylistEntry> entries;
        entries.reserve(rules.size());
        for (const DenylistRule &rule : rules)
            entries.append(mapping::denylistEntry(rule));
        return entries;
    }));
}

QCoro::Task<DenylistEntry> TovraCoreDataStore::addDenylistEntry(DenylistEntryKind kind, QString pattern)
{
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), kind, pattern = std::move(pattern), at = now()] {
            const DenylistKind ledgerKind = mapping::denylistKind(kind);
            const tovra::DenylistEntry stored = ledger->addDenylistEntry(ledgerKind, pattern, at);
            // A value that is already a built-in protection comes back as
            // that protection, which stays marked as one.
            return DenylistEntry { kind, stored.value, DenylistRules::isDefault(ledgerKind, stored.value) };
        }));
}

QCoro::Task<void> TovraCoreDataStore::removeDenylistEntry(DenylistEntry entry)
{
    if (entry.isDefault)
        return async::done();
    return async::awaitFuture(
        m_queue.submit([ledger = m_ledger->handle(), entry = std::move(entry), at = now()] {
            ledger->removeDenylistEntry(mapping::denylistKind(entry.kind), entry.pattern, at);
        }));
}

} // namespace tovra::app
