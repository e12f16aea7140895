#include "core/ledger/TovraLedger.h"

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/EncryptedLedgerPersistence.h"
#include "core/ledger/LedgerText.h"
#include "core/ledger/PendingSourceMatcher.h"
#include "core/ledger/TovraLedgerError.h"
#include "core/privacy/PrivacyGuard.h"
#include "core/privacy/UrlSanitizer.h"

#include <algorithm>

namespace tovra {

namespace {

// The session history's limit for one image: larger images are never captured.
constexpr qint64 maximumImageBytes = 20'971'520;

std::optional<RejectionReason> destinationExclusion(
    const DestinationContext &destination, const LedgerSnapshot &snapshot)
{
    if (snapshot.isPaused)
        return RejectionReason::paused;
    const QString bundleID = destination.appBundleID.trimmed();
    if (bundleID.isEmpty() || PrivacyGuard::isTransientSystemApplicationBundleID(bundleID))
        return RejectionReason::malformedRequest;
    return PrivacyGuard::validateDestination(
        destination, DenylistRules::effectiveDenylist(snapshot.customDenylistEntries));
}

DestinationContext boundedDestination(const DestinationContext &destination)
{
    DestinationContext bounded = destination;
    bounded.appBundleID = destination.appBundleID.trimmed();
    bounded.appName = LedgerText::bounded(destination.appName, TovraLedger::maximumNameBytes);
    bounded.windowTitle = LedgerText::bounded(destination.windowTitle, TovraLedger::maximumTitleBytes);
    bounded.documentID = LedgerText::bounded(destination.documentID, TovraLedger::maximumURLBytes);
    // Only a web address that sanitises is kept: anything else may carry
    // secrets (tokens in file or custom-scheme addresses) and is dropped.
    bounded.url = destination.url ? UrlSanitizer::sanitize(*destination.url) : std::nullopt;
    if (bounded.url && bounded.url->toUtf8().size() > TovraLedger::maximumURLBytes)
        bounded.url.reset();
    bounded.fieldRole = LedgerText::bounded(destination.fieldRole, TovraLedger::maximumNameBytes);
    bounded.fieldLabel = LedgerText::bounded(destination.fieldLabel, TovraLedger::maximumTitleBytes);
    bounded.inputType = LedgerText::bounded(destination.inputType, TovraLedger::maximumNameBytes);
    bounded.autocomplete = LedgerText::bounded(destination.autocomplete, TovraLedger::maximumNameBytes);
    return bounded;
}

QDateTime expiryFor(const QDateTime &capturedAt)
{
    return capturedAt.addSecs(TovraLedger::pendingSourceLifetimeSeconds);
}

} // namespace

std::unique_ptr<TovraLedger> TovraLedger::live(
    const QString &url, TovraKeyProviding &keyProvider, Opening opening)
{
    DerivedKeys keys;
    try {
        keys = DerivedKeys::derive(keyProvider.masterKey());
    } catch (const TovraCryptoError &error) {
        throw TovraLedgerError::keyUnavailable(error.localizedDescription());
    }
    auto persistence = std::make_unique<EncryptedLedgerPersistence>(url, keys.ledgerEnvelopeKey);
    switch (opening) {
    case Opening::checked:
        persistence->loadWithoutTraceRecords();
        break;
    case Opening::withTraceRecords:
        persistence->load();
        break;
    case Opening::atFirstUse:
        break;
    }
    return std::make_unique<TovraLedger>(std::move(persistence), keys.contentFingerprintKey);
}

TovraLedger::TovraLedger(std::unique_ptr<LedgerPersistence> persistence, QByteArray contentFingerprintKey)
    : m_persistence(std::move(persistence))
    , m_fingerprinter(std::move(contentFingerprintKey))
{
}

void TovraLedger::finishChange(LedgerSnapshot &snapshot, const QDateTime &at)
{
    snapshot.pendingSources.removeIf([&](const PendingSource &source) { return source.isExpired(at); });
    snapshot.updatedAt = at;
}

std::optional<QString> TovraLedger::textFingerprint(
    const std::optional<QString> &text, qint64 *byteCount) const
{
    if (!text)
        return std::nullopt;
    const QByteArray normalized = ContentFingerprinter::normalize(*text).toUtf8();
    if (normalized.isEmpty())
        return std::nullopt;
    *byteCount = normalized.size();
    return m_fingerprinter.fingerprint(*text);
}

// --- Sources ---

SourceCaptureResult TovraLedger::captureSource(const SourceCapturePayload &payload, const QDateTime &at)
{
    const std::lock_guard guard(m_mutex);
    return mutate<SourceCaptureResult>(
        at, TraceRecordUse::none, [&](LedgerSnapshot &snapshot, bool &changed) {
            const CustomDenylist denylist = DenylistRules::effectiveDenylist(snapshot.customDenylistEntries);
            if (const auto reason = PrivacyGuard::validateBrowserSource(payload, denylist, snapshot.isPaused))
                return SourceCaptureResult::rejected(*reason);
            const std::optional<QString> sanitizedURL = UrlSanitizer::sanitize(payload.url);
            if (!sanitizedURL || sanitizedURL->toUtf8().size() > maximumURLBytes)
                return SourceCaptureResult::rejected(RejectionReason::invalidURL);
            qint64 byteCount = 0;
            const std::optional<QString> fingerprint = textFingerprint(payload.selectedText, &byteCount);
            if (!fingerprint)
                return SourceCaptureResult::rejected(RejectionReason::emptyContent);

            PendingSource source;
            source.id = QUuid::createUuid();
            source.captureMethod = CaptureMethod::chromeExtension;
            source.contentFingerprint = fingerprint;
            source.byteCount = byteCount;
            source.sanitizedURL = sanitizedURL;
            source.pageTitle = LedgerText::bounded(payload.title, maximumTitleBytes);
            source.capturedAt = at;
            source.expiresAt = expiryFor(at);
            snapshot.pendingSources.append(source);
            changed = true;
            return SourceCaptureResult::stored(source);
        });
}

std::optional<PendingSource> TovraLedger::captureApplicationSource(const SourceApplication &application,
    const QString &clipboardText, CaptureMethod captureMethod, const QDateTime &at)
{
    qint64 byteCount = 0;
    std::optional<QString> fingerprint = textFingerprint(clipboardText, &byteCount);
    if (byteCount > PrivacyGuard::maximumCapturedTextBytes)
        fingerprint.reset();
    const std::lock_guard guard(m_mutex);
    return captureApplicationContent(application, fingerprint, byteCount, captureMethod, at);
}

std::optional<PendingSource> TovraLedger::captureApplicationImageSource(const SourceApplication &application,
    const QByteArray &imageData, CaptureMethod captureMethod, const QDateTime &at)
{
    std::optional<QString> fingerprint;
    if (!imageData.isEmpty() && imageData.size() <= maximumImageBytes)
        fingerprint = m_fingerprinter.fingerprintBytes(imageData);
    const std::lock_guard guard(m_mutex);
    return captureApplicationContent(application, fingerprint, imageData.size(), captureMethod, at);
}

std::optional<PendingSource> TovraLedger::captureApplicationContent(const SourceApplication &application,
    const std::optional<QString> &fingerprint, qint64 byteCount, CaptureMethod captureMethod,
    const QDateTime &at)
{
    const QString bundleID = application.bundleID.trimmed();
    if (!fingerprint || bundleID.isEmpty() || PrivacyGuard::isTransientSystemApplicationBundleID(bundleID))
        return std::nullopt;
    return mutate<std::optional<PendingSource>>(at, TraceRecordUse::none,
        [&](LedgerSnapshot &snapshot, bool &changed) -> std::optional<PendingSource> {
            if (snapshot.isPaused
                || PrivacyGuard::isDeniedBundleID(
                    bundleID, DenylistRules::effectiveDenylist(snapshot.customDenylistEntries)))
                return std::nullopt;
            PendingSource source;
            source.id = QUuid::createUuid();
            source.captureMethod = captureMethod;
            source.contentFingerprint = fingerprint;
            source.byteCount = byteCount;
            source.sourceAppName = LedgerText::bounded(application.name, maximumNameBytes);
            source.sourceAppBundleID = LedgerText::bounded(bundleID, maximumNameBytes);
            source.sourceProcessIdentifier = application.processIdentifier;
            source.capturedAt = at;
            source.expiresAt = expiryFor(at);
            snapshot.pendingSources.append(source);
            changed = true;
            return source;
        });
}

std::optional<PendingSource> TovraLedger::resolveClipboardSource(
    const QString &clipboardText, const QDateTime &at)
{
    qint64 byteCount = 0;
    const std::optional<QString> fingerprint = textFingerprint(clipboardText, &byteCount);
    if (!fingerprint)
        return std::nullopt;
    const std::lock_guard guard(m_mutex);
    return PendingSourceMatcher::bestMatch(
        m_persistence->loadWithoutTraceRecords().pendingSources, *fingerprint, at);
}

std::optional<PendingSource> TovraLedger::resolveClipboardSource(
    const QUuid &sourceID, const QString &clipboardText, const QDateTime &at)
{
    qint64 byteCount = 0;
    const std::optional<QString> fingerprint = textFingerprint(clipboardText, &byteCount);
    if (!fingerprint)
        return std::nullopt;
    const std::lock_guard guard(m_mutex);
    return PendingSourceMatcher::byID(
        m_persistence->loadWithoutTraceRecords().pendingSources, sourceID, *fingerprint, at);
}

std::optional<PendingSource> TovraLedger::resolveClipboardImageSource(
    const QUuid &sourceID, const QByteArray &imageData, const QDateTime &at)
{
    if (imageData.isEmpty())
        return std::nullopt;
    const QString fingerprint = m_fingerprinter.fingerprintBytes(imageData);
    const std::lock_guard guard(m_mutex);
    return PendingSourceMatcher::byID(
        m_persistence->loadWithoutTraceRecords().pendingSources, sourceID, fingerprint, at);
}

std::optional<CitationSource> TovraLedger::resolveCitationSource(const QString &clipboardText,
    const QUuid &traceID, const std::optional<QUuid> &preferredSourceID, const QDateTime &at)
{
    qint64 byteCount = 0;
    const std::optional<QString> fingerprint = textFingerprint(clipboardText, &byteCount);
    if (!fingerprint)
        return std::nullopt;
    const std::lock_guard guard(m_mutex);
    const std::optional<PendingSource> source = PendingSourceMatcher::preferring(
        m_persistence->loadWithoutTraceRecords().pendingSources, preferredSourceID, *fingerprint, at);
    if (!source)
        return std::nullopt;
    return CitationSource::from(traceID, *source);
}

void TovraLedger::removePendingSources(const QSet<QUuid> &ids, const QDateTime &at)
{
    if (ids.isEmpty())
        return;
    const std::lock_guard guard(m_mutex);
    mutate<bool>(at, TraceRecordUse::none, [&](LedgerSnapshot &snapshot, bool &changed) {
        changed = snapshot.pendingSources.removeIf([&](const PendingSource &source) {
            return ids.contains(source.id);
        }) > 0;
        return changed;
    });
}

// --- Pastes ---

std::optional<RejectionReason> TovraLedger::preflightTracePaste(const DestinationContext &destination)
{
    const std::lock_guard guard(m_mutex);
    return destinationExclusion(destination, m_persistence->loadWithoutTraceRecords());
}

PasteCommitResult TovraLedger::commitTracePaste(const DestinationContext &destination,
    const std::optional<QString> &clipboardText, const QDateTime &pastedAt,
    const std::optional<QUuid> &traceID, const std::optional<QUuid> &preferredSourceID)
{
    PasteCommitRequest request(
        destination, pastedAt, traceID, TraceConfidence::observed, PasteReceiptStatus::posted);
    request.fingerprint = textFingerprint(clipboardText, &request.byteCount);
    if (!request.fingerprint)
        request.contentProblem = RejectionReason::emptyContent;
    else if (request.byteCount > PrivacyGuard::maximumCapturedTextBytes)
        request.contentProblem = RejectionReason::contentTooLarge;
    request.preferredSourceID = preferredSourceID;
    request.sourceRequired = true;
    const std::lock_guard guard(m_mutex);
    return commit(request);
}

PasteCommitResult TovraLedger::commitImageTracePaste(const DestinationContext &destination,
    const std::optional<QByteArray> &imageData, const QDateTime &pastedAt,
    const std::optional<QUuid> &traceID, const std::optional<QUuid> &preferredSourceID)
{
    PasteCommitRequest request(
        destination, pastedAt, traceID, TraceConfidence::observed, PasteReceiptStatus::posted);
    imageContent(imageData, request);
    request.preferredSourceID = preferredSourceID;
    request.sourceRequired = true;
    const std::lock_guard guard(m_mutex);
    return commit(request);
}

PasteCommitResult TovraLedger::observeStandardPaste(const DestinationContext &destination,
    const std::optional<QString> &clipboardText, const QDateTime &pastedAt)
{
    PasteCommitRequest request(
        destination, pastedAt, std::nullopt, TraceConfidence::inferred, PasteReceiptStatus::observed);
    request.fingerprint = textFingerprint(clipboardText, &request.byteCount);
    if (request.fingerprint && request.byteCount > PrivacyGuard::maximumCapturedTextBytes)
        request.fingerprint.reset();
    const std::lock_guard guard(m_mutex);
    return commit(request);
}

PasteCommitResult TovraLedger::observeStandardImagePaste(const DestinationContext &destination,
    const std::optional<QByteArray> &imageData, const QDateTime &pastedAt)
{
    PasteCommitRequest request(
        destination, pastedAt, std::nullopt, TraceConfidence::inferred, PasteReceiptStatus::observed);
    imageContent(imageData, request);
    if (request.contentProblem)
        request.fingerprint.reset();
    const std::lock_guard guard(m_mutex);
    return commit(request);
}

PasteCommitResult TovraLedger::commitObsidianPaste(const QUuid &sourceID,
    const DestinationContext &destination, const QDateTime &at, const std::optional<QUuid> &traceID)
{
    PasteCommitRequest request(
        destination, at, traceID, TraceConfidence::verified, PasteReceiptStatus::confirmed);
    request.requiredSourceID = sourceID;
    request.sourceRequired = true;
    const std::lock_guard guard(m_mutex);
    return commit(request);
}

void TovraLedger::imageContent(const std::optional<QByteArray> &imageData, PasteCommitRequest &request) const
{
    if (!imageData || imageData->isEmpty()) {
        request.contentProblem = RejectionReason::emptyContent;
        return;
    }
    request.isImage = true;
    request.byteCount = imageData->size();
    if (imageData->size() > maximumImageBytes)
        request.contentProblem = RejectionReason::contentTooLarge;
    else
        request.fingerprint = m_fingerprinter.fingerprintBytes(*imageData);
}

PasteCommitResult TovraLedger::commit(const PasteCommitRequest &request)
{
    return mutate<PasteCommitResult>(
        request.pastedAt, TraceRecordUse::used, [&](LedgerSnapshot &snapshot, bool &changed) {
            if (const auto reason = destinationExclusion(request.destination, snapshot))
                return PasteCommitResult::excluded(*reason);
            if (request.sourceRequired && request.contentProblem)
                return PasteCommitResult::excluded(*request.contentProblem);

            std::optional<PendingSource> source;
            std::optional<QString> fingerprint = request.fingerprint;
            qint64 byteCount = request.byteCount;
            if (request.requiredSourceID) {
                const auto found = std::find_if(snapshot.pendingSources.cbegin(),
                    snapshot.pendingSources.cend(),
                    [&](const PendingSource &pending) { return pending.id == *request.requiredSourceID; });
                if (found != snapshot.pendingSources.cend() && !found->isExpired(request.pastedAt)) {
                    source = *found;
                    fingerprint = found->contentFingerprint;
                    byteCount = found->byteCount;
                }
            } else if (fingerprint) {
                source = PendingSourceMatcher::preferring(
                    snapshot.pendingSources, request.preferredSourceID, *fingerprint, request.pastedAt);
            }
            if (!source && request.sourceRequired)
                return PasteCommitResult::sourceUnmatched();

            TraceRecord trace;
            trace.id = request.traceID.value_or(QUuid::createUuid());
            trace.source = source;
            trace.paste.id = QUuid::createUuid();
            trace.paste.destination = boundedDestination(request.destination);
            trace.paste.pastedAt = request.pastedAt;
            trace.paste.contentFingerprint = fingerprint;
            trace.paste.byteCount = fingerprint ? byteCount : 0;
            trace.paste.isImage = request.isImage;
            trace.confidence = request.confidence;
            trace.receiptStatus = request.receiptStatus;
            snapshot.traceRecords.removeIf(
                [&](const TraceRecord &existing) { return existing.id == trace.id; });
            snapshot.traceRecords.append(trace);
            changed = true;
            return PasteCommitResult::recorded(trace);
        });
}

} // namespace tovra
