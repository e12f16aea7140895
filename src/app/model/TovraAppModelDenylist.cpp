#include "app/data/TovraAppDataProviding.h"
#include "app/model/DenylistMatching.h"
#include "app/model/ErrorDescription.h"
#include "app/model/TovraAppModel.h"

#include <QPointer>

namespace tovra::app {

void TovraAppModel::addDenylistEntry(DenylistEntryKind kind, const QString &pattern)
{
    beginFeedback(AppFeedbackScope::denylist);
    runAddDenylistEntry(kind, pattern);
}

void TovraAppModel::removeDenylistEntry(const DenylistEntry &entry)
{
    if (entry.isDefault)
        return;
    beginFeedback(AppFeedbackScope::denylist);
    runRemoveDenylistEntry(entry);
}

QCoro::Task<void> TovraAppModel::invalidateResolverCache()
{
    if (m_resolverCacheInvalidator) {
        auto invalidation = m_resolverCacheInvalidator();
        co_await std::move(invalidation);
    }
}

QCoro::Task<void> TovraAppModel::runAddDenylistEntry(DenylistEntryKind kind, QString pattern)
{
    QPointer<TovraAppModel> self(this);
    std::optional<DenylistEntry> added;
    std::exception_ptr failure;
    try {
        co_await invalidateResolverCache();
        if (!self)
            co_return;
        added = co_await m_dataProvider->addDenylistEntry(kind, pattern);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        publishFailure(QStringLiteral("无法添加排除项"), errorDescription(failure),
            AppFeedbackScope::denylist, AppRecoveryAction::retryAddDenylist(kind, pattern));
        co_return;
    }

    const DenylistEntry entry = *added;
    ++m_denylistChangeCount;
    const bool listed = std::any_of(m_state.denylistEntries.cbegin(), m_state.denylistEntries.cend(),
        [&entry](const DenylistEntry &existing) { return existing.id() == entry.id(); });
    if (!listed) {
        QList<DenylistEntry> entries = m_state.denylistEntries;
        entries.append(entry);
        publish(&State::denylistEntries, entries, Field::denylistEntries);
        sortDenylistEntries(entries);
        publish(&State::denylistEntries, std::move(entries), Field::denylistEntries);
    }

    const int purged = co_await purgeClipboardItems(entry);
    if (!self)
        co_return;
    if (purged >= 1)
        showNotice(QStringLiteral("已加入排除列表，并从会话内存移除 %1 条相关复制历史。").arg(purged),
            QStringLiteral("hand.raised.slash"), AppFeedbackScope::denylist);
    else
        showNotice(QStringLiteral("已加入排除列表。"), QStringLiteral("hand.raised.slash"),
            AppFeedbackScope::denylist);
}

QCoro::Task<int> TovraAppModel::purgeClipboardItems(DenylistEntry entry)
{
    QPointer<TovraAppModel> self(this);
    const QDateTime at = now();
    const QList<SessionClipboardItem> items = co_await m_clipboardShelf.items(at);
    QList<SessionClipboardItem> covered;
    for (const SessionClipboardItem &item : items) {
        if (denylistEntryCovers(entry, item.source))
            covered.append(item);
    }

    // Purging a copy from the history must not leave its source behind in
    // the ledger either: the denylist promises that nothing of it stays.
    QSet<QUuid> sourceIDs;
    for (const SessionClipboardItem &item : covered) {
        co_await m_clipboardShelf.remove(item.id);
        if (!self)
            co_return 0;
        sourceIDs.unite(item.sourceAliases);
        if (m_state.currentClipboardItemID == item.id)
            publish(&State::currentClipboardItemID, std::nullopt, Field::currentClipboardItemID);
    }
    co_await reloadClipboardShelf(std::nullopt);
    if (!self)
        co_return 0;

    if (!sourceIDs.isEmpty()) {
        std::exception_ptr failure;
        try {
            co_await m_dataProvider->removePendingSources(sourceIDs);
        } catch (...) {
            failure = std::current_exception();
        }
        if (!self)
            co_return 0;
        if (failure)
            publishFailure(QStringLiteral("历史已删除，来源元数据清理失败"), errorDescription(failure),
                AppFeedbackScope::clipboard, AppRecoveryAction::retryPendingSourceCleanup(sourceIDs));
    }
    co_return int(covered.size());
}

QCoro::Task<void> TovraAppModel::runRemoveDenylistEntry(DenylistEntry entry)
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    try {
        co_await invalidateResolverCache();
        if (!self)
            co_return;
        co_await m_dataProvider->removeDenylistEntry(entry);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        publishFailure(QStringLiteral("无法移除排除项"), errorDescription(failure),
            AppFeedbackScope::denylist, AppRecoveryAction::retryRemoveDenylist(entry));
        co_return;
    }
    ++m_denylistChangeCount;
    QList<DenylistEntry> entries = m_state.denylistEntries;
    entries.removeIf([&entry](const DenylistEntry &listed) { return listed.id() == entry.id(); });
    publish(&State::denylistEntries, std::move(entries), Field::denylistEntries);
    showNotice(
        QStringLiteral("已移除排除项。"), QStringLiteral("checkmark.circle"), AppFeedbackScope::denylist);
}

} // namespace tovra::app
