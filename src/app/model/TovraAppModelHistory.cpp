#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/PasteExclusionText.h"
#include "app/model/TovraAppModel.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/TemporaryPasteboardImageReplacement.h"
#include "platform/TemporaryPasteboardTextReplacement.h"

#include <QCoreApplication>
#include <QPointer>

#include <coroutine>

namespace tovra::app {

namespace {

constexpr qint64 largestCurrentImageBytes = 20'971'520;

// Resumes the awaiting coroutine from the event loop, once the events
// already queued have run.
struct NextEventLoopTurn {
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting) const
    {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [waiting] { waiting.resume(); }, Qt::QueuedConnection);
    }
    void await_resume() const noexcept { }
};

bool contains(const QList<SessionClipboardItem> &items, const std::optional<QUuid> &id)
{
    return id
        && std::any_of(items.cbegin(), items.cend(), [&id](const auto &item) { return item.id == *id; });
}

// A success notice would take the place of the history's failure on display.
bool showsClipboardFailure(const AppFeedbackState &feedback)
{
    return feedback.failure && feedback.failure->scope == AppFeedbackScope::clipboard;
}

ClipboardShelfTarget unknownTarget(QString reason)
{
    return ClipboardShelfTarget { QStringLiteral("未知目标"), std::nullopt,
        ClipboardShelfTarget::Availability::unavailable(std::move(reason)) };
}

} // namespace

void TovraAppModel::refreshClipboardShelfTarget()
{
    refreshPermissionState();
    ClipboardShelfTarget target;
    if (!m_state.accessibilityIsTrusted) {
        target = unknownTarget(QStringLiteral("需要辅助功能权限才能确认输入位置"));
    } else {
        try {
            const DestinationSnapshot destination = m_inspector->inspect().snapshot;
            const auto reason = immediateExclusion(destination);
            target = ClipboardShelfTarget { destination.applicationName, destination.bundleIdentifier,
                reason ? ClipboardShelfTarget::Availability::unavailable(pasteExclusionText(*reason))
                       : ClipboardShelfTarget::Availability::available() };
        } catch (...) {
            target = unknownTarget(errorDescription(std::current_exception()));
        }
    }
    publish(&State::clipboardShelfTarget, std::move(target), Field::clipboardShelfTarget);
}

QString TovraAppModel::clipboardShelfTargetTitle() const
{
    const std::optional<ClipboardShelfTarget> &target = m_state.clipboardShelfTarget;
    if (!target)
        return QStringLiteral("尚未选择回粘目标");
    return (target->availability.isAvailable() ? QStringLiteral("回粘目标：")
                                               : QStringLiteral("暂不可回粘到 "))
        + target->applicationName;
}

std::optional<SessionClipboardItem> TovraAppModel::selectedClipboardItem() const
{
    const std::optional<QUuid> &id = m_state.selectedClipboardItemID;
    if (!id)
        return std::nullopt;
    for (const SessionClipboardItem &item : m_state.clipboardItems) {
        if (item.id == *id)
            return item;
    }
    return std::nullopt;
}

bool TovraAppModel::canPasteSelectedClipboardItem() const
{
    const std::optional<ClipboardShelfTarget> &target = m_state.clipboardShelfTarget;
    return selectedClipboardItem() && target && target->availability.isAvailable()
        && m_hasLoadedPersistentState && !m_state.isPaused && !m_state.isPasting
        && m_state.accessibilityIsTrusted;
}

void TovraAppModel::deferClipboardSelectionUpdate(std::optional<QUuid> id)
{
    applyDeferredSelection(id, m_state.selectedClipboardItemID);
}

// The list reports selections while it is being rebuilt; one that the model
// changed meanwhile, or that names a row no longer there, is stale.
QCoro::Task<void> TovraAppModel::applyDeferredSelection(
    std::optional<QUuid> id, std::optional<QUuid> previous)
{
    QPointer<TovraAppModel> self(this);
    co_await NextEventLoopTurn {};
    if (!self || m_state.selectedClipboardItemID != previous)
        co_return;
    if (id ? contains(m_state.clipboardItems, id) : m_state.clipboardItems.isEmpty())
        publish(&State::selectedClipboardItemID, id, Field::selectedClipboardItemID);
}

QCoro::Task<void> TovraAppModel::reloadClipboardShelf(std::optional<QUuid> preferred)
{
    QPointer<TovraAppModel> self(this);
    const QDateTime at = now();
    QList<SessionClipboardItem> items = co_await m_clipboardShelf.items(at);
    if (!self)
        co_return;
    std::optional<QUuid> selection;
    if (contains(items, preferred))
        selection = preferred;
    else if (contains(items, m_state.selectedClipboardItemID))
        selection = m_state.selectedClipboardItemID;
    else if (!items.isEmpty())
        selection = items.first().id;
    const bool currentRemains = contains(items, m_state.currentClipboardItemID);
    publish(&State::clipboardItems, std::move(items), Field::clipboardItems);
    publish(&State::selectedClipboardItemID, selection, Field::selectedClipboardItemID);
    if (!currentRemains)
        publish(&State::currentClipboardItemID, std::nullopt, Field::currentClipboardItemID);
}

QCoro::Task<void> TovraAppModel::refreshCurrentClipboardShelfItem()
{
    QPointer<TovraAppModel> self(this);
    const Pasteboard &pasteboard = *m_platform.pasteboard;
    const QDateTime at = now();
    const PasteboardImageCaptureResult image
        = PasteboardImageSnapshot::capture(pasteboard, largestCurrentImageBytes);
    std::optional<QUuid> current;
    if (image.kind() == PasteboardImageCaptureResult::Kind::captured) {
        const QString fingerprint = image.snapshot()->image.sessionFingerprint();
        current = co_await m_clipboardShelf.markCurrentByPayloadFingerprint(
            fingerprint, image.snapshot()->changeCount, at);
    } else if (image.kind() == PasteboardImageCaptureResult::Kind::noImage) {
        if (const std::optional<QString> text = pasteboard.string()) {
            const QString plaintext = *text;
            current
                = co_await m_clipboardShelf.markCurrentByPlaintext(plaintext, pasteboard.changeCount(), at);
        }
    }
    if (!self)
        co_return;
    publish(&State::currentClipboardItemID, current, Field::currentClipboardItemID);
}

void TovraAppModel::setClipboardItemAsCurrent(QUuid id)
{
    beginFeedback(AppFeedbackScope::clipboard);
    runSetClipboardItemAsCurrent(id);
}

QCoro::Task<void> TovraAppModel::runSetClipboardItemAsCurrent(QUuid id)
{
    QPointer<TovraAppModel> self(this);
    const QDateTime at = now();
    const std::optional<SessionClipboardItem> item = co_await m_clipboardShelf.item(id, at);
    if (!self)
        co_return;
    if (!item) {
        co_await reloadClipboardShelf(std::nullopt);
        if (!self)
            co_return;
        showNotice(QStringLiteral("这条复制历史已过期。"), QStringLiteral("clock.badge.exclamationmark"),
            AppFeedbackScope::clipboard);
        co_return;
    }

    // The item stays on the pasteboard: what it replaced is not put back.
    Pasteboard &pasteboard = *m_platform.pasteboard;
    const SessionClipboardImage *image = item->payload.asImage();
    const qint64 before = pasteboard.changeCount();
    std::optional<qint64> installedChangeCount;
    if (image) {
        if (const auto replacement = TemporaryPasteboardImageReplacement::install(*image, pasteboard))
            installedChangeCount = replacement->installedChangeCount;
    } else if (const auto replacement
        = TemporaryPasteboardTextReplacement::install(*item->payload.asText(), pasteboard)) {
        installedChangeCount = replacement->installedChangeCount;
    }
    // The copy capture must not take this write for a copy, nor a paste that
    // runs meanwhile report it at its end.
    noteOwnPasteboardWrite(before);
    m_pasteboardChangeObserver->setLastChangeCount(pasteboard.changeCount());
    if (!installedChangeCount) {
        publishFailure(QStringLiteral("无法设置剪贴板"),
            image ? QStringLiteral("无法完整保存原剪贴板，或系统拒绝写入图片；原内容已保留或恢复。")
                  : QStringLiteral("无法完整保存原剪贴板，或系统拒绝写入纯文本；原内容已保留或恢复。"),
            AppFeedbackScope::clipboard, AppRecoveryAction::retrySetClipboard(id));
        co_return;
    }

    const QUuid itemID = item->id;
    const QDateTime markedAt = now();
    const std::optional<QUuid> current
        = co_await m_clipboardShelf.markCurrent(itemID, *installedChangeCount, markedAt);
    if (!self)
        co_return;
    publish(&State::currentClipboardItemID, current, Field::currentClipboardItemID);
    const std::optional<QUuid> selection = itemID;
    co_await reloadClipboardShelf(selection);
    if (!self)
        co_return;
    showNotice(QStringLiteral("已将所选") + (image ? QStringLiteral("图片") : QStringLiteral("文本"))
            + QStringLiteral("设为当前剪贴板；接下来可使用普通 ⌘V。"),
        QStringLiteral("doc.on.clipboard"), AppFeedbackScope::clipboard);
}

void TovraAppModel::deleteClipboardItem(QUuid id)
{
    beginFeedback(AppFeedbackScope::clipboard);
    runDeleteClipboardItem(id);
}

QCoro::Task<void> TovraAppModel::runDeleteClipboardItem(QUuid id)
{
    QPointer<TovraAppModel> self(this);
    const std::optional<SessionClipboardItem> removed = co_await m_clipboardShelf.remove(id);
    if (!self)
        co_return;
    if (!removed) {
        co_await reloadClipboardShelf(std::nullopt);
        co_return;
    }

    const QSet<QUuid> sources = removed->sourceAliases;
    std::exception_ptr failure;
    try {
        co_await m_dataProvider->removePendingSources(sources);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure)
        publishFailure(QStringLiteral("历史已删除，来源元数据清理失败"), errorDescription(failure),
            AppFeedbackScope::clipboard, AppRecoveryAction::retryPendingSourceCleanup(sources));
    if (m_state.currentClipboardItemID == removed->id)
        publish(&State::currentClipboardItemID, std::nullopt, Field::currentClipboardItemID);
    co_await reloadClipboardShelf(std::nullopt);
    if (!self)
        co_return;
    if (!showsClipboardFailure(m_state.feedback))
        showNotice(QStringLiteral("已从本次会话的复制历史中删除。"), QStringLiteral("trash"),
            AppFeedbackScope::clipboard);
}

void TovraAppModel::setShowClipboardClearConfirmation(bool show)
{
    publish(&State::showClipboardClearConfirmation, show, Field::showClipboardClearConfirmation);
}

void TovraAppModel::clearClipboardHistory()
{
    beginFeedback(AppFeedbackScope::clipboard);
    setShowClipboardClearConfirmation(false);
    runClearClipboardHistory();
}

QCoro::Task<void> TovraAppModel::runClearClipboardHistory()
{
    QPointer<TovraAppModel> self(this);
    const QList<SessionClipboardItem> removed = co_await m_clipboardShelf.removeAll();
    if (!self)
        co_return;
    QSet<QUuid> sources;
    for (const SessionClipboardItem &item : removed)
        sources.unite(item.sourceAliases);

    std::exception_ptr failure;
    try {
        co_await m_dataProvider->removePendingSources(sources);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure)
        publishFailure(QStringLiteral("历史已清空，来源元数据清理失败"), errorDescription(failure),
            AppFeedbackScope::clipboard, AppRecoveryAction::retryPendingSourceCleanup(sources));
    publish(&State::clipboardItems, {}, Field::clipboardItems);
    publish(&State::selectedClipboardItemID, std::nullopt, Field::selectedClipboardItemID);
    publish(&State::currentClipboardItemID, std::nullopt, Field::currentClipboardItemID);
    if (!showsClipboardFailure(m_state.feedback))
        showNotice(QStringLiteral("本次会话的复制历史已清空；既有流向记录未删除。"), QStringLiteral("trash"),
            AppFeedbackScope::clipboard);
}

} // namespace tovra::app
