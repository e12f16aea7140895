#include "DesktopScene.h"

namespace tovra::app::testing {
namespace {

using Kind = DenylistEntryKind;

PendingSource fromPage(const QString &url)
{
    PendingSource source = pendingSource(url, CaptureMethod::chromeExtension);
    source.sanitizedURL = url;
    return source;
}

// Four copies in the history: from a site, a subdomain of it, a look-alike
// site and, last and so current, an application without an address.
struct FourCopies : DesktopScene {
    FourCopies()
    {
        sources.last().sourceAppBundleID = QStringLiteral("org.example.Editor");
        for (const PendingSource &source : sources)
            ids.append(copyIntoHistory(source.sanitizedURL ? browser : editor, source.id.toString(), source));
    }

    QList<PendingSource> sources { fromPage(QStringLiteral("https://example.com/a")),
        fromPage(QStringLiteral("https://news.Example.com/b")),
        fromPage(QStringLiteral("https://badexample.com/c")), pendingSource(QStringLiteral("line")) };
    QList<QUuid> ids;
};

TEST(ModelDenylistTest, AnAddedRulePurgesTheHistoryItCoversAndTheirSources)
{
    const QString cleanupFailed = QStringLiteral("历史已删除，来源元数据清理失败");
    const struct {
        const char *name;
        Kind kind;
        QString pattern;
        QList<int> purged;
        QStringList patterns;
        QString notice;
        bool cleanupFails = false;
    } cases[] = {
        { "domain: the host and its subdomains", Kind::domain, QStringLiteral("EXAMPLE.com"), { 0, 1 },
            { "EXAMPLE.com", "org.example.Vault" },
            QStringLiteral("已加入排除列表，并从会话内存移除 2 条相关复制历史。") },
        { "application in other case", Kind::bundleID, QStringLiteral("ORG.EXAMPLE.EDITOR"), { 3 },
            { "ORG.EXAMPLE.EDITOR", "org.example.Vault" },
            QStringLiteral("已加入排除列表，并从会话内存移除 1 条相关复制历史。") },
        { "nothing covered", Kind::domain, QStringLiteral("example.org"), {},
            { "example.org", "org.example.Vault" }, QStringLiteral("已加入排除列表。") },
        { "already listed", Kind::bundleID, QStringLiteral("org.example.vault"), {}, { "org.example.Vault" },
            QStringLiteral("已加入排除列表。") },
        { "sources not removed", Kind::domain, QStringLiteral("example.com"), { 0, 1 },
            { "example.com", "org.example.Vault" },
            QStringLiteral("已加入排除列表，并从会话内存移除 2 条相关复制历史。"), true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FourCopies s;
        ASSERT_EQ(s.state().clipboardItems.size(), 4);
        if (c.cleanupFails)
            s.provider->willFail(op::removePendingSources, QStringLiteral("账本无法写入"));
        QSet<QUuid> purgedSources;
        QList<QUuid> kept = s.ids;
        for (int index : c.purged) {
            purgedSources.insert(s.sources.at(index).id);
            kept.removeOne(s.ids.at(index));
        }

        s.model().addDenylistEntry(c.kind, c.pattern);
        s.settle();
        QList<QUuid> listed;
        for (const SessionClipboardItem &item : s.state().clipboardItems)
            listed.prepend(item.id);
        EXPECT_EQ(listed, kept);
        EXPECT_EQ(s.state().currentClipboardItemID,
            c.purged.contains(3) ? std::nullopt : std::optional(s.ids.at(3)));
        QStringList patterns;
        for (const DenylistEntry &entry : s.state().denylistEntries)
            patterns.append(entry.pattern);
        EXPECT_EQ(patterns, c.patterns);
        QList<QSet<QUuid>> removedSources;
        for (const auto &call : s.provider->calls(op::removePendingSources))
            removedSources.append(call.argument<QSet<QUuid>>(0));
        EXPECT_EQ(removedSources, purgedSources.isEmpty() ? QList<QSet<QUuid>> {} : QList { purgedSources });
        EXPECT_EQ(s.notice(), c.notice);
        EXPECT_EQ(s.failureTitle(), c.cleanupFails ? cleanupFailed : QString());
        if (c.cleanupFails) {
            EXPECT_EQ(s.state().feedback.failure->recovery,
                AppRecoveryAction::retryPendingSourceCleanup(purgedSources));
        }
    }
}

TEST(ModelDenylistTest, OnlyTheUsersOwnRulesAreRemoved)
{
    const DenylistEntry builtIn { Kind::domain, QStringLiteral("bank.example"), true };
    const DenylistEntry own { Kind::bundleID, QStringLiteral("org.example.Vault"), false };
    for (const auto &[entry, removable] : { std::pair(builtIn, false), std::pair(own, true) }) {
        SCOPED_TRACE(entry.pattern.toStdString());
        ModelHarness h;
        h.provider->willReturn(op::listDenylistEntries, { builtIn, own });
        h.finish(h.model().reload());

        h.model().removeDenylistEntry(entry);
        h.settle();
        const auto &state = h.model().state();
        EXPECT_EQ(h.provider->callCount(op::removeDenylistEntry), removable ? 1 : 0);
        EXPECT_EQ(state.denylistEntries, (removable ? QList { builtIn } : QList { builtIn, own }));
        EXPECT_EQ(state.feedback.notice ? state.feedback.notice->message : QString(),
            removable ? QStringLiteral("已移除排除项。") : QString());
    }
}

} // namespace
} // namespace tovra::app::testing
