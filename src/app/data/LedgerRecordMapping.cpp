#include "app/data/LedgerRecordMapping.h"

#include "core/privacy/SanitizedUrlForm.h"
#include "core/privacy/UrlSanitizer.h"

#include <algorithm>

namespace tovra::app::mapping {

namespace {

std::optional<QString> nonEmpty(const std::optional<QString> &text)
{
    // Scanned rather than trimmed: this runs for every name of every record.
    if (!text
        || std::all_of(text->cbegin(), text->cend(), [](QChar character) { return character.isSpace(); }))
        return std::nullopt;
    return text;
}

QString sourceApplicationName(const PendingSource &source)
{
    if (const auto name = nonEmpty(source.sourceAppName))
        return *name;
    if (const auto bundleID = nonEmpty(source.sourceAppBundleID))
        return *bundleID;
    if (source.captureMethod == CaptureMethod::chromeExtension)
        return QStringLiteral("Google Chrome");
    return QStringLiteral("未知 App");
}

} // namespace

SourceSnapshot sourceSnapshot(const TraceRecord &trace)
{
    SourceSnapshot snapshot;
    if (!trace.source) {
        snapshot.applicationName = QStringLiteral("来源未知");
        snapshot.capturedAt = trace.paste.pastedAt;
        snapshot.isUnknown = true;
        return snapshot;
    }
    const PendingSource &source = *trace.source;
    // Stored addresses are sanitised already, and one of the common shape is
    // taken as it is; any other is sanitised again, which keeps anything but
    // a valid web address (a damaged or foreign ledger entry) out of the
    // links the app opens.
    if (source.sanitizedURL) {
        if (auto host = SanitizedUrlForm::host(*source.sanitizedURL)) {
            snapshot.url = QUrl(*source.sanitizedURL);
            snapshot.domain = std::move(*host);
        } else if (const auto url = UrlSanitizer::sanitize(*source.sanitizedURL)) {
            snapshot.url = QUrl(*url);
            snapshot.domain = UrlSanitizer::host(*url).value_or(QString());
        }
    }
    snapshot.title = source.pageTitle.value_or(QString());
    snapshot.applicationName = sourceApplicationName(source);
    snapshot.bundleIdentifier = nonEmpty(source.sourceAppBundleID);
    snapshot.capturedAt = source.capturedAt;
    return snapshot;
}

DestinationSnapshot destinationSnapshot(const PasteRecord &paste)
{
    const DestinationContext &context = paste.destination;
    DestinationSnapshot snapshot;
    const QString bundleID = context.appBundleID.trimmed();
    if (!bundleID.isEmpty())
        snapshot.bundleIdentifier = bundleID;
    snapshot.applicationName = nonEmpty(context.appName).value_or(bundleID);
    snapshot.windowTitle = context.windowTitle;
    snapshot.accessibilityRole = context.fieldRole;
    snapshot.fieldLabel = context.fieldLabel;
    snapshot.isSecureTextEntry = context.isSecureTextEntry;
    snapshot.pastedAt = paste.pastedAt;
    return snapshot;
}

app::TraceConfidence traceConfidence(tovra::TraceConfidence confidence)
{
    switch (confidence) {
    case tovra::TraceConfidence::verified:
        return app::TraceConfidence::verified;
    case tovra::TraceConfidence::observed:
        return app::TraceConfidence::observed;
    case tovra::TraceConfidence::inferred:
        return app::TraceConfidence::inferred;
    }
    Q_UNREACHABLE();
    return app::TraceConfidence::inferred;
}

ProvenanceRecord provenanceRecord(const TraceRecord &trace)
{
    return ProvenanceRecord {
        trace.id,
        sourceSnapshot(trace),
        destinationSnapshot(trace.paste),
        traceConfidence(trace.confidence),
    };
}

DestinationContext destinationContext(const DestinationSnapshot &destination)
{
    DestinationContext context;
    context.appBundleID = destination.bundleIdentifier.value_or(QString());
    if (!destination.applicationName.trimmed().isEmpty())
        context.appName = destination.applicationName;
    context.windowTitle = destination.windowTitle;
    context.fieldRole = destination.accessibilityRole;
    context.fieldLabel = destination.fieldLabel;
    context.isSecureTextEntry = destination.isSecureTextEntry;
    return context;
}

SourceApplication sourceApplication(const ApplicationSnapshot &application)
{
    return SourceApplication { application.name, application.bundleIdentifier,
        application.processIdentifier };
}

PasteExclusionReason exclusionReason(RejectionReason reason)
{
    switch (reason) {
    case RejectionReason::paused:
        return PasteExclusionReason::paused;
    case RejectionReason::deniedDomain:
        return PasteExclusionReason::deniedDomain;
    case RejectionReason::deniedApplication:
        return PasteExclusionReason::deniedApplication;
    case RejectionReason::sensitiveField:
        return PasteExclusionReason::sensitiveField;
    case RejectionReason::emptyContent:
        return PasteExclusionReason::emptyContent;
    case RejectionReason::contentTooLarge:
        return PasteExclusionReason::contentTooLarge;
    case RejectionReason::incognito:
    case RejectionReason::invalidURL:
    case RejectionReason::malformedRequest:
        return PasteExclusionReason::invalidDestination;
    }
    Q_UNREACHABLE();
    return PasteExclusionReason::invalidDestination;
}

std::optional<PasteExclusionReason> exclusionReason(const std::optional<RejectionReason> &reason)
{
    if (!reason)
        return std::nullopt;
    return exclusionReason(*reason);
}

PasteCommit pasteCommit(const PasteCommitResult &result)
{
    switch (result.kind()) {
    case PasteCommitResult::Kind::recorded:
        return PasteCommit { PastePreparationOutcome::recorded(provenanceRecord(*result.trace())) };
    case PasteCommitResult::Kind::excluded:
        return PasteCommit { PastePreparationOutcome::excluded(exclusionReason(*result.exclusionReason())) };
    case PasteCommitResult::Kind::sourceUnmatched:
        return PasteCommit { PastePreparationOutcome::sourceUnmatched() };
    }
    Q_UNREACHABLE();
    return PasteCommit {};
}

DenylistKind denylistKind(DenylistEntryKind kind)
{
    return kind == DenylistEntryKind::domain ? DenylistKind::domain : DenylistKind::bundleID;
}

DenylistEntryKind denylistEntryKind(DenylistKind kind)
{
    return kind == DenylistKind::domain ? DenylistEntryKind::domain : DenylistEntryKind::bundleID;
}

DenylistEntry denylistEntry(const DenylistRule &rule)
{
    return DenylistEntry { denylistEntryKind(rule.entry.kind), rule.entry.value, rule.isDefault };
}

} // namespace tovra::app::mapping
