#include "DesktopScene.h"

namespace tovra::app::testing {
namespace {

// Two copies in the history; the first was seen twice by the ledger (the
// copy itself, then the browser's capture), so it has two pending sources.
struct TwoCopies : DesktopScene {
    TwoCopies()
    {
        provider->willReturn(op::resolveClipboardSource, quoteFromBrowser);
        quote = copyIntoHistory(browser, QStringLiteral("a quote"), quoteFromApplication);
        desktop.advance(1s);
        copyIntoHistory(editor, QStringLiteral("a line"), line);
    }

    const PendingSource quoteFromApplication = pendingSource(QStringLiteral("quote"));
    const PendingSource quoteFromBrowser
        = pendingSource(QStringLiteral("quote"), CaptureMethod::chromeExtension);
    const PendingSource line = pendingSource(QStringLiteral("line"));
    QUuid quote;
};

TEST(ModelSessionHistoryTest, DeletingAndClearingRemoveEveryPendingSourceOfTheRemovedItems)
{
    const struct {
        const char *name;
        bool clear;
        bool cleanupFails;
        QString title;
        QString notice;
    } cases[] = {
        { "delete", false, false, {}, QStringLiteral("已从本次会话的复制历史中删除。") },
        { "delete, clean-up fails", false, true, QStringLiteral("历史已删除，来源元数据清理失败"), {} },
        { "clear", true, false, {}, QStringLiteral("本次会话的复制历史已清空；既有流向记录未删除。") },
        { "clear, clean-up fails", true, true, QStringLiteral("历史已清空，来源元数据清理失败"), {} },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TwoCopies s;
        ASSERT_EQ(s.state().clipboardItems.size(), 2);
        if (c.cleanupFails)
            s.provider->willFail(op::removePendingSources, QStringLiteral("账本无法写入"));
        QSet<QUuid> removed { s.quoteFromApplication.id, s.quoteFromBrowser.id };
        if (c.clear) {
            removed.insert(s.line.id);
            s.model().clearClipboardHistory();
        } else {
            s.model().deleteClipboardItem(s.quote);
        }
        s.settle();

        ASSERT_EQ(s.provider->callCount(op::removePendingSources), 1);
        EXPECT_EQ(s.provider->calls(op::removePendingSources).at(0).argument<QSet<QUuid>>(0), removed);
        EXPECT_EQ(s.state().clipboardItems.size(), c.clear ? 0 : 1);
        EXPECT_EQ(s.notice(), c.notice);
        EXPECT_EQ(s.failureTitle(), c.title);
        if (c.cleanupFails) {
            EXPECT_EQ(
                s.state().feedback.failure->recovery, AppRecoveryAction::retryPendingSourceCleanup(removed));
        }
    }
}

// Pasting back is offered only when a paste could run now: a target that
// takes text, the state loaded, no pause, Accessibility granted.
TEST(ModelSessionHistoryTest, PastingBackIsOfferedOnlyWhenAPasteCouldRun)
{
    const struct {
        const char *name;
        std::function<void(TwoCopies &)> change;
        bool offered;
    } cases[] = {
        { "everything in place", nullptr, true },
        { "a target that takes no text",
            [](auto &s) {
                s.desktop.workspace().application(s.editor).elements[0].isEditable = false;
                s.model().refreshClipboardShelfTarget();
            },
            false },
        { "paused here", [](auto &s) { s.model().togglePaused(); }, false },
        // The pause the ledger reports on a reload, with the target read before it.
        { "paused as the ledger says",
            [](auto &s) {
                s.provider->willReturn(op::currentPausedStatus, true);
                s.finish(s.model().reload());
            },
            false },
        { "state not loaded",
            [](auto &s) {
                s.provider->willFail(op::listRecords, QStringLiteral("账本不可读"));
                s.finish(s.model().reload());
            },
            false },
        { "no Accessibility",
            [](auto &s) {
                s.desktop.accessibility().setTrusted(false);
                s.model().refreshPermissions();
            },
            false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TwoCopies s;
        s.desktop.switchTo(s.editor);
        s.model().refreshClipboardShelfTarget();
        s.model().deferClipboardSelectionUpdate(s.quote);
        s.settle();
        ASSERT_TRUE(s.model().canPasteSelectedClipboardItem());
        if (c.change)
            c.change(s);
        s.settle();

        EXPECT_EQ(s.model().canPasteSelectedClipboardItem(), c.offered);
    }
}

TEST(ModelSessionHistoryTest, AnItemSetAsCurrentIsOnThePasteboardWithoutCountingAsACopy)
{
    TwoCopies s;
    s.model().setClipboardItemAsCurrent(s.quote);
    s.settle();
    EXPECT_EQ(s.desktop.pasteboard().string(), QStringLiteral("a quote"));
    EXPECT_EQ(s.state().currentClipboardItemID, s.quote);
    EXPECT_EQ(s.state().selectedClipboardItemID, s.quote);
    EXPECT_EQ(s.notice(), QStringLiteral("已将所选文本设为当前剪贴板；接下来可使用普通 ⌘V。"));
    s.pollPasteboard();
    EXPECT_EQ(s.provider->callCount(op::captureApplicationSource), 2);
}

} // namespace
} // namespace tovra::app::testing
