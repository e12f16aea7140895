#include "app/data/UnavailableTovraDataStore.h"

#include "app/data/AsyncTask.h"
#include "app/data/LocalStoreError.h"

namespace tovra::app {

UnavailableTovraDataStore::UnavailableTovraDataStore(QString openErrorDescription)
    : m_openErrorDescription(std::move(openErrorDescription))
{
}

// The error reaches the caller when it awaits the task, as it would from a
// working store, not when it calls.
std::exception_ptr UnavailableTovraDataStore::error() const
{
    return std::make_exception_ptr(LocalStoreError::ledgerUnavailable(m_openErrorDescription));
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::captureApplicationSource(
    ApplicationSnapshot, QString, bool)
{
    return async::failure<std::optional<PendingSource>>(error());
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::captureApplicationImageSource(
    ApplicationSnapshot, QByteArray, bool)
{
    return async::failure<std::optional<PendingSource>>(error());
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::resolveClipboardSource(QString)
{
    return async::failure<std::optional<PendingSource>>(error());
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::resolveClipboardSource(QUuid, QString)
{
    return async::failure<std::optional<PendingSource>>(error());
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::resolveClipboardImageSource(
    QUuid, QByteArray)
{
    return async::failure<std::optional<PendingSource>>(error());
}

QCoro::Task<std::optional<CitationSource>> UnavailableTovraDataStore::resolveCitationSource(
    QString, QUuid, std::optional<QUuid>)
{
    return async::failure<std::optional<CitationSource>>(error());
}

QCoro::Task<void> UnavailableTovraDataStore::removePendingSources(QSet<QUuid>)
{
    return async::failure<void>(error());
}

QCoro::Task<std::optional<PasteExclusionReason>> UnavailableTovraDataStore::preflightTracePaste(
    DestinationSnapshot)
{
    return async::failure<std::optional<PasteExclusionReason>>(error());
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::commitTracePaste(
    DestinationSnapshot, std::optional<QString>, std::optional<QUuid>, std::optional<QUuid>)
{
    return async::failure<PasteCommit>(error());
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::commitImageTracePaste(
    DestinationSnapshot, std::optional<QByteArray>, std::optional<QUuid>, std::optional<QUuid>)
{
    return async::failure<PasteCommit>(error());
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::observeStandardPaste(
    DestinationSnapshot, std::optional<QString>)
{
    return async::failure<PasteCommit>(error());
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::observeStandardImagePaste(
    DestinationSnapshot, std::optional<QByteArray>)
{
    return async::failure<PasteCommit>(error());
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::commitObsidianPaste(QUuid, QUuid, QDateTime)
{
    return async::failure<PasteCommit>(error());
}

QCoro::Task<QList<ProvenanceRecord>> UnavailableTovraDataStore::listRecords()
{
    return async::failure<QList<ProvenanceRecord>>(error());
}

QCoro::Task<void> UnavailableTovraDataStore::deleteRecord(QUuid)
{
    return async::failure<void>(error());
}

QCoro::Task<void> UnavailableTovraDataStore::clearRecords()
{
    return async::failure<void>(error());
}

QCoro::Task<bool> UnavailableTovraDataStore::currentPausedStatus()
{
    return async::failure<bool>(error());
}

QCoro::Task<void> UnavailableTovraDataStore::setPaused(bool)
{
    return async::failure<void>(error());
}

QCoro::Task<NativeHostStatus> UnavailableTovraDataStore::nativeHostStatus()
{
    return async::ready(NativeHostStatus::disconnected);
}

QCoro::Task<QList<DenylistEntry>> UnavailableTovraDataStore::listDenylistEntries()
{
    return async::failure<QList<DenylistEntry>>(error());
}

QCoro::Task<DenylistEntry> UnavailableTovraDataStore::addDenylistEntry(DenylistEntryKind, QString)
{
    return async::failure<DenylistEntry>(error());
}

QCoro::Task<void> UnavailableTovraDataStore::removeDenylistEntry(DenylistEntry)
{
    return async::failure<void>(error());
}

} // namespace tovra::app
