#include "app/model/FailureLog.h"
#include "app/model/FeedbackRules.h"
#include "app/model/TovraAppModel.h"

namespace tovra::app {

void TovraAppModel::showNotice(const QString &message, const QString &systemImage, AppFeedbackScope scope)
{
    publish(&State::feedback,
        feedback::withNotice(
            m_state.feedback, AppNotice { QUuid::createUuid(), message, systemImage, scope }),
        Field::feedback);
}

void TovraAppModel::publishFailure(
    const QString &title, const QString &message, AppFeedbackScope scope, AppRecoveryAction recovery)
{
    // An operation the ending app cut short is no failure to show.
    if (m_isStopping)
        return;
    logFailure(scope, title, message);
    publish(&State::feedback,
        feedback::withFailure(
            m_state.feedback, AppFailure { QUuid::createUuid(), title, message, scope, std::move(recovery) }),
        Field::feedback);
}

void TovraAppModel::beginFeedback(AppFeedbackScope scope)
{
    publish(&State::feedback, feedback::cleared(m_state.feedback, scope), Field::feedback);
}

void TovraAppModel::dismissNotice()
{
    publish(&State::feedback, AppFeedbackState { std::nullopt, m_state.feedback.failure }, Field::feedback);
}

void TovraAppModel::dismissFailure()
{
    publish(&State::feedback, AppFeedbackState { m_state.feedback.notice, std::nullopt }, Field::feedback);
}

void TovraAppModel::recover(const AppFailure &failure)
{
    // A banner that is no longer the current failure has nothing to retry.
    if (!m_state.feedback.failure || m_state.feedback.failure->id != failure.id)
        return;
    dismissFailure();

    const AppRecoveryAction &recovery = failure.recovery;
    switch (recovery.kind()) {
    case AppRecoveryAction::Kind::retryHistoricalPaste:
        requestHistoricalPaste(recovery.identifier());
        return;
    case AppRecoveryAction::Kind::retrySetClipboard:
        beginFeedback(AppFeedbackScope::clipboard);
        runSetClipboardItemAsCurrent(*recovery.identifier());
        return;
    case AppRecoveryAction::Kind::retryDeleteRecord: {
        const QUuid id = *recovery.identifier();
        const auto found = std::find_if(m_state.records.cbegin(), m_state.records.cend(),
            [&id](const ProvenanceRecord &record) { return record.id == id; });
        if (found == m_state.records.cend()) {
            showNotice(QStringLiteral("该记录已不存在，无需再次删除。"), QStringLiteral("checkmark.circle"),
                AppFeedbackScope::records);
            return;
        }
        setPendingDeletion(*found);
        confirmDelete();
        return;
    }
    case AppRecoveryAction::Kind::retryAddDenylist: {
        const auto [kind, pattern] = *recovery.denylistAddition();
        beginFeedback(AppFeedbackScope::denylist);
        runAddDenylistEntry(kind, pattern);
        return;
    }
    case AppRecoveryAction::Kind::retryRemoveDenylist: {
        const DenylistEntry entry = *recovery.denylistEntry();
        if (entry.isDefault)
            return;
        beginFeedback(AppFeedbackScope::denylist);
        runRemoveDenylistEntry(entry);
        return;
    }
    case AppRecoveryAction::Kind::retryPendingSourceCleanup:
        beginFeedback(AppFeedbackScope::clipboard);
        runPendingSourceCleanup(*recovery.pendingSourceIDs());
        return;
    case AppRecoveryAction::Kind::retryExport:
        exportRecords(*recovery.exportFormat());
        return;
    case AppRecoveryAction::Kind::reloadData:
        reload();
        return;
    case AppRecoveryAction::Kind::retryHotKey:
        registerHotKey();
        return;
    case AppRecoveryAction::Kind::refreshPermissions:
        refreshPermissions();
        return;
    case AppRecoveryAction::Kind::retryObservation:
        restartObservationMode();
        return;
    case AppRecoveryAction::Kind::retryTracePaste:
        requestTracePaste();
        return;
    case AppRecoveryAction::Kind::retryClearRecords:
        clearAllRecords();
        return;
    }
}

} // namespace tovra::app
