#include "app/data/UnavailableTovraDataStore.h"
#include "AwaitTask.h"
#include "app/data/LocalStoreError.h"

#include <gtest/gtest.h>

#include <functional>

namespace tovra::app::testing {
namespace {

const QString openError
    = QStringLiteral("The ledger file could not be decrypted (wrong key or damaged file).");

DestinationSnapshot someDestination()
{
    DestinationSnapshot destination;
    destination.applicationName = QStringLiteral("Obsidian");
    destination.bundleIdentifier = QStringLiteral("md.obsidian");
    destination.pastedAt = QDateTime(QDate(2026, 1, 2), QTime(3, 4), Qt::UTC);
    return destination;
}

// Each failing operation, awaited to its end.
std::vector<std::pair<const char *, std::function<void(TovraAppDataProviding &)>>> failingOperations()
{
    const QUuid id = QUuid::createUuid();
    const ApplicationSnapshot application { QStringLiteral("Text Editor"),
        QStringLiteral("org.gnome.TextEditor"), 7 };
    return {
        { "captureApplicationSource",
            [=](auto &store) {
                awaitTask(store.captureApplicationSource(application, QStringLiteral("t"), true));
            } },
        { "captureApplicationImageSource",
            [=](auto &store) {
                awaitTask(store.captureApplicationImageSource(application, QByteArray("i"), false));
            } },
        { "resolveClipboardSource(text)",
            [=](auto &store) { awaitTask(store.resolveClipboardSource(QStringLiteral("t"))); } },
        { "resolveClipboardSource(id, text)",
            [=](auto &store) { awaitTask(store.resolveClipboardSource(id, QStringLiteral("t"))); } },
        { "resolveClipboardImageSource",
            [=](auto &store) { awaitTask(store.resolveClipboardImageSource(id, QByteArray("i"))); } },
        { "resolveCitationSource",
            [=](auto &store) {
                awaitTask(store.resolveCitationSource(QStringLiteral("t"), id, std::nullopt));
            } },
        { "removePendingSources", [=](auto &store) { awaitTask(store.removePendingSources({ id })); } },
        { "preflightTracePaste",
            [=](auto &store) { awaitTask(store.preflightTracePaste(someDestination())); } },
        { "commitTracePaste",
            [=](auto &store) {
                awaitTask(store.commitTracePaste(someDestination(), QStringLiteral("t"), id, std::nullopt));
            } },
        { "commitImageTracePaste",
            [=](auto &store) {
                awaitTask(store.commitImageTracePaste(someDestination(), QByteArray("i"), id, std::nullopt));
            } },
        { "observeStandardPaste",
            [=](auto &store) { awaitTask(store.observeStandardPaste(someDestination(), std::nullopt)); } },
        { "observeStandardImagePaste",
            [=](auto &store) {
                awaitTask(store.observeStandardImagePaste(someDestination(), QByteArray("i")));
            } },
        { "commitObsidianPaste",
            [=](auto &store) { awaitTask(store.commitObsidianPaste(id, id, someDestination().pastedAt)); } },
        { "listRecords", [](auto &store) { awaitTask(store.listRecords()); } },
        { "deleteRecord", [=](auto &store) { awaitTask(store.deleteRecord(id)); } },
        { "clearRecords", [](auto &store) { awaitTask(store.clearRecords()); } },
        { "currentPausedStatus", [](auto &store) { awaitTask(store.currentPausedStatus()); } },
        { "setPaused", [](auto &store) { awaitTask(store.setPaused(true)); } },
        { "listDenylistEntries", [](auto &store) { awaitTask(store.listDenylistEntries()); } },
        { "addDenylistEntry",
            [](auto &store) {
                awaitTask(store.addDenylistEntry(DenylistEntryKind::domain, QStringLiteral("example.com")));
            } },
        { "removeDenylistEntry",
            [](auto &store) {
                awaitTask(store.removeDenylistEntry(
                    DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("org.example"), false }));
            } },
    };
}

TEST(UnavailableTovraDataStoreTest, EveryOperationFailsWhenAwaitedSayingTheLedgerCannotBeOpenedAndWhy)
{
    UnavailableTovraDataStore store(openError);
    const auto operations = failingOperations();
    EXPECT_EQ(operations.size(), 21u);
    for (const auto &[name, operation] : operations) {
        SCOPED_TRACE(name);
        try {
            operation(store);
            ADD_FAILURE() << "did not fail";
        } catch (const LocalStoreError &error) {
            EXPECT_EQ(error.kind(), LocalStoreError::Kind::ledgerUnavailable);
            EXPECT_EQ(error.localizedDescription(), QStringLiteral("无法打开本地加密账本：") + openError);
        }
    }
    std::optional<QCoro::Task<QList<ProvenanceRecord>>> task;
    ASSERT_NO_THROW(task.emplace(store.listRecords()));
    EXPECT_THROW(awaitTask(std::move(*task)), LocalStoreError);
    EXPECT_EQ(awaitTask(store.nativeHostStatus()), NativeHostStatus::disconnected);
}

TEST(UnavailableTovraDataStoreTest, WithoutADescriptionItStillSaysTheLedgerCannotBeOpened)
{
    UnavailableTovraDataStore store(QStringLiteral("  "));
    try {
        awaitTask(store.listRecords());
        FAIL() << "did not fail";
    } catch (const LocalStoreError &error) {
        EXPECT_EQ(error.localizedDescription(), QStringLiteral("无法打开本地加密账本。"));
    }
}

} // namespace
} // namespace tovra::app::testing
