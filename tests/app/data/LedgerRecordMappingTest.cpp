#include "app/data/LedgerRecordMapping.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

const QDateTime capturedAt(QDate(2026, 2, 3), QTime(10, 0), Qt::UTC);
const QDateTime pastedAt(QDate(2026, 2, 3), QTime(10, 5), Qt::UTC);

PendingSource browserSource()
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = CaptureMethod::chromeExtension;
    source.sanitizedURL = QStringLiteral("https://docs.example.com/guide?page=2");
    source.pageTitle = QStringLiteral("The guide");
    source.capturedAt = capturedAt;
    source.expiresAt = capturedAt.addSecs(3900);
    return source;
}

PendingSource applicationSource()
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = CaptureMethod::pasteboardInference;
    source.sourceAppName = QStringLiteral("Text Editor");
    source.sourceAppBundleID = QStringLiteral("org.gnome.TextEditor");
    source.capturedAt = capturedAt;
    source.expiresAt = capturedAt.addSecs(3900);
    return source;
}

TraceRecord trace(std::optional<PendingSource> source)
{
    TraceRecord trace;
    trace.id = QUuid::createUuid();
    trace.source = std::move(source);
    trace.paste.id = QUuid::createUuid();
    trace.paste.destination.appBundleID = QStringLiteral("md.obsidian");
    trace.paste.destination.appName = QStringLiteral("Obsidian");
    trace.paste.destination.windowTitle = QStringLiteral("Daily note");
    trace.paste.destination.fieldRole = QStringLiteral("text");
    trace.paste.destination.fieldLabel = QStringLiteral("Body");
    trace.paste.destination.documentID = QStringLiteral("vault/daily.md");
    trace.paste.pastedAt = pastedAt;
    trace.confidence = tovra::TraceConfidence::observed;
    return trace;
}

TEST(LedgerRecordMappingTest, SourcesKeepAValidAddressItsHostAndTheBestNameAtHand)
{
    PendingSource blankName = applicationSource();
    blankName.sourceAppName = QStringLiteral("  ");
    PendingSource nameless = applicationSource();
    nameless.sourceAppName.reset();
    nameless.sourceAppBundleID.reset();
    PendingSource damaged = browserSource();
    damaged.sanitizedURL = QStringLiteral("javascript:alert(1)");

    struct Case {
        const char *name;
        std::optional<PendingSource> source;
        std::optional<QUrl> url;
        QString domain, title, applicationName;
        std::optional<QString> bundleIdentifier;
        bool isUnknown;
    };
    const QString guide = QStringLiteral("The guide");
    const QString editorID = QStringLiteral("org.gnome.TextEditor");
    const Case cases[] = {
        { "browser", browserSource(), QUrl(QStringLiteral("https://docs.example.com/guide?page=2")),
            QStringLiteral("docs.example.com"), guide, QStringLiteral("Google Chrome"), std::nullopt, false },
        { "application", applicationSource(), std::nullopt, {}, {}, QStringLiteral("Text Editor"), editorID,
            false },
        { "blank name", blankName, std::nullopt, {}, {}, editorID, editorID, false },
        { "nameless", nameless, std::nullopt, {}, {}, QStringLiteral("未知 App"), std::nullopt, false },
        // An address that is no longer a valid web address is dropped.
        { "damaged address", damaged, std::nullopt, {}, guide, QStringLiteral("Google Chrome"), std::nullopt,
            false },
        { "no source", std::nullopt, std::nullopt, {}, {}, QStringLiteral("来源未知"), std::nullopt, true },
    };
    for (const Case &expected : cases) {
        SCOPED_TRACE(expected.name);
        const SourceSnapshot source = mapping::sourceSnapshot(trace(expected.source));
        EXPECT_EQ(source.url, expected.url);
        EXPECT_EQ(source.domain, expected.domain);
        EXPECT_EQ(source.title, expected.title);
        EXPECT_EQ(source.applicationName, expected.applicationName);
        EXPECT_EQ(source.bundleIdentifier, expected.bundleIdentifier);
        EXPECT_EQ(source.isUnknown, expected.isUnknown);
        EXPECT_EQ(source.capturedAt, expected.source ? capturedAt : pastedAt);
    }
}

TEST(LedgerRecordMappingTest, DestinationsCrossOverBothWaysAndAMissingNameFallsBackToTheIdentifier)
{
    PasteRecord paste = trace(std::nullopt).paste;
    DestinationSnapshot shown;
    shown.applicationName = QStringLiteral("Obsidian");
    shown.bundleIdentifier = QStringLiteral("md.obsidian");
    shown.windowTitle = QStringLiteral("Daily note");
    shown.accessibilityRole = QStringLiteral("text");
    shown.fieldLabel = QStringLiteral("Body");
    shown.pastedAt = pastedAt;
    EXPECT_EQ(mapping::destinationSnapshot(paste), shown);

    // Going back, the ledger gets the fields it judges a destination by.
    shown.isSecureTextEntry = true;
    DestinationContext judged = paste.destination;
    judged.documentID.reset();
    judged.isSecureTextEntry = true;
    EXPECT_EQ(mapping::destinationContext(shown), judged);

    paste.destination.appName.reset();
    EXPECT_EQ(mapping::destinationSnapshot(paste).applicationName, QStringLiteral("md.obsidian"));
    paste.destination.appBundleID = QStringLiteral(" ");
    paste.destination.appName = QStringLiteral("Scratch");
    EXPECT_EQ(mapping::destinationSnapshot(paste).bundleIdentifier, std::nullopt);

    shown.bundleIdentifier.reset();
    shown.applicationName = QStringLiteral(" ");
    const DestinationContext unnamed = mapping::destinationContext(shown);
    EXPECT_TRUE(unnamed.appBundleID.isEmpty());
    EXPECT_EQ(unnamed.appName, std::nullopt);
}

TEST(LedgerRecordMappingTest, ConfidencesAndRejectionsMapCaseByCase)
{
    EXPECT_EQ(mapping::traceConfidence(tovra::TraceConfidence::verified), TraceConfidence::verified);
    EXPECT_EQ(mapping::traceConfidence(tovra::TraceConfidence::observed), TraceConfidence::observed);
    EXPECT_EQ(mapping::traceConfidence(tovra::TraceConfidence::inferred), TraceConfidence::inferred);
    const std::vector<std::pair<RejectionReason, PasteExclusionReason>> table {
        { RejectionReason::paused, PasteExclusionReason::paused },
        { RejectionReason::incognito, PasteExclusionReason::invalidDestination },
        { RejectionReason::deniedDomain, PasteExclusionReason::deniedDomain },
        { RejectionReason::deniedApplication, PasteExclusionReason::deniedApplication },
        { RejectionReason::sensitiveField, PasteExclusionReason::sensitiveField },
        { RejectionReason::invalidURL, PasteExclusionReason::invalidDestination },
        { RejectionReason::emptyContent, PasteExclusionReason::emptyContent },
        { RejectionReason::contentTooLarge, PasteExclusionReason::contentTooLarge },
        { RejectionReason::malformedRequest, PasteExclusionReason::invalidDestination },
    };
    ASSERT_EQ(table.size(), enumCaseCount<RejectionReason>());
    for (const auto &[rejection, exclusion] : table)
        EXPECT_EQ(mapping::exclusionReason(rejection), exclusion) << enumName(rejection).toStdString();
    EXPECT_EQ(mapping::exclusionReason(std::optional<RejectionReason>()), std::nullopt);
}

TEST(LedgerRecordMappingTest, CommitResultsBecomePasteCommits)
{
    const TraceRecord committed = trace(applicationSource());
    const PasteCommit recorded = mapping::pasteCommit(PasteCommitResult::recorded(committed));
    ASSERT_EQ(recorded.outcome.kind(), PastePreparationOutcome::Kind::recorded);
    EXPECT_EQ(*recorded.outcome.record(), mapping::provenanceRecord(committed));
    EXPECT_EQ(mapping::pasteCommit(PasteCommitResult::excluded(RejectionReason::deniedDomain)).outcome,
        PastePreparationOutcome::excluded(PasteExclusionReason::deniedDomain));

    EXPECT_EQ(mapping::pasteCommit(PasteCommitResult::sourceUnmatched()).outcome,
        PastePreparationOutcome::sourceUnmatched());
}

TEST(LedgerRecordMappingTest, DenylistRulesAndApplicationsCrossOver)
{
    const DenylistRule rule { tovra::DenylistEntry {
                                  DenylistKind::bundleID, QStringLiteral("org.Example.Vault"), capturedAt },
        false };
    EXPECT_EQ(mapping::denylistEntry(rule),
        (DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("org.Example.Vault"), false }));
    EXPECT_EQ(mapping::denylistKind(DenylistEntryKind::domain), DenylistKind::domain);
    EXPECT_EQ(mapping::denylistKind(DenylistEntryKind::bundleID), DenylistKind::bundleID);

    const ApplicationSnapshot application { QStringLiteral("Files"), QStringLiteral("org.gnome.Nautilus"),
        99 };
    EXPECT_EQ(mapping::sourceApplication(application),
        (SourceApplication { QStringLiteral("Files"), QStringLiteral("org.gnome.Nautilus"), 99 }));
}

} // namespace
} // namespace tovra::app::testing
