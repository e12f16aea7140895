#pragma once

#include "core/citations/CitationSource.h"
#include "core/crypto/ContentFingerprinter.h"
#include "core/crypto/TovraKeyProviding.h"
#include "core/ledger/DenylistRules.h"
#include "core/ledger/LedgerPersistence.h"
#include "core/ledger/SourceApplication.h"
#include "core/ledger/TraceRecordListing.h"
#include "core/records/DestinationContext.h"
#include "core/records/PasteCommitResult.h"
#include "core/records/SourceCapturePayload.h"
#include "core/records/SourceCaptureResult.h"
#include "core/records/TovraStatus.h"
#include "core/records/TraceFilter.h"
#include "core/records/TraceRecord.h"

#include <QDateTime>
#include <QSet>
#include <QUuid>

#include <memory>
#include <mutex>
#include <optional>

namespace tovra {

// The provenance ledger: pending sources waiting for a paste, the trace
// records of committed pastes, the custom denylist and the paused flag, kept
// in one snapshot that the app and the native host share through the ledger
// file.
//
// Content is never stored: only its keyed fingerprint and its size. Every
// public operation runs alone within the process (one mutex), and works on the
// stored snapshot as it is at that moment, whichever process changed it last.
// A change is one read-modify-write under the file's exclusive lock; expired
// pending sources are dropped whenever the snapshot is written. Operations
// that depend on time take it as an argument.
class TovraLedger {
public:
    // How long a pending source can be matched: the session history keeps an
    // item 3600 s, and a paste from the history must still find the item's
    // source at its last moment, so sources live five minutes longer.
    static constexpr qint64 pendingSourceLifetimeSeconds = 3600 + 300;
    // Upper bounds, in UTF-8 bytes, of the metadata kept from outside: longer
    // texts are cut at a character boundary.
    static constexpr qsizetype maximumTitleBytes = 1024;
    static constexpr qsizetype maximumNameBytes = 256;
    static constexpr qsizetype maximumURLBytes = 8192;

    // When and how live() reads the file it opens.
    enum class Opening {
        // At once, with the trace records checked but not decoded.
        checked,
        // At once, with the trace records decoded: a process that will use
        // them (the app) so reads the file only once.
        withTraceRecords,
        // At the first operation, which reads what it needs and reports what
        // an opening read would have: the browser host, whose status request
        // needs no trace record checked.
        atFirstUse,
    };

    // Opens the ledger file at `url` with keys derived from the provider's
    // master key, and reads it once, so that an unreadable, undecryptable or
    // newer file is reported here (or at the first operation). A missing
    // file is an empty ledger, created by the first change. Throws
    // TovraLedgerError.
    static std::unique_ptr<TovraLedger> live(
        const QString &url, TovraKeyProviding &keyProvider, Opening opening = Opening::checked);

    TovraLedger(std::unique_ptr<LedgerPersistence> persistence, QByteArray contentFingerprintKey);

    // --- Sources ---

    // A capture from the browser extension. The privacy guard judges it
    // against the denylist (built-in and custom) and the paused flag; an
    // accepted capture becomes a new pending source (capture method
    // chromeExtension, sanitised address, title) with a new id. The selected
    // text serves only for its fingerprint and byte count.
    SourceCaptureResult captureSource(const SourceCapturePayload &payload, const QDateTime &at);

    // A copy in an application, of text or of image bytes. None when the
    // ledger declines: paused, an application without identifier, a transient
    // system application or one on the denylist, empty or oversized content.
    std::optional<PendingSource> captureApplicationSource(const SourceApplication &application,
        const QString &clipboardText, CaptureMethod captureMethod, const QDateTime &at);
    std::optional<PendingSource> captureApplicationImageSource(const SourceApplication &application,
        const QByteArray &imageData, CaptureMethod captureMethod, const QDateTime &at);

    // The pending source that matches the text at `at` (see PendingSourceMatcher).
    std::optional<PendingSource> resolveClipboardSource(const QString &clipboardText, const QDateTime &at);
    // The pending source with that id when it is unexpired and matches the content.
    std::optional<PendingSource> resolveClipboardSource(
        const QUuid &sourceID, const QString &clipboardText, const QDateTime &at);
    std::optional<PendingSource> resolveClipboardImageSource(
        const QUuid &sourceID, const QByteArray &imageData, const QDateTime &at);
    // What a citation of the text would name: the preferred source when it
    // matches, else the best match, for a paste to be recorded as `traceID`.
    std::optional<CitationSource> resolveCitationSource(const QString &clipboardText, const QUuid &traceID,
        const std::optional<QUuid> &preferredSourceID, const QDateTime &at);

    void removePendingSources(const QSet<QUuid> &ids, const QDateTime &at);

    // --- Pastes ---

    // Why a paste into `destination` would not be recorded, or none: paused,
    // a denied application or address, a field for secrets, or an invalid
    // destination (no application identifier, a transient system
    // application), which is reported as malformedRequest.
    std::optional<RejectionReason> preflightTracePaste(const DestinationContext &destination);

    // A paste this app sent (dedicated or from the history): bound to the
    // pending source with the content's fingerprint, the preferred one when it
    // matches; confidence observed. The record takes `traceID` when given
    // (replacing a record with that id), else a new id.
    PasteCommitResult commitTracePaste(const DestinationContext &destination,
        const std::optional<QString> &clipboardText, const QDateTime &pastedAt,
        const std::optional<QUuid> &traceID = std::nullopt,
        const std::optional<QUuid> &preferredSourceID = std::nullopt);
    PasteCommitResult commitImageTracePaste(const DestinationContext &destination,
        const std::optional<QByteArray> &imageData, const QDateTime &pastedAt,
        const std::optional<QUuid> &traceID = std::nullopt,
        const std::optional<QUuid> &preferredSourceID = std::nullopt);

    // A standard paste seen in another application: recorded at application
    // level with confidence inferred, with the matching source when the
    // content matches one and with no source otherwise.
    PasteCommitResult observeStandardPaste(const DestinationContext &destination,
        const std::optional<QString> &clipboardText, const QDateTime &pastedAt);
    PasteCommitResult observeStandardImagePaste(const DestinationContext &destination,
        const std::optional<QByteArray> &imageData, const QDateTime &pastedAt);

    // A paste the Obsidian plug-in confirmed for a given pending source:
    // confidence verified.
    PasteCommitResult commitObsidianPaste(const QUuid &sourceID, const DestinationContext &destination,
        const QDateTime &at, const std::optional<QUuid> &traceID = std::nullopt);

    // --- Records and state ---

    // The records that match, most recently pasted first, at most `limit`.
    QList<TraceRecord> listRecords(const TraceFilter &filter = {});
    // The same records, read in place rather than copied.
    TraceRecordListing recordListing(const TraceFilter &filter = {});
    // False when there was no such record.
    bool deleteRecord(const QUuid &id, const QDateTime &at);
    void clearRecords(const QDateTime &at);

    bool isPaused();
    void setPaused(bool paused, const QDateTime &at);
    // Paused flag, number of pending sources unexpired at `at`, ledger version.
    TovraStatus status(const QDateTime &at);

    // --- Denylist ---

    // Adds a custom rule in its normalised form and returns it; a value that
    // is already a rule (custom or built-in, ignoring case) returns that rule
    // and changes nothing. Throws TovraLedgerError for an empty or invalid value.
    DenylistEntry addDenylistEntry(DenylistKind kind, const QString &value, const QDateTime &at);
    // Removes the custom rule with that value (ignoring case); nothing when
    // there is none. Throws TovraLedgerError for a built-in protection.
    void removeDenylistEntry(DenylistKind kind, const QString &value, const QDateTime &at);
    // Built-in protections first, then the custom rules in the order added.
    QList<DenylistRule> listDenylistEntries();
    // Built-in and custom rules together, for the privacy guard.
    CustomDenylist customDenylist();

private:
    // Whether an operation looks at the trace records; most do not, and
    // then the ledger never decodes them.
    enum class TraceRecordUse { none, used };

    // Runs `edit(snapshot, changed)` as one change of the stored snapshot and
    // returns its result; the snapshot is written only when the edit set
    // `changed`.
    template <typename Result, typename Edit>
    Result mutate(const QDateTime &at, TraceRecordUse use, Edit edit)
    {
        std::optional<Result> result;
        const LedgerPersistence::Change change = [&](LedgerSnapshot &snapshot) {
            bool changed = false;
            result.emplace(edit(snapshot, changed));
            if (changed)
                finishChange(snapshot, at);
            return changed;
        };
        if (use == TraceRecordUse::used)
            m_persistence->update(change);
        else
            m_persistence->updateWithoutTraceRecords(change);
        return std::move(*result);
    }
    // Drops expired pending sources and stamps the change time.
    static void finishChange(LedgerSnapshot &snapshot, const QDateTime &at);

    std::optional<PendingSource> captureApplicationContent(const SourceApplication &application,
        const std::optional<QString> &fingerprint, qint64 byteCount, CaptureMethod captureMethod,
        const QDateTime &at);

    struct PasteCommitRequest {
        PasteCommitRequest(DestinationContext destination, QDateTime pastedAt, std::optional<QUuid> traceID,
            TraceConfidence confidence, PasteReceiptStatus receiptStatus)
            : destination(std::move(destination))
            , pastedAt(std::move(pastedAt))
            , traceID(traceID)
            , confidence(confidence)
            , receiptStatus(receiptStatus)
        {
        }

        DestinationContext destination;
        QDateTime pastedAt;
        std::optional<QUuid> traceID;
        TraceConfidence confidence;
        PasteReceiptStatus receiptStatus;
        std::optional<QString> fingerprint;
        qint64 byteCount = 0;
        bool isImage = false;
        // Why the content cannot be matched (absent, empty, too large).
        std::optional<RejectionReason> contentProblem;
        std::optional<QUuid> preferredSourceID;
        // The paste names its source itself instead of matching content.
        std::optional<QUuid> requiredSourceID;
        // Without a source nothing is recorded.
        bool sourceRequired = false;
    };
    PasteCommitResult commit(const PasteCommitRequest &request);
    void imageContent(const std::optional<QByteArray> &imageData, PasteCommitRequest &request) const;

    std::optional<QString> textFingerprint(const std::optional<QString> &text, qint64 *byteCount) const;

    std::mutex m_mutex;
    std::unique_ptr<LedgerPersistence> m_persistence;
    ContentFingerprinter m_fingerprinter;
};

} // namespace tovra
