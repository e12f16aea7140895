#include "app/data/TovraAppDataProviding.h"
#include "app/model/ClipboardShelfOperationError.h"
#include "app/model/ErrorDescription.h"
#include "app/model/PasteCommitFailure.h"
#include "app/model/PasteExclusionText.h"
#include "app/model/TovraAppModel.h"
#include "platform/Clock.h"
#include "platform/TemporaryPasteboardImageReplacement.h"

#include <QPointer>

namespace tovra::app {

namespace {

constexpr std::chrono::milliseconds restoreDelay { 300 };

// Puts the earlier contents back only while the pasteboard still holds the
// installed image: anything copied meanwhile stays.
bool restoreIfUnchanged(const TemporaryPasteboardImageReplacement &replacement, Pasteboard &pasteboard)
{
    return replacement.installedSnapshot().matches(pasteboard) && replacement.original.restore(pasteboard);
}

} // namespace

// The image counterpart of a history paste of text: never cited, the source
// resolved from the image bytes, the image committed. Publishes its own
// outcome; the history paste that called it ends the run.
QCoro::Task<void> TovraAppModel::performHistoricalImagePaste(
    SessionClipboardItem item, SessionClipboardImage image)
{
    QPointer<TovraAppModel> self(this);
    Pasteboard &pasteboard = *m_platform.pasteboard;
    const QUuid itemID = item.id;
    std::exception_ptr failure;
    bool pasteWasSent = false;
    PasteCommit commit;
    DestinationSnapshot destination;
    bool restored = false;
    try {
        const ConfirmedPasteTarget confirmed = co_await confirmPasteTarget();
        if (!self)
            co_return;
        if (confirmed.exclusion)
            throw ClipboardShelfOperationError::targetExcluded(*confirmed.exclusion);

        const QUuid itemSourceID = item.source.id;
        const QByteArray imageData = image.data();
        const std::optional<PendingSource> source
            = co_await m_dataProvider->resolveClipboardImageSource(itemSourceID, imageData);
        if (!self)
            co_return;
        if (!source)
            throw ClipboardShelfOperationError::sourceUnavailable();
        const InspectedDestination target = m_paster.reconfirm(confirmed.target);

        qint64 before = pasteboard.changeCount();
        const auto replacement = TemporaryPasteboardImageReplacement::install(image, pasteboard);
        noteOwnPasteboardWrite(before);
        if (!replacement)
            throw ClipboardShelfOperationError::clipboardWriteFailed();
        try {
            destination = m_paster.postPaste(
                target, PasteboardContentExpectation::image(replacement->installedSnapshot()));
        } catch (...) {
            before = pasteboard.changeCount();
            restoreIfUnchanged(*replacement, pasteboard);
            noteOwnPasteboardWrite(before);
            throw;
        }

        co_await m_platform.clock->sleep(restoreDelay);
        if (!self)
            co_return;
        before = pasteboard.changeCount();
        restored = restoreIfUnchanged(*replacement, pasteboard);
        noteOwnPasteboardWrite(before);
        co_await refreshCurrentClipboardShelfItem();
        if (!self)
            co_return;

        const std::optional<QByteArray> committedImage = imageData;
        const std::optional<QUuid> traceID = QUuid::createUuid();
        const std::optional<QUuid> preferredSourceID = source->id;
        pasteWasSent = true;
        commit = co_await m_dataProvider->commitImageTracePaste(
            destination, committedImage, traceID, preferredSourceID);
        if (!self)
            co_return;
        const QDateTime pastedAt = now();
        co_await m_clipboardShelf.markPasted(itemID, pastedAt);
        if (!self)
            co_return;
        const std::optional<QUuid> selection = itemID;
        co_await reloadClipboardShelf(selection);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;

    if (failure) {
        // Once the keys went out, a retry would paste the image a second time.
        const QString title
            = pasteWasSent ? QStringLiteral("图片已回粘，但记录失败") : QStringLiteral("图片历史回粘未执行");
        const AppRecoveryAction recovery = pasteWasSent ? AppRecoveryAction::reloadData()
                                                        : AppRecoveryAction::retryHistoricalPaste(itemID);
        co_await publishPasteFailure(failure, title, recovery);
        co_return;
    }

    const PastePreparationOutcome &outcome = commit.outcome;
    switch (outcome.kind()) {
    case PastePreparationOutcome::Kind::recorded:
        putRecordInFront(*outcome.record());
        showNotice(QStringLiteral("已向 ") + destination.applicationName
                + QStringLiteral(" 发送图片回粘并记录 App 级流向；")
                + (restored ? QStringLiteral("原系统剪贴板已恢复。")
                            : QStringLiteral("检测到外部剪贴板变化，未覆盖新内容。")),
            QStringLiteral("photo.on.rectangle.angled"), AppFeedbackScope::paste);
        break;
    case PastePreparationOutcome::Kind::excluded:
        publishFailure(QStringLiteral("图片已回粘，但流向未记录"),
            pasteExclusionText(*outcome.exclusionReason()), AppFeedbackScope::paste,
            AppRecoveryAction::reloadData());
        break;
    case PastePreparationOutcome::Kind::sourceUnmatched:
        publishFailure(QStringLiteral("图片已回粘，但精确来源提交失败"),
            QStringLiteral("图片来源可能在发送期间过期或被排除；未建立错误的流向记录。"),
            AppFeedbackScope::paste, AppRecoveryAction::reloadData());
        break;
    }
}

} // namespace tovra::app
