#pragma once

#include "app/data/TovraAppDataProviding.h"

#include <exception>

namespace tovra::app {

// The store the app runs with when the encrypted ledger could not be opened:
// every operation that can fail does, with a LocalStoreError that says the
// ledger cannot be opened and why; the native host counts as disconnected.
// The app stays usable enough to show that, and to retry.
class UnavailableTovraDataStore final : public TovraAppDataProviding {
public:
    // `openErrorDescription`: the description of the error opening raised.
    explicit UnavailableTovraDataStore(QString openErrorDescription);

    const QString &openErrorDescription() const noexcept { return m_openErrorDescription; }

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
    QCoro::Task<PasteCommit> commitObsidianPaste(QUuid sourceID, QUuid traceID, QDateTime pastedAt) override;

    QCoro::Task<QList<ProvenanceRecord>> listRecords() override;
    QCoro::Task<void> deleteRecord(QUuid id) override;
    QCoro::Task<void> clearRecords() override;

    QCoro::Task<bool> currentPausedStatus() override;
    QCoro::Task<void> setPaused(bool paused) override;
    QCoro::Task<NativeHostStatus> nativeHostStatus() override;

    QCoro::Task<QList<DenylistEntry>> listDenylistEntries() override;
    QCoro::Task<DenylistEntry> addDenylistEntry(DenylistEntryKind kind, QString pattern) override;
    QCoro::Task<void> removeDenylistEntry(DenylistEntry entry) override;

private:
    std::exception_ptr error() const;

    QString m_openErrorDescription;
};

} // namespace tovra::app
