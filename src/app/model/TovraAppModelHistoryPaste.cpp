#include "app/data/TovraAppDataProviding.h"
#include "app/model/ClipboardShelfOperationError.h"
#include "app/model/ErrorDescription.h"
#include "app/model/PasteCommitFailure.h"
#include "app/model/PasteExclusionText.h"
#include "app/model/TovraAppModel.h"
#include "core/citations/CitationRenderer.h"
#include "platform/Clock.h"
#include "platform/TemporaryPasteboardTextReplacement.h"

#include <QPointer>

namespace tovra::app {

namespace {

constexpr std::chrono::milliseconds restoreDelay { 300 };

QString restorationText(bool restored)
{
    return restored ? QStringLiteral("原系统剪贴板已恢复。")
                    : QStringLiteral("检测到外部剪贴板变化，未覆盖新内容。");
}

} // namespace

void TovraAppModel::requestHistoricalPaste(std::optional<QUuid> itemID)
{
    beginFeedback(AppFeedbackScope::paste);
    const std::optional<QUuid> id = itemID ? itemID : m_state.selectedClipboardItemID;
    if (!id) {
        showNotice(
            QStringLiteral("请先选择一条复制历史。"), QStringLiteral("list.bullet"), AppFeedbackScope::paste);
        return;
    }
    publish(&State::selectedClipboardItemID, id, Field::selectedClipboardItemID);
    if (!m_hasLoadedPersistentState) {
        showNotice(QStringLiteral("本地安全状态尚未加载，本次未执行回粘。"),
            QStringLiteral("exclamationmark.triangle"), AppFeedbackScope::paste);
        return;
    }
    if (m_state.isPaused) {
        showNotice(
            QStringLiteral("Tovra当前已暂停。"), QStringLiteral("pause.circle"), AppFeedbackScope::paste);
        return;
    }
    if (m_state.isPasting)
        return;
    refreshPermissionState();
    if (!m_state.accessibilityIsTrusted) {
        publish(&State::showAccessibilityEducation, true, Field::showAccessibilityEducation);
        return;
    }
    refreshClipboardShelfTarget();
    const std::optional<ClipboardShelfTarget> &target = m_state.clipboardShelfTarget;
    if (!target || !target->availability.isAvailable()) {
        showNotice(target ? *target->availability.unavailableReason()
                          : QStringLiteral("请先把光标放到其他 App 的文本输入位置。"),
            QStringLiteral("cursorarrow.rays"), AppFeedbackScope::paste);
        return;
    }
    beginPasteRun();
    performHistoricalPaste(*id);
}

QCoro::Task<void> TovraAppModel::performHistoricalPaste(QUuid itemID)
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    bool pasteWasSent = false;
    try {
        const QDateTime at = now();
        const std::optional<SessionClipboardItem> item = co_await m_clipboardShelf.item(itemID, at);
        if (!self)
            co_return;
        if (!item)
            throw ClipboardShelfOperationError::itemUnavailable();
        if (const SessionClipboardImage *image = item->payload.asImage()) {
            const SessionClipboardImage pastedImage = *image;
            co_await performHistoricalImagePaste(*item, pastedImage);
        } else {
            const QString text = *item->payload.asText();
            co_await pasteHistoricalText(*item, text);
        }
    } catch (const PasteCommitFailure &commitFailure) {
        failure = commitFailure.error;
        pasteWasSent = true;
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;

    if (failure) {
        // Once the keys went out, a retry would paste the item a second time.
        const QString title
            = pasteWasSent ? QStringLiteral("回粘已发送，但记录失败") : QStringLiteral("历史回粘未执行");
        const AppRecoveryAction recovery = pasteWasSent ? AppRecoveryAction::reloadData()
                                                        : AppRecoveryAction::retryHistoricalPaste(itemID);
        co_await publishPasteFailure(failure, title, recovery);
        if (!self)
            co_return;
    }
    finishPasteRun();
    refreshClipboardShelfTarget();
}

// A history paste of text, from the target's check to the record: the
// item's own source must still hold, the pasteboard always carries the item
// (with a citation where one is due) for the paste, and the item's plain
// text is committed.
QCoro::Task<void> TovraAppModel::pasteHistoricalText(SessionClipboardItem item, QString text)
{
    QPointer<TovraAppModel> self(this);
    Pasteboard &pasteboard = *m_platform.pasteboard;
    const ConfirmedPasteTarget confirmed = co_await confirmPasteTarget();
    if (!self)
        co_return;
    if (confirmed.exclusion)
        throw ClipboardShelfOperationError::targetExcluded(*confirmed.exclusion);

    const QUuid itemSourceID = item.source.id;
    const std::optional<PendingSource> source
        = co_await m_dataProvider->resolveClipboardSource(itemSourceID, text);
    if (!self)
        co_return;
    if (!source)
        throw ClipboardShelfOperationError::sourceUnavailable();
    InspectedDestination target = m_paster.reconfirm(confirmed.target);
    const QUuid traceID = QUuid::createUuid();
    const std::optional<QUuid> preferredSourceID = source->id;

    QString pasted = text;
    bool cited = false;
    if (citesInto(target.snapshot)) {
        const std::optional<CitationSource> citation
            = co_await m_dataProvider->resolveCitationSource(text, traceID, preferredSourceID);
        if (!self)
            co_return;
        if (citation
            && CitationRenderer::canRenderExplicitWebCitation(*citation, m_state.citationLinkMode, now())) {
            target = m_paster.reconfirm(target);
            pasted = CitationRenderer::render(
                text, *citation, m_state.citationFormat, m_state.citationLinkMode, m_timeZone);
            cited = true;
        }
    }
    target = m_paster.reconfirm(target);

    qint64 before = pasteboard.changeCount();
    const auto replacement = TemporaryPasteboardTextReplacement::install(pasted, pasteboard);
    noteOwnPasteboardWrite(before);
    if (!replacement)
        throw ClipboardShelfOperationError::clipboardWriteFailed();
    DestinationSnapshot destination;
    try {
        destination = m_paster.postPaste(target,
            PasteboardContentExpectation::text(
                PasteboardTextSnapshot { replacement->installedChangeCount, pasted }));
    } catch (...) {
        before = pasteboard.changeCount();
        replacement->restoreIfUnchanged(pasteboard);
        noteOwnPasteboardWrite(before);
        throw;
    }

    co_await m_platform.clock->sleep(restoreDelay);
    if (!self)
        co_return;
    before = pasteboard.changeCount();
    const bool restored = replacement->restoreIfUnchanged(pasteboard);
    noteOwnPasteboardWrite(before);
    co_await refreshCurrentClipboardShelfItem();
    if (!self)
        co_return;

    const std::optional<QString> committedText = text;
    const std::optional<QUuid> committedTraceID = traceID;
    const PasteCommit commit = co_await commitOfSentPaste(
        m_dataProvider->commitTracePaste(destination, committedText, committedTraceID, preferredSourceID));
    if (!self)
        co_return;

    const QUuid itemID = item.id;
    const QDateTime pastedAt = now();
    co_await m_clipboardShelf.markPasted(itemID, pastedAt);
    if (!self)
        co_return;
    const std::optional<QUuid> selection = itemID;
    co_await reloadClipboardShelf(selection);
    if (!self)
        co_return;

    // The paste went out whatever the ledger made of it: no retry pastes again.
    const PastePreparationOutcome &outcome = commit.outcome;
    switch (outcome.kind()) {
    case PastePreparationOutcome::Kind::recorded:
        putRecordInFront(*outcome.record());
        showNotice(QStringLiteral("已向 ") + destination.applicationName + QStringLiteral(" 发送回粘")
                + (cited ? QStringLiteral("并附加 Markdown 来源") : QString())
                + QStringLiteral("，并记录来源与目标；") + restorationText(restored),
            QStringLiteral("arrow.uturn.backward.circle"), AppFeedbackScope::paste);
        break;
    case PastePreparationOutcome::Kind::excluded:
        publishFailure(QStringLiteral("回粘已发送，但流向未记录"),
            pasteExclusionText(*outcome.exclusionReason()), AppFeedbackScope::paste,
            AppRecoveryAction::reloadData());
        break;
    case PastePreparationOutcome::Kind::sourceUnmatched:
        publishFailure(QStringLiteral("回粘已发送，但精确来源提交失败"),
            QStringLiteral("来源可能在发送期间过期或被排除；未建立错误的流向记录。"), AppFeedbackScope::paste,
            AppRecoveryAction::reloadData());
        break;
    }
}

} // namespace tovra::app
