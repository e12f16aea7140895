#include "core/ledger/TovraLedger.h"

#include "LedgerTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::at;
using tovra::testing::browserCapture;
using tovra::testing::obsidianNote;
using tovra::testing::textEditor;

namespace {

class TovraLedgerPastesTest : public tovra::testing::LedgerFixture {
protected:
    void SetUp() override { ledger = openLedger(); }

    PendingSource captureFromBrowser(const QString &text, qint64 seconds)
    {
        return *ledger->captureSource(browserCapture(text), at(seconds)).storedSource();
    }

    std::unique_ptr<TovraLedger> ledger;
};

const QString copiedText = QStringLiteral("A paragraph worth citing.");

DestinationContext destination(const QString &bundleID)
{
    DestinationContext context = obsidianNote();
    context.appBundleID = bundleID;
    return context;
}

} // namespace

TEST_F(TovraLedgerPastesTest, PreflightAndCommitRejectPausedDeniedSecretAndInvalidTargets)
{
    ledger->addDenylistEntry(DenylistKind::domain, QStringLiteral("intranet.example"), at(0));
    DestinationContext secret = obsidianNote();
    secret.isSecureTextEntry = true;
    DestinationContext web = destination(QStringLiteral("org.mozilla.firefox"));
    web.url = QStringLiteral("https://wiki.intranet.example/page");
    const std::pair<DestinationContext, std::optional<RejectionReason>> cases[] = {
        { obsidianNote(), std::nullopt },
        { destination(QString()), RejectionReason::malformedRequest },
        { destination(QStringLiteral("org.gnome.Shell")), RejectionReason::malformedRequest },
        { destination(QStringLiteral("com.googlecode.iterm2")), RejectionReason::deniedApplication },
        { secret, RejectionReason::sensitiveField },
        { web, RejectionReason::deniedDomain },
    };
    for (const auto &[target, reason] : cases)
        EXPECT_EQ(ledger->preflightTracePaste(target), reason) << target.appBundleID.toStdString();

    captureFromBrowser(copiedText, 0);
    const auto outcome = [&](const DestinationContext &target, const std::optional<QString> &text,
                             qint64 time) { return ledger->commitTracePaste(target, text, at(time)); };
    EXPECT_EQ(outcome(obsidianNote(), QStringLiteral("never captured"), 1).kind(),
        PasteCommitResult::Kind::sourceUnmatched);
    EXPECT_EQ(outcome(obsidianNote(), copiedText, TovraLedger::pendingSourceLifetimeSeconds + 1).kind(),
        PasteCommitResult::Kind::sourceUnmatched);
    EXPECT_EQ(
        outcome(obsidianNote(), QStringLiteral("  "), 1).exclusionReason(), RejectionReason::emptyContent);
    EXPECT_EQ(outcome(obsidianNote(), QString(262'145, QLatin1Char('z')), 1).exclusionReason(),
        RejectionReason::contentTooLarge);
    EXPECT_EQ(outcome(destination(QStringLiteral("kitty")), copiedText, 1).exclusionReason(),
        RejectionReason::deniedApplication);
    ledger->setPaused(true, at(2));
    EXPECT_EQ(ledger->preflightTracePaste(obsidianNote()), RejectionReason::paused);
    EXPECT_EQ(outcome(obsidianNote(), copiedText, 3).exclusionReason(), RejectionReason::paused);
    EXPECT_TRUE(ledger->listRecords().isEmpty());
}

TEST_F(TovraLedgerPastesTest, DedicatedPasteBindsToTheMatchingSourceAndTheSameTraceIdReplacesIt)
{
    const PendingSource source = captureFromBrowser(copiedText, 0);
    const QUuid traceID = QUuid::createUuid();
    const PasteCommitResult result = ledger->commitTracePaste(obsidianNote(), copiedText, at(20), traceID);
    ASSERT_EQ(result.kind(), PasteCommitResult::Kind::recorded);
    const TraceRecord &trace = *result.trace();
    EXPECT_EQ(trace.id, traceID);
    EXPECT_EQ(trace.source, source);
    EXPECT_EQ(trace.confidence, TraceConfidence::observed);
    EXPECT_EQ(trace.receiptStatus, PasteReceiptStatus::posted);
    EXPECT_EQ(trace.paste.contentFingerprint, source.contentFingerprint);
    EXPECT_EQ(trace.paste.byteCount, copiedText.toUtf8().size());
    EXPECT_EQ(openLedger()->listRecords(), QList<TraceRecord> { trace });

    DestinationContext moved = obsidianNote();
    moved.windowTitle = QStringLiteral("Another note");
    ledger->commitTracePaste(moved, copiedText, at(21), traceID);
    const QList<TraceRecord> records = ledger->listRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records.first().paste.destination.windowTitle, QStringLiteral("Another note"));
}

TEST_F(TovraLedgerPastesTest, HistoryPastePrefersTheItemsOwnSourceAndSourcesAreNotConsumed)
{
    const auto application = *ledger->captureApplicationSource(
        textEditor(), copiedText, CaptureMethod::pasteboardInference, at(0));
    const PendingSource browser = captureFromBrowser(copiedText, 5);

    const auto preferred
        = ledger->commitTracePaste(obsidianNote(), copiedText, at(10), std::nullopt, application.id);
    ASSERT_EQ(preferred.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(preferred.trace()->source->id, application.id);
    const auto again = ledger->commitTracePaste(obsidianNote(), copiedText, at(11));
    ASSERT_EQ(again.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(again.trace()->source->id, browser.id);
    EXPECT_NE(again.trace()->id, preferred.trace()->id);
    EXPECT_EQ(ledger->status(at(12)).pendingSourceCount, 2);

    const QByteArray image(2048, '\x42');
    const auto picture = *ledger->captureApplicationImageSource(
        textEditor(), image, CaptureMethod::pasteboardInference, at(12));
    const auto pasted
        = ledger->commitImageTracePaste(obsidianNote(), image, at(13), std::nullopt, picture.id);
    ASSERT_EQ(pasted.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_TRUE(pasted.trace()->paste.isImage);
    EXPECT_EQ(pasted.trace()->source->id, picture.id);
    EXPECT_EQ(ledger->commitImageTracePaste(obsidianNote(), QByteArray(2048, '\x43'), at(14)).kind(),
        PasteCommitResult::Kind::sourceUnmatched);
}

TEST_F(TovraLedgerPastesTest, ObservedPastesAreInferredAndKeptEvenWithoutAKnownSource)
{
    const PendingSource source = captureFromBrowser(copiedText, 0);
    DestinationContext reduced;
    reduced.appBundleID = QStringLiteral("org.gnome.TextEditor");

    const auto matched = ledger->observeStandardPaste(reduced, copiedText, at(5));
    ASSERT_EQ(matched.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(matched.trace()->confidence, TraceConfidence::inferred);
    EXPECT_EQ(matched.trace()->receiptStatus, PasteReceiptStatus::observed);
    EXPECT_EQ(matched.trace()->source, source);

    const auto empty = ledger->observeStandardPaste(reduced, std::nullopt, at(7));
    ASSERT_EQ(empty.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(empty.trace()->source, std::nullopt);
    EXPECT_EQ(empty.trace()->paste.contentFingerprint, std::nullopt);

    const auto oversized = ledger->observeStandardImagePaste(reduced, QByteArray(20'971'521, 'i'), at(8));
    ASSERT_EQ(oversized.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(oversized.trace()->paste.contentFingerprint, std::nullopt);

    reduced.appBundleID = QStringLiteral("org.keepassxc.KeePassXC");
    EXPECT_EQ(ledger->observeStandardPaste(reduced, copiedText, at(9)).exclusionReason(),
        RejectionReason::deniedApplication);
    EXPECT_EQ(ledger->listRecords().size(), 3);
}

TEST_F(TovraLedgerPastesTest, ObsidianPasteIsVerifiedForTheNamedUnexpiredSource)
{
    const PendingSource source = captureFromBrowser(copiedText, 0);
    const auto result = ledger->commitObsidianPaste(source.id, obsidianNote(), at(30));
    ASSERT_EQ(result.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(result.trace()->confidence, TraceConfidence::verified);
    EXPECT_EQ(result.trace()->receiptStatus, PasteReceiptStatus::confirmed);

    EXPECT_EQ(ledger->commitObsidianPaste(QUuid::createUuid(), obsidianNote(), at(31)).kind(),
        PasteCommitResult::Kind::sourceUnmatched);
    EXPECT_EQ(ledger
                  ->commitObsidianPaste(
                      source.id, obsidianNote(), at(TovraLedger::pendingSourceLifetimeSeconds + 1))
                  .kind(),
        PasteCommitResult::Kind::sourceUnmatched);
}

TEST_F(TovraLedgerPastesTest, DestinationMetadataIsBoundedAndOnlySanitisedAddressesAreKept)
{
    captureFromBrowser(copiedText, 0);
    DestinationContext noisy = obsidianNote();
    noisy.windowTitle = QString(2000, QChar(0x6587)); // three UTF-8 bytes each
    noisy.url = QStringLiteral("https://docs.example/page?session=1&utm_medium=x#frag");
    const auto kept = ledger->commitTracePaste(noisy, copiedText, at(1));
    ASSERT_EQ(kept.kind(), PasteCommitResult::Kind::recorded);
    EXPECT_EQ(kept.trace()->paste.destination.windowTitle->size(), TovraLedger::maximumTitleBytes / 3);
    EXPECT_EQ(kept.trace()->paste.destination.url, QStringLiteral("https://docs.example/page?session=1"));

    noisy.url = QStringLiteral("file:///home/user/private.txt");
    EXPECT_EQ(
        ledger->commitTracePaste(noisy, copiedText, at(2)).trace()->paste.destination.url, std::nullopt);
}

TEST_F(TovraLedgerPastesTest, RecordsAreListedNewestFirstFilteredDeletedAndCleared)
{
    for (int index = 0; index < 4; ++index) {
        const QString text = QStringLiteral("text %1").arg(index);
        captureFromBrowser(text, index);
        ledger->commitTracePaste(obsidianNote(), text, at(100 - index * 10));
    }
    DestinationContext editor;
    editor.appBundleID = QStringLiteral("org.gnome.TextEditor");
    editor.appName = QStringLiteral("Text Editor");
    ledger->observeStandardPaste(editor, std::nullopt, at(95));

    const QList<TraceRecord> all = ledger->listRecords();
    QList<QDateTime> times;
    for (const TraceRecord &trace : all)
        times.append(trace.paste.pastedAt);
    EXPECT_EQ(times, (QList<QDateTime> { at(100), at(95), at(90), at(80), at(70) }));

    TraceFilter inferredOnly;
    inferredOnly.confidence = TraceConfidence::inferred;
    EXPECT_EQ(ledger->listRecords(inferredOnly).size(), 1);
    TraceFilter recent;
    recent.since = at(90);
    recent.limit = 2;
    const QList<TraceRecord> limited = ledger->listRecords(recent);
    ASSERT_EQ(limited.size(), 2);
    EXPECT_EQ(limited[1].paste.pastedAt, at(95));
    TraceFilter query;
    query.query = QStringLiteral("text editor");
    EXPECT_EQ(ledger->listRecords(query).size(), 1);

    EXPECT_TRUE(ledger->deleteRecord(all.first().id, at(200)));
    EXPECT_FALSE(ledger->deleteRecord(all.first().id, at(201)));
    EXPECT_EQ(openLedger()->listRecords().size(), 4);
    ledger->clearRecords(at(202));
    EXPECT_TRUE(openLedger()->listRecords().isEmpty());
    EXPECT_EQ(ledger->status(at(203)).pendingSourceCount, 4);
}

TEST_F(TovraLedgerPastesTest, PastesOfTheSameInstantAreListedLatestCommitFirst)
{
    QList<QUuid> committed;
    for (const int second : { 50, 60, 50, 40, 50 }) {
        const QString text = QStringLiteral("text %1").arg(committed.size());
        captureFromBrowser(text, 0);
        committed.append(ledger->commitTracePaste(obsidianNote(), text, at(second)).trace()->id);
    }
    const QList<QUuid> expected { committed[1], committed[4], committed[2], committed[0], committed[3] };

    const QList<TraceRecord> listed = ledger->listRecords();
    const TraceRecordListing listing = ledger->recordListing();
    ASSERT_EQ(listing.size(), expected.size());
    for (qsizetype position = 0; position < expected.size(); ++position) {
        EXPECT_EQ(listed.at(position).id, expected.at(position)) << position;
        EXPECT_EQ(listing.at(position), listed.at(position)) << position;
    }
}

TEST_F(TovraLedgerPastesTest, PausedFlagAndStatusAreSharedThroughTheFile)
{
    auto other = openLedger();
    ledger->setPaused(true, at(0));
    EXPECT_TRUE(other->isPaused());
    EXPECT_EQ(other->status(at(2)), (TovraStatus { true, 0, LedgerSnapshot::currentVersion }));
    ledger->setPaused(false, at(3));
    captureFromBrowser(copiedText, 4);
    EXPECT_EQ(other->status(at(5)), (TovraStatus { false, 1, LedgerSnapshot::currentVersion }));
}
