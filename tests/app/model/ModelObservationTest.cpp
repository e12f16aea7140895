#include "ModelTestSupport.h"
#include "app/model/UserDefaultsKeys.h"
#include "platform/PasteboardChangeObserver.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

using Status = ObservationModeStatus;

bool followsPasteboard(TovraAppModel &model)
{
    return model.findChild<PasteboardChangeObserver *>()->isRunning();
}

TEST(ModelObservationTest, TheSwitchThePauseAndThePermissionsDecideWhatIsObserved)
{
    const QString pasteboardOnly = QStringLiteral("已恢复剪贴板变化推断；标准粘贴仍需输入监控权限。");
    const struct {
        const char *name;
        bool enabled, paused, accessibility, inputMonitoring;
        Status status;
        bool keys, pasteboard, education;
        QString restartNotice;
    } cases[] = {
        { "switched off", false, false, true, true, Status::dedicated, false, false, false, {} },
        { "paused", true, true, true, true, Status::dedicated, false, false, false, {} },
        { "no permission", true, false, false, false, Status::permissionRequired, false, false, true, {} },
        { "no accessibility", true, false, false, true, Status::permissionRequired, false, false, true, {} },
        { "no input monitoring", true, false, true, false, Status::permissionRequired, false, true, true,
            pasteboardOnly },
        { "both granted", true, false, true, true, Status::observing, true, true, false,
            QStringLiteral("观察模式已重新启动。") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.desktop.accessibility().setTrusted(c.accessibility);
        h.desktop.inputMonitoring().setTrusted(c.inputMonitoring);
        h.provider->willReturn(op::currentPausedStatus, c.paused);
        h.finish(h.model().reload());
        h.model().setObservationEnabled(c.enabled);

        const auto &state = h.model().state();
        EXPECT_EQ(h.settings->value(userDefaultsKeys::observationEnabled).toBool(), c.enabled);
        EXPECT_EQ(state.observationStatus, c.status);
        EXPECT_EQ(h.desktop.keyboard().isObserving(), c.keys);
        EXPECT_EQ(followsPasteboard(h.model()), c.pasteboard);
        EXPECT_EQ(state.showObservationEducation, c.education);

        h.model().restartObservationMode();
        EXPECT_EQ(state.observationStatus, c.status);
        EXPECT_EQ(state.feedback.notice ? state.feedback.notice->message : QString(), c.restartNotice);
    }
}

TEST(ModelObservationTest, AKeyObserverThatCannotStartKeepsItsFailureUntilItStarts)
{
    ModelHarness h;
    h.desktop.keyboard().setObservationFails(true);
    h.model().setObservationEnabled(true);
    const auto &state = h.model().state();
    const auto failed = std::tuple(QStringLiteral("观察模式未启动"),
        QStringLiteral("无法启动键盘快捷键监听；标准复制粘贴暂时不会被观察。"), AppFeedbackScope::observation,
        AppRecoveryAction::retryObservation());
    EXPECT_EQ(shownFailure(state.feedback), failed);
    EXPECT_EQ(state.observationStatus, Status::unavailable);
    EXPECT_TRUE(followsPasteboard(h.model()));

    h.model().recover(*state.feedback.failure);
    EXPECT_EQ(shownFailure(state.feedback), failed);
    EXPECT_FALSE(state.feedback.notice);

    h.desktop.keyboard().setObservationFails(false);
    h.model().recover(*state.feedback.failure);
    EXPECT_EQ(state.observationStatus, Status::observing);
    EXPECT_FALSE(state.feedback.failure);
    EXPECT_EQ(state.feedback.notice->message, QStringLiteral("观察模式已重新启动。"));
}

// While the ledger is asked, the switch shows the target, a second toggle is
// ignored and a reload does not move the switch back.
TEST(ModelObservationTest, PauseShowsAtOnceAndStaysOnlyWhenTheLedgerTakesIt)
{
    const struct {
        const char *name;
        bool refused;
        bool paused;
        Status status;
    } cases[] = {
        { "stored", false, true, Status::dedicated },
        { "refused", true, false, Status::observing },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.model().setObservationEnabled(true);
        h.provider->hold(op::setPaused);
        if (c.refused)
            h.provider->willFail(op::setPaused, QStringLiteral("账本已锁定"));

        h.model().togglePaused();
        const auto &state = h.model().state();
        EXPECT_TRUE(state.isPaused);
        EXPECT_TRUE(state.isUpdatingPauseState);
        EXPECT_EQ(state.observationStatus, Status::dedicated);
        EXPECT_EQ(state.feedback.notice->message, QStringLiteral("已暂停；不会观察或写入新的溯源记录。"));
        h.model().togglePaused();
        h.finish(h.model().reload());
        EXPECT_TRUE(state.isPaused);

        h.provider->release(op::setPaused);
        EXPECT_EQ(h.provider->callCount(op::setPaused), 1);
        EXPECT_TRUE(h.provider->calls(op::setPaused).at(0).argument<bool>(0));
        EXPECT_EQ(state.isPaused, c.paused);
        EXPECT_FALSE(state.isUpdatingPauseState);
        EXPECT_EQ(state.observationStatus, c.status);
        const auto refusal = std::tuple(QStringLiteral("无法同步暂停状态"),
            QStringLiteral("Chrome Native Host 可能仍保持原状态。账本已锁定"), AppFeedbackScope::pause,
            AppRecoveryAction::reloadData());
        EXPECT_EQ(shownFailure(state.feedback), c.refused ? std::optional(refusal) : std::nullopt);
        EXPECT_EQ(bool(state.feedback.notice), !c.refused);
    }
}

// The flag that reload asked for before the toggle was stored is older than
// the toggle, however late its answer comes.
TEST(ModelObservationTest, AReloadAnsweredAfterAToggleKeepsTheToggledSwitch)
{
    ModelHarness h;
    h.provider->hold(op::currentPausedStatus);
    auto reloading = h.model().reload();
    h.model().togglePaused();
    ASSERT_FALSE(h.model().state().isUpdatingPauseState);
    h.provider->release(op::currentPausedStatus);
    h.finish(std::move(reloading));
    EXPECT_TRUE(h.model().state().isPaused);
}

TEST(ModelObservationTest, RequestsTheNextMissingPermission)
{
    const struct {
        const char *name;
        bool accessibility, inputMonitoring, settingsPage;
        QString requested;
        int inputMonitoringRequests, accessibilityPrompts;
        bool relaunchIntent;
    } cases[] = {
        { "input monitoring", true, false, true, QStringLiteral("输入监控"), 1, 0, true },
        { "input monitoring without a settings page", true, false, false, QStringLiteral("输入监控"), 1, 0,
            false },
        { "accessibility", false, true, true, QStringLiteral("辅助功能"), 0, 1, false },
        { "nothing missing", true, true, true, QStringLiteral("所需权限"), 0, 0, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.desktop.accessibility().setTrusted(c.accessibility);
        h.desktop.inputMonitoring().setTrusted(c.inputMonitoring);
        if (!c.settingsPage)
            h.desktop.inputMonitoring().setSystemSettingsURL(std::nullopt);

        h.model().requestObservationPermissions();
        EXPECT_EQ(h.desktop.inputMonitoring().requestCount(), c.inputMonitoringRequests);
        EXPECT_EQ(h.desktop.accessibility().promptCount(), c.accessibilityPrompts);
        EXPECT_EQ(h.settings->contains(PermissionRelaunchIntentStore::intentKey), c.relaunchIntent);
        EXPECT_EQ(h.model().state().feedback.notice->message,
            QStringLiteral("已请求") + c.requested
                + QStringLiteral(
                    "。请在系统设置中允许后回到Tovra点击“重新检测”；如仍缺一项，再点击“申请下一项权限”。"));
    }
}

} // namespace
} // namespace tovra::app::testing
