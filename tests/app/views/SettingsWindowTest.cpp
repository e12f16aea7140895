#include "WidgetSearch.h"
#include "app/model/ModelTestSupport.h"
#include "app/model/UserDefaultsKeys.h"
#include "app/views/FailureBanner.h"
#include "app/views/NoticeBanner.h"
#include "app/views/settings/SettingsWindow.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tovra::app::testing {
namespace {

class SettingsWindowTest : public ::testing::Test {
protected:
    views::SettingsWindow &window()
    {
        if (!m_window) {
            m_window = std::make_unique<views::SettingsWindow>(h.model());
            m_window->show();
        }
        return *m_window;
    }

    ModelHarness h;

private:
    std::unique_ptr<views::SettingsWindow> m_window;
};

struct BannerCase {
    std::optional<AppFeedbackScope> failureScope;
    std::optional<AppFeedbackScope> noticeScope;
    bool failureShown;
    bool noticeShown;
};

class SettingsBannerTest : public SettingsWindowTest, public ::testing::WithParamInterface<BannerCase> {};

TEST_P(SettingsBannerTest, ShowsOnlyPermissionAndObservationFeedbackFailureFirst)
{
    const BannerCase &banner = GetParam();
    if (banner.noticeScope)
        h.model().showNotice(QStringLiteral("权限状态已刷新"), QStringLiteral("eye"), *banner.noticeScope);
    if (banner.failureScope) {
        h.model().publishFailure(QStringLiteral("观察模式未启动"), QStringLiteral("无法监听按键"),
            *banner.failureScope, AppRecoveryAction::retryObservation());
    }

    EXPECT_EQ(isShownIn(window().findChild<views::FailureBanner *>(), &window()), banner.failureShown);
    EXPECT_EQ(isShownIn(window().findChild<views::NoticeBanner *>(), &window()), banner.noticeShown);
}

INSTANTIATE_TEST_SUITE_P(Scopes, SettingsBannerTest,
    ::testing::Values(BannerCase { AppFeedbackScope::permissions, AppFeedbackScope::observation, true, false },
        BannerCase { AppFeedbackScope::export_, AppFeedbackScope::permissions, false, true },
        BannerCase { AppFeedbackScope::clipboard, std::nullopt, false, false },
        BannerCase { std::nullopt, AppFeedbackScope::records, false, false },
        BannerCase { AppFeedbackScope::observation, std::nullopt, true, false }));

TEST_F(SettingsWindowTest, BannerButtonsDismissAndRetryThroughTheModel)
{
    h.model().publishFailure(QStringLiteral("观察模式未启动"), QStringLiteral("无法监听按键"),
        AppFeedbackScope::observation, AppRecoveryAction::refreshPermissions());
    // The banner's retry, not the section's button of the same name.
    auto *banner = window().findChild<views::FailureBanner *>();
    QAbstractButton *retry = childNamed<QAbstractButton>(banner, QStringLiteral("重新检测"));
    ASSERT_TRUE(retry);
    retry->click();
    // The retry consumed the failure and re-checked the permissions, which ends in a notice.
    EXPECT_FALSE(h.model().state().feedback.failure);
    ASSERT_TRUE(h.model().state().feedback.notice);
    EXPECT_EQ(h.model().state().feedback.notice->scope, AppFeedbackScope::permissions);

    childNamed<QAbstractButton>(&window(), QStringLiteral("关闭提示"))->click();
    EXPECT_FALSE(h.model().state().feedback.notice);
}

struct ExtensionIDCase {
    const char *typed;
    bool installable;
};

class ExtensionIDTest : public SettingsWindowTest, public ::testing::WithParamInterface<ExtensionIDCase> {};

TEST_P(ExtensionIDTest, InstallButtonFollowsTheModelsCheckOfTheTypedID)
{
    auto *field = childNamed<QLineEdit>(&window(), QStringLiteral("Chrome 扩展 ID"));
    auto *install = childNamed<QPushButton>(&window(), QStringLiteral("安装或修复 Chrome 本地组件"));
    ASSERT_TRUE(field && install);
    EXPECT_FALSE(install->isEnabled());

    QTest::keyClicks(field, QString::fromLatin1(GetParam().typed));

    EXPECT_EQ(h.model().state().nativeHostExtensionID, QString::fromLatin1(GetParam().typed));
    EXPECT_EQ(install->isEnabled(), GetParam().installable);
}

INSTANTIATE_TEST_SUITE_P(IDs, ExtensionIDTest,
    ::testing::Values(ExtensionIDCase { "abcdefghijklmnopabcdefghijklmnop", true },
        ExtensionIDCase { "abcdefghijklmnopabcdefghijklmnop ", true },
        ExtensionIDCase { "ABCDEFGHIJKLMNOPABCDEFGHIJKLMNOP", false },
        ExtensionIDCase { "abcdefghijklmnopabcdefghijklmno", false },
        ExtensionIDCase { "abcdefghijklmnopabcdefghijklmnopa", false },
        ExtensionIDCase { "abcdefghijklmnopabcdefghijklmn12", false }));

// Screen readers and automation tools set the whole text at once, without keystrokes.
TEST_F(SettingsWindowTest, AnIDSetThroughAccessibilityReachesTheModel)
{
    auto *field = childNamed<QLineEdit>(&window(), QStringLiteral("Chrome 扩展 ID"));
    auto *install = childNamed<QPushButton>(&window(), QStringLiteral("安装或修复 Chrome 本地组件"));
    ASSERT_TRUE(field && install);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(field);
    ASSERT_TRUE(accessible);

    accessible->setText(QAccessible::Value, QStringLiteral("abcdefghijklmnopabcdefghijklmnop"));

    EXPECT_EQ(h.model().state().nativeHostExtensionID, QStringLiteral("abcdefghijklmnopabcdefghijklmnop"));
    EXPECT_TRUE(install->isEnabled());
}

// A ledger that fails to load is not reported as usable.
TEST_F(SettingsWindowTest, AFailedLoadShowsTheLedgerAsUnavailable)
{
    h.provider->willFail(op::listRecords, QStringLiteral("账本文件无法解密"));
    h.finish(h.model().start());

    const auto labels = window().findChildren<QLabel *>();
    const auto shownText = [&](const QString &text) {
        return std::any_of(labels.begin(), labels.end(),
            [&](const QLabel *label) { return label->text().contains(text) && isShownIn(label, &window()); });
    };
    EXPECT_TRUE(shownText(QStringLiteral("本地账本不可用；Chrome 网页 URL 来源暂时无法写入。")));
    EXPECT_FALSE(shownText(QStringLiteral("本地账本可用")));
    EXPECT_TRUE(isShownIn(childNamed<QWidget>(&window(), QStringLiteral("Chrome 增强器不可用")), &window()));
}

TEST_F(SettingsWindowTest, InstallingReplacesTheFieldAndShowsTheOutcome)
{
    auto *field = childNamed<QLineEdit>(&window(), QStringLiteral("Chrome 扩展 ID"));
    QTest::keyClicks(field, QStringLiteral("abcdefghijklmnopabcdefghijklmnop "));
    childNamed<QPushButton>(&window(), QStringLiteral("安装或修复 Chrome 本地组件"))->click();

    EXPECT_EQ(field->text(), QStringLiteral("abcdefghijklmnopabcdefghijklmnop"));
    const QString message = *h.model().state().nativeHostInstallationMessage;
    EXPECT_TRUE(isShownIn(childNamed<QWidget>(&window(), message), &window()));
}

TEST_F(SettingsWindowTest, ObsidianSwitchPersistsItsKey)
{
    auto *citations = childNamed<QCheckBox>(&window(), QStringLiteral("⌥⇧V 在 Obsidian 中粘贴为来源链接"));
    ASSERT_TRUE(citations);

    for (const bool expected : { true, false }) {
        citations->click();
        EXPECT_EQ(citations->isChecked(), expected);
        EXPECT_EQ(h.model().state().obsidianCitationEnabled, expected);
        EXPECT_EQ(h.settings->value(userDefaultsKeys::obsidianCitationEnabled).toBool(), expected);
    }
}

struct SwitchCase {
    const char *name;
    bool TovraAppModelState::*setting;
};

class SettingSwitchTest : public SettingsWindowTest, public ::testing::WithParamInterface<SwitchCase> { };

// A screen reader toggles a switch through its accessible action, which
// flips the mark without a click: the setting follows all the same.
TEST_P(SettingSwitchTest, TheAccessibleToggleActionChangesTheSetting)
{
    auto *toggle = childNamed<QCheckBox>(&window(), QString::fromUtf8(GetParam().name));
    ASSERT_TRUE(toggle);
    QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(toggle)->actionInterface();
    ASSERT_TRUE(actions);

    for (const bool expected :
        { !(h.model().state().*GetParam().setting), h.model().state().*GetParam().setting }) {
        actions->doAction(QAccessibleActionInterface::toggleAction());
        EXPECT_EQ(h.model().state().*GetParam().setting, expected);
        EXPECT_EQ(toggle->isChecked(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Switches, SettingSwitchTest,
    ::testing::Values(SwitchCase { "观察标准复制粘贴快捷键", &TovraAppModelState::observationEnabled },
        SwitchCase { "⌥⇧V 在 Obsidian 中粘贴为来源链接", &TovraAppModelState::obsidianCitationEnabled }));

// Framed buttons keep a margin around their text, and the ID field's
// placeholder stands off its frame.
TEST_F(SettingsWindowTest, ButtonsAndTheIDFieldLeaveRoomInsideTheirFrames)
{
    for (QPushButton *button : window().findChildren<QPushButton *>()) {
        if (button->isFlat() || !isShownIn(button, &window()))
            continue;
        SCOPED_TRACE(button->text().toStdString());
        const int symbol = button->icon().isNull() ? 0 : button->iconSize().width();
        EXPECT_GE(button->width(), button->fontMetrics().horizontalAdvance(button->text()) + symbol + 24);
    }
    auto *field = childNamed<QLineEdit>(&window(), QStringLiteral("Chrome 扩展 ID"));
    ASSERT_TRUE(field);
    EXPECT_GE(field->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x(), 6);
}

// Both permission rows offer "系统设置", granted or not; where this desktop
// has no page for a permission, the button is there but disabled, and says why.
TEST_F(SettingsWindowTest, BothPermissionRowsOfferSystemSettingsGrantedOrNot)
{
    h.desktop.inputMonitoring().setSystemSettingsURL(std::nullopt);
    for (const bool granted : { false, true }) {
        SCOPED_TRACE(granted);
        h.desktop.accessibility().setTrusted(granted);
        h.desktop.inputMonitoring().setTrusted(granted);
        h.model().refreshPermissions();
        QStringList offered;
        QStringList enabled;
        for (QPushButton *button : childrenNamed<QPushButton>(&window(), QStringLiteral("系统设置"))) {
            if (!isShownIn(button, &window()))
                continue;
            offered.append(button->accessibleDescription());
            if (button->isEnabled())
                enabled.append(button->accessibleDescription());
            else
                EXPECT_FALSE(button->toolTip().isEmpty());
        }
        EXPECT_EQ(offered, (QStringList { QStringLiteral("输入监控"), QStringLiteral("辅助功能") }));
        EXPECT_EQ(enabled, QStringList { QStringLiteral("辅助功能") });
    }
}

TEST_F(SettingsWindowTest, SigningHintShowsOnlyWhileAPermissionIsMissing)
{
    h.desktop.accessibility().setTrusted(false);
    h.model().refreshPermissions();
    auto *reveal = childNamed<QPushButton>(&window(), QStringLiteral("在访达中显示当前开发包"));
    EXPECT_TRUE(isShownIn(reveal, &window()));

    h.desktop.accessibility().setTrusted(true);
    h.model().refreshPermissions();
    EXPECT_FALSE(isShownIn(reveal, &window()));
}

TEST_F(SettingsWindowTest, CancellingTheObservationEducationTurnsObservationOff)
{
    h.desktop.inputMonitoring().setTrusted(false);
    window();
    childNamed<QCheckBox>(&window(), QStringLiteral("观察标准复制粘贴快捷键"))->click();
    ASSERT_TRUE(h.model().state().observationEnabled);

    auto *education = window().findChild<QMessageBox *>();
    ASSERT_TRUE(education && education->isVisible());
    childNamed<QPushButton>(education, QStringLiteral("取消"))->click();

    EXPECT_FALSE(h.model().state().showObservationEducation);
    EXPECT_FALSE(h.model().state().observationEnabled);
    EXPECT_FALSE(childNamed<QCheckBox>(&window(), QStringLiteral("观察标准复制粘贴快捷键"))->isChecked());
}

TEST_F(SettingsWindowTest, ClosingLowersTheModelsFlag)
{
    h.model().setShowSettings(true);
    window().close();
    EXPECT_FALSE(h.model().state().showSettings);
}

} // namespace
} // namespace tovra::app::testing
