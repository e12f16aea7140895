#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/ObsidianTarget.h"
#include "app/model/PasteCommitFailure.h"
#include "app/model/PasteDestinationRules.h"
#include "app/model/PasteExclusionText.h"
#include "app/model/TovraAppModel.h"
#include "core/citations/CitationRenderer.h"
#include "platform/Clock.h"
#include "platform/SystemIntegrationError.h"
#include "platform/TemporaryPasteboardTextReplacement.h"

#include <QPointer>

namespace tovra::app {

namespace {

constexpr std::chrono::milliseconds restoreDelay { 300 };
// How long a traced paste waits, at most, for the capture of a copy made
// right before it: as long as a copy key may precede its pasteboard change.
constexpr std::chrono::milliseconds copyCaptureCheckInterval { 50 };
constexpr int copyCaptureChecks = 15;

void showPasteNotice(TovraAppModel &model, const QString &message, const char *systemImage)
{
    model.showNotice(message, QLatin1String(systemImage), AppFeedbackScope::paste);
}

} // namespace

void TovraAppModel::requestTracePaste()
{
    beginFeedback(AppFeedbackScope::paste);
    if (!m_hasLoadedPersistentState) {
        showPasteNotice(*this,
            QStringLiteral("本地安全状态尚未加载，本次未执行粘贴。请先解决菜单中的读取错误。"),
            "exclamationmark.triangle");
        return;
    }
    if (m_state.isPaused) {
        showPasteNotice(*this, QStringLiteral("Tovra当前已暂停。"), "pause.circle");
        return;
    }
    if (m_state.isPasting)
        return;
    refreshPermissionState();
    if (!m_state.accessibilityIsTrusted) {
        publish(&State::showAccessibilityEducation, true, Field::showAccessibilityEducation);
        return;
    }
    // A copy made just before the hot key is handled now, as a copy, before
    // the run hides the pasteboard's changes from the copy capture.
    m_pasteboardChangeObserver->poll();
    beginPasteRun();
    m_pasteRunTakesCopies = true;
    performTracePaste();
}

QCoro::Task<void> TovraAppModel::performTracePaste()
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    bool pasteWasSent = false;
    try {
        const ConfirmedPasteTarget confirmed = co_await confirmPasteTarget();
        if (!self)
            co_return;
        const InspectedDestination &target = confirmed.target;
        const Pasteboard &pasteboard = *m_platform.pasteboard;
        if (const auto reason = confirmed.exclusion) {
            const QString reasonText = pasteExclusionText(*reason);
            if (*reason == PasteExclusionReason::paused
                || *reason == PasteExclusionReason::invalidDestination) {
                showPasteNotice(*this,
                    QStringLiteral("未发送粘贴，也未读取剪贴板（") + reasonText + QStringLiteral("）。"),
                    "hand.raised.slash");
            } else {
                m_paster.postPaste(target, std::nullopt);
                showPasteNotice(*this,
                    QStringLiteral("已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（") + reasonText
                        + QStringLiteral("）。目标 App 未回执实际写入。"),
                    "hand.raised.slash");
            }
        } else {
            co_await awaitCopyCapturesBeforeTracedRead();
            if (!self)
                co_return;
            if (const std::optional<QString> text = pasteboard.string()) {
                const PasteboardTextSnapshot clipboard { pasteboard.changeCount(), *text };
                co_await pasteTracedText(target, clipboard);
            } else {
                m_paster.postPaste(target, std::nullopt);
                showPasteNotice(*this,
                    QStringLiteral(
                        "已发送普通粘贴动作；剪贴板不是可匹配文本，未建立记录。目标 App 未回执实际写入。"),
                    "doc.on.clipboard");
            }
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
        // Once the keys went out, a retry would paste the text a second time:
        // it reloads instead.
        const QString title = pasteWasSent ? QStringLiteral("粘贴动作已发送，但记录失败")
                                           : QStringLiteral("带溯源粘贴未执行");
        const AppRecoveryAction recovery
            = pasteWasSent ? AppRecoveryAction::reloadData() : AppRecoveryAction::retryTracePaste();
        co_await publishPasteFailure(failure, title, recovery);
        if (!self)
            co_return;
    }
    finishPasteRun();
}

// The traced paste once the target is settled and the pasteboard holds text:
// the text goes out, with a citation where one is due, and is committed as
// it was copied.
QCoro::Task<void> TovraAppModel::pasteTracedText(
    InspectedDestination target, PasteboardTextSnapshot clipboard)
{
    QPointer<TovraAppModel> self(this);
    Pasteboard &pasteboard = *m_platform.pasteboard;
    const QUuid traceID = QUuid::createUuid();
    const std::optional<QUuid> noPreferredSource;
    PasteboardTextSnapshot expected = clipboard;
    std::optional<TemporaryPasteboardTextReplacement> replacement;

    if (citesInto(target.snapshot)) {
        const QString text = clipboard.text;
        const std::optional<CitationSource> source
            = co_await m_dataProvider->resolveCitationSource(text, traceID, noPreferredSource);
        if (!self)
            co_return;
        if (source
            && CitationRenderer::canRenderExplicitWebCitation(*source, m_state.citationLinkMode, now())) {
            target = m_paster.reconfirm(target);
            if (!clipboard.matches(pasteboard))
                throw SystemIntegrationError(SystemIntegrationError::Kind::clipboardChanged);
            const QString rendered = CitationRenderer::render(
                clipboard.text, *source, m_state.citationFormat, m_state.citationLinkMode, m_timeZone);
            const qint64 before = pasteboard.changeCount();
            replacement = TemporaryPasteboardTextReplacement::install(rendered, pasteboard);
            noteOwnPasteboardWrite(before);
            // Without the replacement the plain text, still in place, goes out.
            if (replacement)
                expected = PasteboardTextSnapshot { replacement->installedChangeCount, rendered };
        }
    }

    DestinationSnapshot destination;
    try {
        destination = m_paster.postPaste(target, PasteboardContentExpectation::text(expected));
    } catch (...) {
        if (replacement) {
            const qint64 before = pasteboard.changeCount();
            replacement->restoreIfUnchanged(pasteboard);
            noteOwnPasteboardWrite(before);
        }
        throw;
    }

    if (replacement) {
        co_await m_platform.clock->sleep(restoreDelay);
        if (!self)
            co_return;
        const qint64 before = pasteboard.changeCount();
        replacement->restoreIfUnchanged(pasteboard);
        noteOwnPasteboardWrite(before);
        co_await refreshCurrentClipboardShelfItem();
        if (!self)
            co_return;
        co_await reloadClipboardShelf(std::nullopt);
        if (!self)
            co_return;
    }

    const std::optional<QString> committedText = clipboard.text;
    const std::optional<QUuid> committedTraceID = traceID;
    const PasteCommit commit = co_await commitOfSentPaste(
        m_dataProvider->commitTracePaste(destination, committedText, committedTraceID, noPreferredSource));
    if (!self)
        co_return;

    const PastePreparationOutcome &outcome = commit.outcome;
    switch (outcome.kind()) {
    case PastePreparationOutcome::Kind::recorded:
        putRecordInFront(*outcome.record());
        showPasteNotice(*this,
            replacement ? QStringLiteral(
                "已发送包含 Markdown 来源的粘贴动作并记录 App 流向；Obsidian 尚未回执实际写入。")
                        : QStringLiteral("已发送粘贴动作并记录来源与目标；目标 App 未回执实际写入。"),
            "eye");
        break;
    case PastePreparationOutcome::Kind::excluded: {
        const bool sensitive = outcome.exclusionReason() == PasteExclusionReason::sensitiveField;
        showPasteNotice(*this,
            (sensitive ? QStringLiteral("敏感目标") : QStringLiteral("未记录"))
                + QStringLiteral("：已发送粘贴动作但未记录（")
                + pasteExclusionText(*outcome.exclusionReason())
                + QStringLiteral("）。目标 App 未回执实际写入。"),
            sensitive ? "hand.raised.slash" : "exclamationmark.circle");
        break;
    }
    case PastePreparationOutcome::Kind::sourceUnmatched:
        showPasteNotice(*this,
            QStringLiteral(
                "已发送粘贴动作；未找到 HMAC 匹配的待处理来源，因此未建立记录。目标 App 未回执实际写入。"),
            "link.badge.plus");
        break;
    }

    const NativeHostStatus hostStatus = co_await m_dataProvider->nativeHostStatus();
    if (!self)
        co_return;
    publish(&State::nativeHostStatus, hostStatus, Field::nativeHostStatus);
}

QCoro::Task<TovraAppModel::ConfirmedPasteTarget> TovraAppModel::confirmPasteTarget()
{
    QPointer<TovraAppModel> self(this);
    const InspectedDestination inspected = m_inspector->inspect();
    const InspectedDestination stable = co_await m_paster.activateAndConfirm(inspected);
    if (!self)
        co_return ConfirmedPasteTarget {};
    const std::optional<PasteExclusionReason> first = immediateExclusion(stable.snapshot);
    std::optional<PasteExclusionReason> preflight;
    if (!first) {
        const DestinationSnapshot destination = stable.snapshot;
        preflight = co_await m_dataProvider->preflightTracePaste(destination);
        if (!self)
            co_return ConfirmedPasteTarget {};
    }
    ConfirmedPasteTarget confirmed { m_paster.reconfirm(stable), std::nullopt };
    const std::optional<PasteExclusionReason> second = immediateExclusion(confirmed.target.snapshot);
    confirmed.exclusion = second ? second : first ? first : preflight;
    co_return confirmed;
}

std::optional<PasteExclusionReason> TovraAppModel::immediateExclusion(
    const DestinationSnapshot &destination) const
{
    return pasteTargetExclusion(destination, m_state.denylistEntries, m_state.isPaused);
}

QCoro::Task<void> TovraAppModel::awaitCopyCapturesBeforeTracedRead()
{
    QPointer<TovraAppModel> self(this);
    m_pasteboardChangeObserver->poll();
    for (int check = 0; check < copyCaptureChecks && m_copyCapturesInFlight > 0; ++check) {
        co_await m_platform.clock->sleep(copyCaptureCheckInterval);
        if (!self)
            co_return;
    }
    m_pasteRunTakesCopies = false;
}

bool TovraAppModel::citesInto(const DestinationSnapshot &target) const
{
    return m_state.obsidianCitationEnabled && isObsidian(target.bundleIdentifier, target.applicationName);
}

void TovraAppModel::putRecordInFront(const ProvenanceRecord &record)
{
    QList<ProvenanceRecord> records = m_state.records;
    records.removeIf([&record](const ProvenanceRecord &existing) { return existing.id == record.id; });
    records.prepend(record);
    publish(&State::records, std::move(records), Field::records);
}

void TovraAppModel::beginPasteRun()
{
    m_pasteRunChangeCount = m_pasteboardChangeObserver->lastChangeCount();
    publish(&State::isPasting, true, Field::isPasting);
}

void TovraAppModel::noteOwnPasteboardWrite(qint64 changeCountBefore)
{
    if (const qint64 after = m_platform.pasteboard->changeCount(); after != changeCountBefore)
        m_pasteRunChangeCount = after;
}

// The copy capture ignores every change while a paste runs. Resuming it at
// the run's own last write hides exactly those writes: a copy the user made
// meanwhile moved the pasteboard further and is reported at the next poll.
void TovraAppModel::finishPasteRun()
{
    m_pasteRunTakesCopies = false;
    m_pasteboardChangeObserver->setLastChangeCount(m_pasteRunChangeCount);
    publish(&State::isPasting, false, Field::isPasting);
}

QCoro::Task<void> TovraAppModel::publishPasteFailure(
    std::exception_ptr failure, QString title, AppRecoveryAction recovery)
{
    QPointer<TovraAppModel> self(this);
    co_await refreshCurrentClipboardShelfItem();
    if (!self)
        co_return;
    co_await reloadClipboardShelf(std::nullopt);
    if (!self)
        co_return;
    publishFailure(title, errorDescription(failure), AppFeedbackScope::paste, std::move(recovery));
}

} // namespace tovra::app
