#pragma once

#include "app/data/ApplicationSnapshot.h"
#include "app/data/DenylistEntry.h"
#include "app/data/NativeHostStatus.h"
#include "app/data/PasteCommit.h"
#include "app/data/PasteExclusionReason.h"
#include "app/data/ProvenanceRecord.h"
#include "core/citations/CitationSource.h"
#include "core/records/PendingSource.h"
#include "platform/DestinationSnapshot.h"

#include <QByteArray>
#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>

#include <chrono>
#include <optional>

namespace tovra::app {

// The app's only way to the ledger. Every operation is asynchronous: a call
// returns a task at once and its work is done elsewhere, one operation at a
// time, whoever calls. Failures are thrown from the awaited task as errors
// derived from TovraError, whose description is shown to the user. A task
// resumes its awaiting coroutine on that coroutine's own thread, through the
// thread's Qt event loop, which must therefore be running.
//
// Arguments are taken by value: a task may outlive the caller's variables.
class TovraAppDataProviding {
public:
    virtual ~TovraAppDataProviding() = default;

    // --- End ---

    // The app is ending. No operation is taken from now on: a later call
    // fails with LocalStoreError::stopped. The operations already asked for
    // go on until `deadline`; those not started by then fail the same way,
    // without touching the ledger. Blocks the caller until the store's own
    // work has ended, or at most until `deadline`, and returns whether it
    // ended. When it did not, an operation still runs: the store must then
    // outlive it, and the process ends without destroying the store. A store
    // that does no work of its own has nothing to wait for.
    virtual bool stop(std::chrono::steady_clock::time_point deadline)
    {
        (void)deadline;
        return true;
    }

    // --- Sources ---

    // Records the copying application as a pending source of the text, learnt
    // by pasteboard inference when `inferred`, else by keyboard observation.
    // None when the ledger declines it.
    virtual QCoro::Task<std::optional<PendingSource>> captureApplicationSource(
        ApplicationSnapshot application, QString clipboardText, bool inferred)
        = 0;
    virtual QCoro::Task<std::optional<PendingSource>> captureApplicationImageSource(
        ApplicationSnapshot application, QByteArray imageData, bool inferred)
        = 0;

    // The pending source that matches the text now, or none.
    virtual QCoro::Task<std::optional<PendingSource>> resolveClipboardSource(QString clipboardText) = 0;
    // The pending source with that id while it exists, is unexpired and
    // matches the content; else none.
    virtual QCoro::Task<std::optional<PendingSource>> resolveClipboardSource(
        QUuid sourceID, QString clipboardText)
        = 0;
    virtual QCoro::Task<std::optional<PendingSource>> resolveClipboardImageSource(
        QUuid sourceID, QByteArray imageData)
        = 0;
    // What a citation of the text, pasted as trace `traceID`, would name.
    virtual QCoro::Task<std::optional<CitationSource>> resolveCitationSource(
        QString clipboardText, QUuid traceID, std::optional<QUuid> preferredSourceID)
        = 0;

    virtual QCoro::Task<void> removePendingSources(QSet<QUuid> ids) = 0;

    // --- Pastes ---

    // Why a paste into the destination would not be recorded; none when the
    // ledger would record it.
    virtual QCoro::Task<std::optional<PasteExclusionReason>> preflightTracePaste(
        DestinationSnapshot destination)
        = 0;

    // A paste this app sent, with the unrendered text (or image) that was on
    // the pasteboard.
    virtual QCoro::Task<PasteCommit> commitTracePaste(DestinationSnapshot destination,
        std::optional<QString> clipboardText, std::optional<QUuid> traceID,
        std::optional<QUuid> preferredSourceID)
        = 0;
    virtual QCoro::Task<PasteCommit> commitImageTracePaste(DestinationSnapshot destination,
        std::optional<QByteArray> imageData, std::optional<QUuid> traceID,
        std::optional<QUuid> preferredSourceID)
        = 0;

    // A standard paste seen in another application, recorded at application level.
    virtual QCoro::Task<PasteCommit> observeStandardPaste(
        DestinationSnapshot destination, std::optional<QString> clipboardText)
        = 0;
    virtual QCoro::Task<PasteCommit> observeStandardImagePaste(
        DestinationSnapshot destination, std::optional<QByteArray> imageData)
        = 0;

    // A paste the Obsidian plug-in confirmed. No store records it yet: every
    // store fails.
    virtual QCoro::Task<PasteCommit> commitObsidianPaste(QUuid sourceID, QUuid traceID, QDateTime pastedAt)
        = 0;

    // --- Records ---

    // Every stored trace, most recently pasted first.
    virtual QCoro::Task<QList<ProvenanceRecord>> listRecords() = 0;
    virtual QCoro::Task<void> deleteRecord(QUuid id) = 0;
    virtual QCoro::Task<void> clearRecords() = 0;

    // --- State ---

    virtual QCoro::Task<bool> currentPausedStatus() = 0;
    virtual QCoro::Task<void> setPaused(bool paused) = 0;
    // Never fails.
    virtual QCoro::Task<NativeHostStatus> nativeHostStatus() = 0;

    // --- Denylist ---

    // Built-in protections and the user's rules.
    virtual QCoro::Task<QList<DenylistEntry>> listDenylistEntries() = 0;
    // Adds a rule and returns it with its stored (normalised) pattern. Fails
    // for an empty or invalid pattern.
    virtual QCoro::Task<DenylistEntry> addDenylistEntry(DenylistEntryKind kind, QString pattern) = 0;
    // Removes the user's rule; does nothing for a built-in protection.
    virtual QCoro::Task<void> removeDenylistEntry(DenylistEntry entry) = 0;
};

} // namespace tovra::app
