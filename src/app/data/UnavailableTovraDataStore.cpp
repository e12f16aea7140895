#include "app/data/UnavailableTovraDataStore.h"

#include "app/data/LocalStoreError.h"

namespace tovra::app {

UnavailableTovraDataStore::UnavailableTovraDataStore(QString openErrorDescription)
    : m_openErrorDescription(std::move(openErrorDescription))
{
}

void UnavailableTovraDataStore::fail() const
{
    throw LocalStoreError::ledgerUnavailable(m_openErrorDescription);
}

// Each operation is a coroutine, so the error reaches the caller when it
// awaits the task, as it would from a working store, not when it calls.

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::captureApplicationSource(
    ApplicationSnapshot, QString, bool)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::captureApplicationImageSource(
    ApplicationSnapshot, QByteArray, bool)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::resolveClipboardSource(QString)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::resolveClipboardSource(QUuid, QString)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<std::optional<PendingSource>> UnavailableTovraDataStore::resolveClipboardImageSource(
    QUuid, QByteArray)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<std::optional<CitationSource>> UnavailableTovraDataStore::resolveCitationSource(
    QString, QUuid, std::optional<QUuid>)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<void> UnavailableTovraDataStore::removePendingSources(QSet<QUuid>)
{
    fail();
    co_return;
}

QCoro::Task<std::optional<PasteExclusionReason>> UnavailableTovraDataStore::preflightTracePaste(
    DestinationSnapshot)
{
    fail();
    co_return std::nullopt;
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::commitTracePaste(
    DestinationSnapshot, std::optional<QString>, std::optional<QUuid>, std::optional<QUuid>)
{
    fail();
    co_return PasteCommit {};
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::commitImageTracePaste(
    DestinationSnapshot, std::optional<QByteArray>, std::optional<QUuid>, std::optional<QUuid>)
{
    fail();
    co_return PasteCommit {};
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::observeStandardPaste(
    DestinationSnapshot, std::optional<QString>)
{
    fail();
    co_return PasteCommit {};
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::observeStandardImagePaste(
    DestinationSnapshot, std::optional<QByteArray>)
{
    fail();
    co_return PasteCommit {};
}

QCoro::Task<PasteCommit> UnavailableTovraDataStore::commitObsidianPaste(QUuid, QUuid, QDateTime)
{
    fail();
    co_return PasteCommit {};
}

QCoro::Task<QList<ProvenanceRecord>> UnavailableTovraDataStore::listRecords()
{
    fail();
    co_return QList<ProvenanceRecord> {};
}

QCoro::Task<void> UnavailableTovraDataStore::deleteRecord(QUuid)
{
    fail();
    co_return;
}

QCoro::Task<void> UnavailableTovraDataStore::clearRecords()
{
    fail();
    co_return;
}

QCoro::Task<bool> UnavailableTovraDataStore::currentPausedStatus()
{
    fail();
    co_return false;
}

QCoro::Task<void> UnavailableTovraDataStore::setPaused(bool)
{
    fail();
    co_return;
}

QCoro::Task<NativeHostStatus> UnavailableTovraDataStore::nativeHostStatus()
{
    co_return NativeHostStatus::disconnected;
}

QCoro::Task<QList<DenylistEntry>> UnavailableTovraDataStore::listDenylistEntries()
{
    fail();
    co_return QList<DenylistEntry> {};
}

QCoro::Task<DenylistEntry> UnavailableTovraDataStore::addDenylistEntry(DenylistEntryKind, QString)
{
    fail();
    co_return DenylistEntry {};
}

QCoro::Task<void> UnavailableTovraDataStore::removeDenylistEntry(DenylistEntry)
{
    fail();
    co_return;
}

} // namespace tovra::app
