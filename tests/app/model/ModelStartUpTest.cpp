#include "ModelTestSupport.h"
#include "app/model/UserDefaultsKeys.h"

#include <gtest/gtest.h>

#include <functional>

namespace tovra::app::testing {
namespace {

// The installer's ID wins over the stored one; names count only when exact.
TEST(ModelStartUpTest, ReadsTheUserSettingsAtConstruction)
{
    using enum CitationFormat;
    using enum CitationLinkMode;
    const QString installed(32, QLatin1Char('a'));
    const QString stored(32, QLatin1Char('b'));
    const std::tuple<QVariant, QVariant, QVariant, std::optional<QString>, CitationFormat, CitationLinkMode,
        QString>
        cases[] = {
            { {}, {}, {}, std::nullopt, inline_, webWhenAvailable, QString() },
            { QStringLiteral("footnote"), QStringLiteral("localOnly"), stored, std::nullopt, footnote,
                localOnly, stored },
            { QStringLiteral("Footnote"), QStringLiteral("LocalOnly"), stored, installed, inline_,
                webWhenAvailable, installed },
            { QStringLiteral("bold"), QStringLiteral("local"), {}, std::nullopt, inline_, webWhenAvailable,
                QString() },
        };
    for (const auto &[format, linkMode, storedID, installedID, expectedFormat, expectedLinkMode, expectedID] :
        cases) {
        SCOPED_TRACE(format.toString().toStdString());
        ModelHarness h;
        for (const auto &[key, value] : { std::pair(userDefaultsKeys::citationFormat, format),
                 std::pair(userDefaultsKeys::citationLinkMode, linkMode),
                 std::pair(userDefaultsKeys::nativeHostExtensionID, storedID) }) {
            if (value.isValid())
                h.settings->setValue(key, value);
        }
        h.installer->installedID = installedID;
        const auto &state = h.model().state();
        EXPECT_EQ(std::tuple(state.citationFormat, state.citationLinkMode, state.nativeHostExtensionID),
            std::tuple(expectedFormat, expectedLinkMode, expectedID));
    }
}

// Links that came before start-up are handled once it is done, in order.
TEST(ModelStartUpTest, StartsOnceWhileConcurrentCallsReturnAtOnce)
{
    ModelHarness h;
    const QUrl unsupported(QStringLiteral("tovra://open/settings"));
    const QUrl unknownTrace(
        QStringLiteral("tovra://trace/") + QUuid::createUuid().toString(QUuid::WithoutBraces));
    h.mailbox.deliver(unsupported);
    h.mailbox.deliver(unknownTrace);
    h.provider->hold(op::listRecords);

    auto first = h.model().start();
    EXPECT_TRUE(h.model().start().isReady());
    EXPECT_TRUE(h.model().reload().isReady());
    EXPECT_TRUE(h.model().state().isLoading);
    EXPECT_TRUE(h.traceDetails.shown.isEmpty());
    h.provider->releaseAll();
    h.finish(std::move(first));
    h.finish(h.model().start());

    // One load for start-up, one for the trace link that asked.
    EXPECT_EQ(h.provider->callCount(op::listDenylistEntries), 1);
    EXPECT_EQ(h.provider->callCount(op::listRecords), 2);
    EXPECT_EQ(h.desktop.hotKeys().registrations().size(), 1);
    EXPECT_TRUE(h.model().hasLoadedPersistentState());
    EXPECT_EQ(h.traceDetails.shown,
        (QList { TraceDetailContent::notFound(QStringLiteral("不支持的Tovra链接。")),
            TraceDetailContent::notFound(QStringLiteral("这条本机记录已删除、过期或不可用。")) }));
}

TEST(ModelStartUpTest, AFailedRequestKeepsWhatCameBeforeItAndItsRetryReloads)
{
    const ProvenanceRecord record = sampleRecord(QStringLiteral("Notes"), SimulatedClock::defaultStart());
    const DenylistEntry entry { DenylistEntryKind::domain, QStringLiteral("bank.example"), false };
    const auto storedState = [&](ScriptedDataProvider &provider) {
        provider.willReturn(op::listRecords, { record });
        provider.willReturn(op::listDenylistEntries, { entry });
        provider.willReturn(op::nativeHostStatus, NativeHostStatus::connected);
        provider.willReturn(op::currentPausedStatus, true);
    };
    const QString error = QStringLiteral("账本文件无法解密");
    struct Case {
        const char *failing;
        std::function<void(ScriptedDataProvider &)> fail;
        int taken;
        // A load that succeeded before the failing one.
        bool loadedBefore = false;
    };
    const Case cases[] = {
        { "records", [&](auto &p) { p.willFail(op::listRecords, error); }, 0 },
        { "denylist", [&](auto &p) { p.willFail(op::listDenylistEntries, error); }, 1 },
        { "host status", [&](auto &p) { p.willFail(op::nativeHostStatus, error); }, 2 },
        { "paused flag", [&](auto &p) { p.willFail(op::currentPausedStatus, error); }, 3 },
        { "records after a load that worked", [&](auto &p) { p.willFail(op::listRecords, error); }, 0, true },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.failing);
        ModelHarness h;
        if (c.loadedBefore) {
            storedState(*h.provider);
            h.finish(h.model().reload());
            ASSERT_TRUE(h.model().hasLoadedPersistentState());
        }
        c.fail(*h.provider);
        storedState(*h.provider);
        storedState(*h.provider);
        h.finish(h.model().reload());

        // What the earlier load brought stays where this one did not get to it.
        const auto &state = h.model().state();
        EXPECT_EQ(
            state.records, c.loadedBefore || c.taken > 0 ? QList { record } : QList<ProvenanceRecord> {});
        EXPECT_EQ(
            state.denylistEntries, c.loadedBefore || c.taken > 1 ? QList { entry } : QList<DenylistEntry> {});
        // Whatever was read before, a ledger that failed a read is not shown as usable.
        EXPECT_EQ(state.nativeHostStatus, NativeHostStatus::disconnected);
        EXPECT_EQ(state.isPaused, c.loadedBefore);
        EXPECT_FALSE(state.isLoading);
        EXPECT_FALSE(h.model().hasLoadedPersistentState());
        EXPECT_EQ(shownFailure(state.feedback),
            std::tuple(QStringLiteral("无法读取本地记录"), error, AppFeedbackScope::data,
                AppRecoveryAction::reloadData()));

        h.model().recover(*state.feedback.failure);
        h.settle();
        EXPECT_EQ(h.provider->callCount(op::listRecords), c.loadedBefore ? 3 : 2);
        EXPECT_TRUE(h.model().hasLoadedPersistentState());
        EXPECT_EQ(state.feedback, AppFeedbackState {});
        EXPECT_EQ(state.records, QList { record });
        EXPECT_TRUE(state.isPaused);
        EXPECT_EQ(state.nativeHostStatus, NativeHostStatus::connected);
    }
}

} // namespace
} // namespace tovra::app::testing
