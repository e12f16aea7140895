#include "AwaitTask.h"
#include "DataStoreTestSupport.h"
#include "app/data/LedgerRecordMapping.h"
#include "app/data/LocalStoreError.h"
#include "core/ledger/DenylistRules.h"
#include "core/ledger/TovraLedgerError.h"

#include <QCoreApplication>
#include <QThread>

namespace tovra::app::testing {
namespace {

using namespace std::chrono_literals;

using CoreDataStoreTest = CoreDataStoreFixture;

TEST_F(CoreDataStoreTest, CapturesApplicationContentWithTheMethodOfItsObservationAndResolvesIt)
{
    const QDateTime capturedAt = m_clock->now();
    const auto inferred
        = awaitTask(m_store->captureApplicationSource(textEditor(), QStringLiteral("alpha"), true));
    ASSERT_TRUE(inferred.has_value());
    EXPECT_EQ(inferred->captureMethod, CaptureMethod::pasteboardInference);
    EXPECT_EQ(inferred->sourceProcessIdentifier, 4242);
    EXPECT_EQ(inferred->capturedAt, capturedAt);
    m_clock->advance(10s);
    const auto observed
        = awaitTask(m_store->captureApplicationSource(textEditor(), QStringLiteral("beta"), false));
    EXPECT_EQ(observed->captureMethod, CaptureMethod::keyboardObservation);
    EXPECT_EQ(observed->capturedAt, capturedAt.addSecs(10));

    EXPECT_EQ(awaitTask(m_store->resolveClipboardSource(QStringLiteral("alpha")))->id, inferred->id);
    EXPECT_EQ(
        awaitTask(m_store->resolveClipboardSource(inferred->id, QStringLiteral("alpha")))->id, inferred->id);
    EXPECT_FALSE(
        awaitTask(m_store->resolveClipboardSource(inferred->id, QStringLiteral("beta"))).has_value());

    const QByteArray image(64, '\x07');
    const auto picture = awaitTask(m_store->captureApplicationImageSource(textEditor(), image, false));
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->captureMethod, CaptureMethod::keyboardObservation);
    EXPECT_EQ(awaitTask(m_store->resolveClipboardImageSource(picture->id, image))->id, picture->id);
    EXPECT_FALSE(awaitTask(m_store->resolveClipboardImageSource(picture->id, image + "x")).has_value());

    awaitTask(m_store->removePendingSources({ inferred->id }));
    EXPECT_FALSE(
        awaitTask(m_store->resolveClipboardSource(inferred->id, QStringLiteral("alpha"))).has_value());
    EXPECT_TRUE(awaitTask(m_store->resolveClipboardSource(observed->id, QStringLiteral("beta"))).has_value());

    ApplicationSnapshot anonymous = textEditor();
    anonymous.bundleIdentifier.clear();
    EXPECT_FALSE(
        awaitTask(m_store->captureApplicationSource(anonymous, QStringLiteral("alpha"), true)).has_value());
}

TEST_F(CoreDataStoreTest, ResolvesTheCitationSourceOfABrowserCapture)
{
    const SourceCaptureResult capture
        = m_ledger->captureSource(browserCapture(QStringLiteral("quote")), m_clock->now());
    ASSERT_NE(capture.storedSource(), nullptr);
    const QUuid traceID = QUuid::createUuid();
    const auto citation
        = awaitTask(m_store->resolveCitationSource(QStringLiteral("quote"), traceID, std::nullopt));
    ASSERT_TRUE(citation.has_value());
    EXPECT_EQ(citation->traceID, traceID);
    EXPECT_EQ(citation->sourceID, capture.storedSource()->id);
}

TEST_F(CoreDataStoreTest, CommitsPastesAsRecordsOfTheAppListsAndDeletesThem)
{
    const QDateTime capturedAt = m_clock->now();
    ASSERT_NE(
        m_ledger->captureSource(browserCapture(QStringLiteral("quote")), capturedAt).storedSource(), nullptr);
    m_clock->advance(30s);
    const QDateTime pastedAt = m_clock->now();
    const QUuid traceID = QUuid::createUuid();

    const PasteCommit commit = awaitTask(m_store->commitTracePaste(
        obsidianDestination(pastedAt), QStringLiteral("quote"), traceID, std::nullopt));
    ASSERT_EQ(commit.outcome.kind(), PastePreparationOutcome::Kind::recorded);
    const ProvenanceRecord record = *commit.outcome.record();
    EXPECT_EQ(record.id, traceID);
    EXPECT_EQ(record.confidence, TraceConfidence::observed);
    EXPECT_EQ(record.source.url, QUrl(QStringLiteral("https://news.example.org/article?id=7")));
    EXPECT_EQ(record.source.capturedAt, capturedAt);
    EXPECT_EQ(record.destination, obsidianDestination(pastedAt));

    const PasteCommit unknown = awaitTask(
        m_store->observeStandardPaste(obsidianDestination(pastedAt), QStringLiteral("unknown text")));
    ASSERT_EQ(unknown.outcome.kind(), PastePreparationOutcome::Kind::recorded);
    EXPECT_EQ(unknown.outcome.record()->confidence, TraceConfidence::inferred);
    EXPECT_TRUE(unknown.outcome.record()->source.isUnknown);

    const QByteArray image(512, '\x11');
    const auto source = awaitTask(m_store->captureApplicationImageSource(textEditor(), image, true));
    const PasteCommit pictured = awaitTask(
        m_store->commitImageTracePaste(obsidianDestination(pastedAt), image, std::nullopt, source->id));
    ASSERT_EQ(pictured.outcome.kind(), PastePreparationOutcome::Kind::recorded);
    EXPECT_EQ(pictured.outcome.record()->source.bundleIdentifier, QStringLiteral("org.gnome.TextEditor"));
    EXPECT_EQ(
        awaitTask(m_store->observeStandardImagePaste(obsidianDestination(pastedAt), image)).outcome.kind(),
        PastePreparationOutcome::Kind::recorded);

    QList<ProvenanceRecord> records = awaitTask(m_store->listRecords());
    ASSERT_EQ(records.size(), 4);
    EXPECT_TRUE(records.contains(record));
    awaitTask(m_store->deleteRecord(record.id));
    records = awaitTask(m_store->listRecords());
    EXPECT_EQ(records.size(), 3);
    EXPECT_FALSE(records.contains(record));
    awaitTask(m_store->clearRecords());
    EXPECT_TRUE(awaitTask(m_store->listRecords()).isEmpty());
}

TEST_F(CoreDataStoreTest, PastesThatCannotBeRecordedReportWhy)
{
    const DestinationSnapshot destination = obsidianDestination(m_clock->now());
    EXPECT_EQ(awaitTask(m_store->commitTracePaste(
                            destination, QStringLiteral("never copied"), std::nullopt, std::nullopt))
                  .outcome.kind(),
        PastePreparationOutcome::Kind::sourceUnmatched);
    DestinationSnapshot secret = destination;
    secret.isSecureTextEntry = true;
    EXPECT_EQ(awaitTask(m_store->preflightTracePaste(secret)), PasteExclusionReason::sensitiveField);
    DestinationSnapshot anonymous = destination;
    anonymous.bundleIdentifier.reset();
    EXPECT_EQ(awaitTask(m_store->preflightTracePaste(anonymous)), PasteExclusionReason::invalidDestination);
    EXPECT_EQ(awaitTask(m_store->preflightTracePaste(destination)), std::nullopt);

    awaitTask(m_store->setPaused(true));
    EXPECT_TRUE(awaitTask(m_store->currentPausedStatus()));
    EXPECT_EQ(
        awaitTask(m_store->commitTracePaste(destination, QStringLiteral("x"), std::nullopt, std::nullopt))
            .outcome.exclusionReason(),
        PasteExclusionReason::paused);
    EXPECT_FALSE(awaitTask(m_store->captureApplicationSource(textEditor(), QStringLiteral("alpha"), true))
                     .has_value());
    awaitTask(m_store->setPaused(false));
    EXPECT_FALSE(awaitTask(m_store->currentPausedStatus()));
}

TEST_F(CoreDataStoreTest, DenylistEntriesAreAddedNormalisedAndRemovedButBuiltInsStay)
{
    const QList<DenylistEntry> initial = awaitTask(m_store->listDenylistEntries());
    ASSERT_EQ(initial.size(), DenylistRules::defaults().size());
    EXPECT_TRUE(std::all_of(
        initial.cbegin(), initial.cend(), [](const DenylistEntry &entry) { return entry.isDefault; }));

    const DenylistEntry added = awaitTask(
        m_store->addDenylistEntry(DenylistEntryKind::domain, QStringLiteral("https://WWW.Example.COM/path")));
    EXPECT_EQ(added, (DenylistEntry { DenylistEntryKind::domain, QStringLiteral("www.example.com"), false }));
    EXPECT_TRUE(awaitTask(m_store->listDenylistEntries()).contains(added));
    awaitTask(m_store->removeDenylistEntry(added));

    const DenylistEntry &builtIn = initial.front();
    const DenylistEntry again = awaitTask(m_store->addDenylistEntry(builtIn.kind, builtIn.pattern.toUpper()));
    EXPECT_TRUE(again.isDefault);
    EXPECT_EQ(again.id(), builtIn.id());
    EXPECT_NO_THROW(awaitTask(m_store->removeDenylistEntry(builtIn)));
    EXPECT_EQ(awaitTask(m_store->listDenylistEntries()), initial);
}

TEST_F(CoreDataStoreTest, ALedgerErrorReachesTheAwaitingThreadWithItsOwnDescription)
{
    QString expected;
    try {
        DenylistRules::normalizedValue(DenylistKind::domain, QStringLiteral("not a domain!"));
    } catch (const TovraLedgerError &error) {
        expected = error.localizedDescription();
    }
    ASSERT_FALSE(expected.isEmpty());

    QThread *resumedOn = nullptr;
    std::optional<TovraLedgerError::Kind> kind;
    QString description;
    auto attempt = [&]() -> QCoro::Task<void> {
        try {
            co_await m_store->addDenylistEntry(DenylistEntryKind::domain, QStringLiteral("not a domain!"));
        } catch (const TovraLedgerError &error) {
            kind = error.kind();
            description = error.localizedDescription();
        }
        resumedOn = QThread::currentThread();
    };
    awaitTask(attempt());
    EXPECT_EQ(kind, TovraLedgerError::Kind::invalidDenylistValue);
    EXPECT_EQ(description, expected);
    EXPECT_EQ(resumedOn, QCoreApplication::instance()->thread());
}

TEST_F(CoreDataStoreTest, ObsidianCommitsFailClearlyAndRecordNothing)
{
    const auto source
        = awaitTask(m_store->captureApplicationSource(textEditor(), QStringLiteral("alpha"), true));
    ASSERT_TRUE(source.has_value());
    try {
        awaitTask(m_store->commitObsidianPaste(source->id, QUuid::createUuid(), m_clock->now()));
        FAIL() << "an Obsidian commit must not succeed";
    } catch (const LocalStoreError &error) {
        EXPECT_EQ(error.kind(), LocalStoreError::Kind::obsidianCommitUnsupported);
    }
    EXPECT_TRUE(awaitTask(m_store->listRecords()).isEmpty());
    EXPECT_EQ(awaitTask(m_store->nativeHostStatus()), NativeHostStatus::unknown);
}

// Enough records for the mapping to be split between threads: every record
// still comes back once, in the ledger's order, mapped as it would be alone.
TEST_F(CoreDataStoreTest, AManyRecordsListComesBackWholeInOrderAndMappedAsEachAlone)
{
    constexpr int count = 4321;
    QList<TraceRecord> stored;
    for (int index = 0; index < count; ++index) {
        TraceRecord trace;
        trace.id = QUuid::createUuid();
        trace.paste.id = QUuid::createUuid();
        trace.paste.pastedAt = m_clock->now().addSecs(index);
        trace.paste.destination.appBundleID = QStringLiteral("md.obsidian");
        if (index % 3 != 0) {
            PendingSource source;
            source.id = QUuid::createUuid();
            source.captureMethod = CaptureMethod::chromeExtension;
            source.sanitizedURL
                = QStringLiteral("https://site%1.example.org/page?id=%2").arg(index % 17).arg(index);
            source.pageTitle = QStringLiteral("Page %1").arg(index);
            source.capturedAt = trace.paste.pastedAt.addSecs(-5);
            trace.source = source;
        }
        stored.append(trace);
    }
    {
        const std::lock_guard lock(m_state->mutex);
        m_state->snapshot.traceRecords = stored;
    }

    const QList<ProvenanceRecord> records = awaitTask(m_store->listRecords());
    ASSERT_EQ(records.size(), count);
    for (int index = 0; index < count; ++index) {
        // Newest paste first.
        const TraceRecord &trace = stored.at(count - 1 - index);
        ASSERT_EQ(records.at(index), mapping::provenanceRecord(trace)) << "record " << index;
    }
    EXPECT_EQ(records.at(count - 2).source.domain, QStringLiteral("site1.example.org"));
}

} // namespace
} // namespace tovra::app::testing
