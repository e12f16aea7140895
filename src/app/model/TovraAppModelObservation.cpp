#include "app/data/TovraAppDataProviding.h"
#include "app/model/ErrorDescription.h"
#include "app/model/ObservationDecision.h"
#include "app/model/TovraAppModel.h"
#include "app/model/UserDefaultsKeys.h"

#include <QPointer>
#include <QSettings>

namespace tovra::app {

void TovraAppModel::refreshPermissionState()
{
    publish(&State::accessibilityIsTrusted, m_accessibility.isTrusted(), Field::accessibilityIsTrusted);
    publish(&State::inputMonitoringIsTrusted, m_inputMonitoring.isTrusted(), Field::inputMonitoringIsTrusted);
}

void TovraAppModel::refreshObservationMode()
{
    if (m_isStopping)
        return;
    refreshPermissionState();
    const ObservationDecision decision = decideObservation(m_state.observationEnabled, m_state.isPaused,
        m_state.accessibilityIsTrusted, m_state.inputMonitoringIsTrusted);

    if (!decision.keyObserverRuns)
        m_clipboardCommandObserver.stop();
    if (decision.pasteboardObserverRuns)
        startPasteboardInference();
    else
        m_pasteboardChangeObserver->stop();
    if (decision.forgetsObservedState) {
        m_pendingKeyboardCopy.reset();
        publish(&State::currentClipboardItemID, std::nullopt, Field::currentClipboardItemID);
    }

    if (decision.keyObserverRuns) {
        try {
            startKeyObservation();
        } catch (...) {
            m_clipboardCommandObserver.stop();
            startPasteboardInference();
            publish(&State::observationStatus, ObservationModeStatus::unavailable, Field::observationStatus);
            publishFailure(QStringLiteral("观察模式未启动"), errorDescription(std::current_exception()),
                AppFeedbackScope::observation, AppRecoveryAction::retryObservation());
            return;
        }
    }
    publish(&State::observationStatus, decision.status, Field::observationStatus);
}

void TovraAppModel::restartObservationMode()
{
    beginFeedback(AppFeedbackScope::observation);
    m_clipboardCommandObserver.stop();
    m_pasteboardChangeObserver->stop();
    refreshObservationMode();
    // A start that failed again keeps its failure on display: a reassuring
    // notice would replace it.
    if (m_state.observationStatus == ObservationModeStatus::unavailable)
        return;
    const bool observing = m_state.observationStatus == ObservationModeStatus::observing;
    if (!observing && !m_pasteboardChangeObserver->isRunning())
        return;
    showNotice(observing ? QStringLiteral("观察模式已重新启动。")
                         : QStringLiteral("已恢复剪贴板变化推断；标准粘贴仍需输入监控权限。"),
        observationStatusSymbol(m_state.observationStatus), AppFeedbackScope::observation);
}

void TovraAppModel::togglePaused()
{
    if (m_state.isUpdatingPauseState)
        return;
    beginFeedback(AppFeedbackScope::pause);
    const bool target = !m_state.isPaused;
    ++m_pauseChangeCount;
    publish(&State::isUpdatingPauseState, true, Field::isUpdatingPauseState);
    publish(&State::isPaused, target, Field::isPaused);
    if (target)
        showNotice(QStringLiteral("已暂停；不会观察或写入新的溯源记录。"), QStringLiteral("pause.circle"),
            AppFeedbackScope::pause);
    else
        showNotice(QStringLiteral("已恢复运行。"), QStringLiteral("play.circle"), AppFeedbackScope::pause);
    storePausedState(target);
    refreshObservationMode();
    refreshClipboardShelfTarget();
}

QCoro::Task<void> TovraAppModel::storePausedState(bool target)
{
    QPointer<TovraAppModel> self(this);
    std::exception_ptr failure;
    try {
        co_await invalidateResolverCache();
        if (!self)
            co_return;
        co_await m_dataProvider->setPaused(target);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!self)
        co_return;
    if (failure) {
        publish(&State::isPaused, !target, Field::isPaused);
        publishFailure(QStringLiteral("无法同步暂停状态"),
            QStringLiteral("Chrome Native Host 可能仍保持原状态。") + errorDescription(failure),
            AppFeedbackScope::pause, AppRecoveryAction::reloadData());
    } else {
        // A reload that ran meanwhile left the switch alone; the ledger now
        // holds what was written.
        publish(&State::isPaused, target, Field::isPaused);
    }
    publish(&State::isUpdatingPauseState, false, Field::isUpdatingPauseState);
    refreshObservationMode();
    refreshClipboardShelfTarget();
}

void TovraAppModel::setObservationEnabled(bool enabled)
{
    beginFeedback(AppFeedbackScope::observation);
    publish(&State::observationEnabled, enabled, Field::observationEnabled);
    userDefaults().setValue(userDefaultsKeys::observationEnabled, enabled);
    refreshPermissionState();
    if (enabled && !(m_state.accessibilityIsTrusted && m_state.inputMonitoringIsTrusted))
        setShowObservationEducation(true);
    refreshObservationMode();
}

void TovraAppModel::setShowAccessibilityEducation(bool show)
{
    publish(&State::showAccessibilityEducation, show, Field::showAccessibilityEducation);
}

void TovraAppModel::setShowObservationEducation(bool show)
{
    publish(&State::showObservationEducation, show, Field::showObservationEducation);
}

void TovraAppModel::requestAccessibilityPermission()
{
    beginFeedback(AppFeedbackScope::permissions);
    userDefaults().setValue(userDefaultsKeys::hasExplainedAccessibility, true);
    m_accessibility.requestTrustWithPrompt();
    showNotice(QStringLiteral("请在系统设置中允许Tovra，然后回到目标输入框再次使用 ⌥⇧V。"),
        QStringLiteral("hand.raised"), AppFeedbackScope::permissions);
    refreshObservationMode();
}

void TovraAppModel::requestObservationPermissions()
{
    beginFeedback(AppFeedbackScope::permissions);
    userDefaults().setValue(userDefaultsKeys::hasExplainedObservationPermissions, true);
    refreshPermissionState();
    QString requested;
    if (!m_state.inputMonitoringIsTrusted) {
        // The relaunch that makes a grant take effect is promised only where
        // the user grants it on a settings page; elsewhere nothing would
        // ever consume the intent.
        if (m_inputMonitoring.hasSystemSettingsPage())
            m_permissionRelaunchIntentStore.recordInputMonitoringRelaunchIntent();
        m_inputMonitoring.requestAccess();
        requested = QStringLiteral("输入监控");
    } else if (!m_state.accessibilityIsTrusted) {
        m_accessibility.requestTrustWithPrompt();
        requested = QStringLiteral("辅助功能");
    } else {
        requested = QStringLiteral("所需权限");
    }
    showNotice(QStringLiteral("已请求") + requested
            + QStringLiteral(
                "。请在系统设置中允许后回到Tovra点击“重新检测”；如仍缺一项，再点击“申请下一项权限”。"),
        QStringLiteral("exclamationmark.shield"), AppFeedbackScope::permissions);
    refreshObservationMode();
}

void TovraAppModel::refreshPermissions()
{
    beginFeedback(AppFeedbackScope::permissions);
    refreshObservationMode();
    const ObservationModeStatus status = m_state.observationStatus;
    showNotice(status == ObservationModeStatus::observing ? QStringLiteral("观察模式已启动。")
                                                          : QStringLiteral("权限状态已刷新；当前为")
                + observationStatusTitle(status) + QStringLiteral("。"),
        observationStatusSymbol(status), AppFeedbackScope::permissions);
}

void TovraAppModel::presentPermissionRelaunchRecovery()
{
    beginFeedback(AppFeedbackScope::permissions);
    refreshPermissionState();
    setShowSettings(true);
    if (m_state.inputMonitoringIsTrusted)
        showNotice(QStringLiteral("Tovra已重新打开，输入监控权限已生效。"),
            QStringLiteral("checkmark.shield"), AppFeedbackScope::permissions);
    else
        showNotice(QStringLiteral("Tovra已重新打开，但尚未检测到输入监控权限。请确认系统设置中的开关已开启，"
                                  "再点击“重新检测”。"),
            QStringLiteral("exclamationmark.shield"), AppFeedbackScope::permissions);
}

} // namespace tovra::app
