#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/FileSizeText.h"
#include "app/model/PasteDestinationRules.h"
#include "app/model/TovraAppModel.h"
#include "platform/Clock.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/Workspace.h"

#include <QCoroFuture>
#include <QLocale>
#include <QPointer>
#include <QScopeGuard>

namespace tovra::app {

namespace {

// A copy or cut seen this long before a pasteboard change, or less, made it.
constexpr qint64 keyboardAttributionWindowMs = 750;
constexpr qint64 largestCapturedImageBytes = 20'971'520;
// A browser capture of the copied text may reach the ledger after the copy.
constexpr std::chrono::milliseconds enrichmentDelays[] { std::chrono::milliseconds(200),
    std::chrono::milliseconds(750) };

bool isFrontmost(const Workspace &workspace, ProcessIdentifier processIdentifier)
{
    const auto frontmost = workspace.frontmostApplication();
    return frontmost && frontmost->processIdentifier == processIdentifier;
}

} // namespace

void TovraAppModel::startPasteboardInference()
{
    QPointer<TovraAppModel> self(this);
    m_pasteboardChangeObserver->start([self](const PasteboardChangeEvent &event) {
        if (self)
            self->handlePasteboardChange(event);
    });
}

QCoro::Task<void> TovraAppModel::handlePasteboardChange(PasteboardChangeEvent event)
{
    QPointer<TovraAppModel> self(this);
    if (!m_state.observationEnabled || m_state.isPaused || !m_accessibility.isTrusted()
        || (m_state.isPasting && !m_pasteRunTakesCopies))
        co_return;
    // Handled now, so not reported again once the paste run ends.
    if (m_state.isPasting)
        m_pasteRunChangeCount = qMax(m_pasteRunChangeCount, event.changeCount);
    // A traced paste may be waiting for this capture's source.
    ++m_copyCapturesInFlight;
    const auto inFlight = qScopeGuard([self] {
        if (self)
            --self->m_copyCapturesInFlight;
    });
    publish(&State::currentClipboardItemID, std::nullopt, Field::currentClipboardItemID);

    std::optional<ProcessIdentifier> keyboardCopier;
    if (m_pendingKeyboardCopy) {
        // A copy stamped after the change waits for the next change.
        const qint64 elapsed = m_pendingKeyboardCopy->occurredAt.msecsTo(event.occurredAt);
        if (elapsed >= 0) {
            if (elapsed <= keyboardAttributionWindowMs)
                keyboardCopier = m_pendingKeyboardCopy->processIdentifier;
            m_pendingKeyboardCopy.reset();
        }
    }
    const std::optional<ProcessIdentifier> copier
        = keyboardCopier ? keyboardCopier : event.sourceProcessIdentifier;
    if (!copier)
        co_return;

    const Pasteboard &pasteboard = *m_platform.pasteboard;
    const Workspace &workspace = *m_platform.workspace;
    const qint64 changeCount = pasteboard.changeCount();
    if (changeCount != event.changeCount)
        co_return;
    const bool inferred = !keyboardCopier;
    if (inferred && !isFrontmost(workspace, *copier))
        co_return;
    if (*copier == m_platform.ownProcessIdentifier)
        co_return;
    const std::optional<RunningApplication> running = workspace.runningApplication(*copier);
    if (!running || running->isTerminated || !running->bundleIdentifier
        || running->bundleIdentifier->isEmpty())
        co_return;

    DestinationSnapshot inspected;
    try {
        inspected = m_inspector->inspect(*copier).snapshot;
    } catch (...) {
        co_return;
    }
    if (sourceExclusion(inspected))
        co_return;
    if (inferred && !isFrontmost(workspace, *copier))
        co_return;
    if (pasteboard.changeCount() != changeCount)
        co_return;

    const ApplicationSnapshot application { running->localizedName.isEmpty() ? inspected.applicationName
                                                                             : running->localizedName,
        *running->bundleIdentifier, *copier };

    // A large image takes long to decode and fingerprint: that runs off the
    // GUI thread, and a change of the pasteboard meanwhile voids it.
    const PasteboardImageCaptureResult decoded = co_await PasteboardImageSnapshot::captureDecodingThrough(
        *m_backgroundWork, pasteboard, largestCapturedImageBytes);
    if (!self)
        co_return;
    const PasteboardImageCaptureResult image
        = PasteboardImageSnapshot::stillCurrent(decoded, changeCount, pasteboard);
    std::optional<QString> text;
    std::optional<PendingSource> source;
    std::exception_ptr captureFailure;
    switch (image.kind()) {
    case PasteboardImageCaptureResult::Kind::captured: {
        if (image.snapshot()->changeCount != changeCount)
            co_return;
        const QByteArray imageData = image.snapshot()->image.data();
        try {
            source = co_await m_dataProvider->captureApplicationImageSource(application, imageData, inferred);
        } catch (...) {
            captureFailure = std::current_exception();
        }
        break;
    }
    case PasteboardImageCaptureResult::Kind::tooLarge:
        showNotice(QStringLiteral("图片大小为 ") + fileSizeText(image.byteCount())
                + QStringLiteral("，超过 20 MB 会话上限；本次未记录，系统剪贴板不受影响。"),
            QStringLiteral("photo.badge.exclamationmark"), AppFeedbackScope::clipboard);
        co_return;
    case PasteboardImageCaptureResult::Kind::unsupportedImage:
        showNotice(QStringLiteral("检测到图片剪贴板，但当前格式无法安全解码；本次未记录。"),
            QStringLiteral("photo.badge.exclamationmark"), AppFeedbackScope::clipboard);
        co_return;
    case PasteboardImageCaptureResult::Kind::changed:
        co_return;
    case PasteboardImageCaptureResult::Kind::noImage: {
        text = pasteboard.string();
        if (!text || pasteboard.changeCount() != changeCount)
            co_return;
        const QString copiedText = *text;
        try {
            source = co_await m_dataProvider->captureApplicationSource(application, copiedText, inferred);
        } catch (...) {
            captureFailure = std::current_exception();
        }
        break;
    }
    }
    if (!self)
        co_return;
    if (captureFailure) {
        publishFailure(QStringLiteral("推断复制来源未记录"), errorDescription(captureFailure),
            AppFeedbackScope::observation, AppRecoveryAction::retryObservation());
        co_return;
    }
    if (!source)
        co_return;

    // What was captured must still be on the pasteboard, or the source would
    // describe content nobody can paste any more.
    const bool unchanged = text ? PasteboardTextSnapshot { changeCount, *text }.matches(pasteboard)
                                : image.snapshot()->matches(pasteboard);
    if (!unchanged) {
        const QSet<QUuid> stale { source->id };
        try {
            co_await m_dataProvider->removePendingSources(stale);
        } catch (...) {
        }
        co_return;
    }

    const QDateTime copiedAt = event.occurredAt;
    std::optional<SessionClipboardItem> item;
    if (text) {
        const QString copiedText = *text;
        item = co_await m_clipboardShelf.upsert(*source, copiedText, changeCount, copiedAt);
    } else {
        const SessionClipboardImage copiedImage = image.snapshot()->image;
        const QString fingerprint = copiedImage.sessionFingerprint();
        item = co_await m_clipboardShelf.upsert(*source, copiedImage, fingerprint, changeCount, copiedAt);
    }
    if (!self || !item)
        co_return;
    const std::optional<QUuid> itemID = item->id;
    publish(&State::currentClipboardItemID, itemID, Field::currentClipboardItemID);
    co_await reloadClipboardShelf(itemID);
    if (!self)
        co_return;
    if (text)
        scheduleClipboardSourceEnrichment(PasteboardTextSnapshot { changeCount, *text }, *itemID, copiedAt);
}

std::optional<PasteExclusionReason> TovraAppModel::sourceExclusion(
    const DestinationSnapshot &destination) const
{
    return copySourceExclusion(destination, m_state.denylistEntries, m_state.isPaused);
}

void TovraAppModel::scheduleClipboardSourceEnrichment(
    PasteboardTextSnapshot clipboard, QUuid shelfItemID, QDateTime capturedAt)
{
    for (const std::chrono::milliseconds delay : enrichmentDelays)
        enrichClipboardSource(clipboard, shelfItemID, capturedAt, delay);
}

QCoro::Task<void> TovraAppModel::enrichClipboardSource(PasteboardTextSnapshot clipboard, QUuid shelfItemID,
    QDateTime capturedAt, std::chrono::milliseconds delay)
{
    QPointer<TovraAppModel> self(this);
    co_await m_platform.clock->sleep(delay);
    if (!self || m_isStopping || !clipboard.matches(*m_platform.pasteboard))
        co_return;
    const QString text = clipboard.text;
    std::optional<PendingSource> found;
    try {
        found = co_await m_dataProvider->resolveClipboardSource(text);
    } catch (...) {
    }
    if (!self || !found)
        co_return;
    // An item the user deleted (or cleared, or purged) meanwhile stays gone:
    // storing the text again would bring the copy back.
    const QDateTime at = capturedAt.addMSecs(delay.count());
    const std::optional<SessionClipboardItem> existing = co_await m_clipboardShelf.item(shelfItemID, at);
    if (!self || !existing)
        co_return;
    const std::optional<SessionClipboardItem> item
        = co_await m_clipboardShelf.upsert(*found, text, clipboard.changeCount, at);
    if (!self || !item || item->id != shelfItemID)
        co_return;
    const std::optional<QUuid> itemID = item->id;
    publish(&State::currentClipboardItemID, itemID, Field::currentClipboardItemID);
    co_await reloadClipboardShelf(itemID);
}

void TovraAppModel::retryPendingSourceCleanup(QSet<QUuid> ids)
{
    runPendingSourceCleanup(std::move(ids));
}

QCoro::Task<void> TovraAppModel::runPendingSourceCleanup(QSet<QUuid> ids)
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    try {
        co_await m_dataProvider->removePendingSources(ids);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure)
        publishFailure(QStringLiteral("来源元数据仍未清理"), errorDescription(failure),
            AppFeedbackScope::clipboard, AppRecoveryAction::retryPendingSourceCleanup(ids));
    else
        showNotice(QStringLiteral("残留的来源元数据已清理。"), QStringLiteral("checkmark.shield"),
            AppFeedbackScope::clipboard);
}

} // namespace tovra::app
