#pragma once

#include "app/data/LedgerOnFirstUse.h"
#include "app/data/SerialJobQueue.h"
#include "app/data/TovraAppDataProviding.h"

#include <memory>

namespace tovra {
class Clock;
class TovraLedger;
} // namespace tovra

namespace tovra::app {

// The data store over the ledger. The ledger's work runs on the store's own
// thread, one operation at a time in the order the calls were made, so the
// calling (GUI) thread never waits for the file or the keyring; results are
// mapped to the app's records there. Ledger errors reach the awaiting caller
// unchanged. The current time of an operation is read from the clock when it
// is called.
class TovraCoreDataStore final : public TovraAppDataProviding {
public:
    TovraCoreDataStore(std::unique_ptr<TovraLedger> ledger, std::shared_ptr<const Clock> clock);
    // Opens the ledger with `opening` on the store's thread, for the first job.
    TovraCoreDataStore(LedgerOnFirstUse::Opening opening, std::shared_ptr<const Clock> clock);
    // Finishes the operations already asked for before it returns.
    ~TovraCoreDataStore() override;

    bool stop(std::chrono::steady_clock::time_point deadline) override;

    QCoro::Task<std::optional<PendingSource>> captureApplicationSource(
        ApplicationSnapshot application, QString clipboardText, bool inferred) override;
    QCoro::Task<std::optional<PendingSource>> captureApplicationImageSource(
        ApplicationSnapshot application, QByteArray imageData, bool inferred) override;
    QCoro::Task<std::optional<PendingSource>> resolveClipboardSource(QString clipboardText) override;
    QCoro::Task<std::optional<PendingSource>> resolveClipboardSource(
        QUuid sourceID, QString clipboardText) override;
    QCoro::Task<std::optional<PendingSource>> resolveClipboardImageSource(
        QUuid sourceID, QByteArray imageData) override;
    QCoro::Task<std::optional<CitationSource>> resolveCitationSource(
        QString clipboardText, QUuid traceID, std::optional<QUuid> preferredSourceID) override;
    QCoro::Task<void> removePendingSources(QSet<QUuid> ids) override;

    QCoro::Task<std::optional<PasteExclusionReason>> preflightTracePaste(
        DestinationSnapshot destination) override;
    QCoro::Task<PasteCommit> commitTracePaste(DestinationSnapshot destination,
        std::optional<QString> clipboardText, std::optional<QUuid> traceID,
        std::optional<QUuid> preferredSourceID) override;
    QCoro::Task<PasteCommit> commitImageTracePaste(DestinationSnapshot destination,
        std::optional<QByteArray> imageData, std::optional<QUuid> traceID,
        std::optional<QUuid> preferredSourceID) override;
    QCoro::Task<PasteCommit> observeStandardPaste(
        DestinationSnapshot destination, std::optional<QString> clipboardText) override;
    QCoro::Task<PasteCommit> observeStandardImagePaste(
        DestinationSnapshot destination, std::optional<QByteArray> imageData) override;
    // Fails with LocalStoreError::obsidianCommitUnsupported.
    QCoro::Task<PasteCommit> commitObsidianPaste(QUuid sourceID, QUuid traceID, QDateTime pastedAt) override;

    QCoro::Task<QList<ProvenanceRecord>> listRecords() override;
    QCoro::Task<void> deleteRecord(QUuid id) override;
    QCoro::Task<void> clearRecords() override;

    QCoro::Task<bool> currentPausedStatus() override;
    QCoro::Task<void> setPaused(bool paused) override;
    // Always unknown: the app does not probe the native host.
    QCoro::Task<NativeHostStatus> nativeHostStatus() override;

    QCoro::Task<QList<DenylistEntry>> listDenylistEntries() override;
    QCoro::Task<DenylistEntry> addDenylistEntry(DenylistEntryKind kind, QString pattern) override;
    QCoro::Task<void> removeDenylistEntry(DenylistEntry entry) override;

private:
    QDateTime now() const;

    std::unique_ptr<LedgerOnFirstUse> m_ledger;
    std::shared_ptr<const Clock> m_clock;
    // Declared last: destroyed first, so queued jobs still find the ledger.
    SerialJobQueue m_queue;
};

} // namespace tovra::app
