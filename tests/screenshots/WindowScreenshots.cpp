#include "PanelScene.h"
#include "WindowPicture.h"
#include "app/data/LedgerRecordMapping.h"
#include "app/model/UserDefaultsKeys.h"
#include "app/views/TraceConfidenceStyle.h"
#include "app/views/TraceDetailWindowPresenter.h"
#include "app/views/denylist/DenylistEditor.h"
#include "app/views/settings/IntegrationSection.h"
#include "app/views/settings/SettingsWindow.h"

#include <QLayout>
#include <QMessageBox>
#include <QScrollArea>
#include <QScrollBar>

#include <gtest/gtest.h>

// The windows besides the main one: trace detail, settings, denylist editor
// and the alert that explains observation.
namespace tovra::app::testing {
namespace {

void takeTraceDetail(const TraceDetailContent &content, const QString &name, const QString &heading)
{
    TraceDetailWindowPresenter presenter;
    presenter.show(content);
    EXPECT_EQ(presenter.window()->windowTitle(), TraceDetailWindowPresenter::windowTitle(content));
    takePicture(presenter.window(), name, { heading });
}

TEST(WindowScreenshots, TraceDetailOfARecord)
{
    PanelScene scene;
    const ProvenanceRecord record = scene.records().constFirst();
    takeTraceDetail(TraceDetailContent::record(record), QStringLiteral("trace-detail"),
        views::traceConfidenceStyle(record.confidence).title);
}

// On a system without a language set (no LANG), the detail window's date
// is Chinese like the rest of the app.
TEST(WindowScreenshots, TraceDetailWithoutASystemLanguage)
{
    const QLocale interface;
    QLocale::setDefault(QLocale::c());
    PanelScene scene;
    const ProvenanceRecord record = scene.records().constFirst();
    takeTraceDetail(TraceDetailContent::record(record), QStringLiteral("trace-detail-no-lang"),
        views::traceConfidenceStyle(record.confidence).title);
    QLocale::setDefault(interface);
}

TEST(WindowScreenshots, TraceDetailUnavailable)
{
    takeTraceDetail(TraceDetailContent::notFound(QStringLiteral("这条本机记录已删除、过期或不可用。")),
        QStringLiteral("trace-detail-unavailable"), QStringLiteral("记录不可用"));
}

// The settings window over a started model.
class SettingsScreenshots : public ::testing::Test {
protected:
    views::SettingsWindow &openSettings()
    {
        scene.finish(scene.model().start());
        scene.model().refreshPermissions();
        window = std::make_unique<views::SettingsWindow>(scene.model());
        window->show();
        return *window;
    }

    // The section at the top, with the gap the form leaves above each.
    void scrollTo(const QWidget *section)
    {
        const int gap = section->parentWidget()->layout()->spacing();
        window->findChild<QScrollArea *>()->verticalScrollBar()->setValue(section->y() - gap);
    }

    PanelScene scene;
    std::unique_ptr<views::SettingsWindow> window;
};

TEST_F(SettingsScreenshots, PermissionsMissing)
{
    scene.desktop.accessibility().setTrusted(false);
    scene.desktop.inputMonitoring().setTrusted(false);
    takePicture(&openSettings(), QStringLiteral("settings-permissions-missing"),
        { QStringLiteral("Tovra设置"), QStringLiteral("未允许") });
}

TEST_F(SettingsScreenshots, PermissionsGranted)
{
    takePicture(&openSettings(), QStringLiteral("settings-permissions-granted"),
        { QStringLiteral("Tovra设置"), QStringLiteral("已允许") });
}

TEST_F(SettingsScreenshots, BrowserHostConnected)
{
    scene.provider->willReturn(op::nativeHostStatus, NativeHostStatus::connected);
    openSettings();
    scrollTo(window->findChild<views::settings::IntegrationSection *>());
    takePicture(window.get(), QStringLiteral("settings-host-connected"),
        { QStringLiteral("Tovra设置"), QStringLiteral("Chrome 扩展已确认连接") });
}

TEST_F(SettingsScreenshots, BrowserHostDisconnected)
{
    scene.provider->willReturn(op::nativeHostStatus, NativeHostStatus::disconnected);
    openSettings();
    scrollTo(window->findChild<views::settings::IntegrationSection *>());
    takePicture(window.get(), QStringLiteral("settings-host-disconnected"),
        { QStringLiteral("Tovra设置"), QStringLiteral("Chrome 增强器不可用") });
}

TEST_F(SettingsScreenshots, ObservationEducation)
{
    scene.settings->setValue(userDefaultsKeys::observationEnabled, false);
    scene.desktop.inputMonitoring().setTrusted(false);
    openSettings();
    scene.model().setObservationEnabled(true);
    auto *alert = window->findChild<QMessageBox *>();
    ASSERT_TRUE(alert && alert->isVisible());
    takePicture(alert, QStringLiteral("observation-education"),
        { QStringLiteral("开启标准快捷键观察？"), QStringLiteral("了解并申请权限") });
}

TEST(WindowScreenshots, DenylistEditor)
{
    PanelScene scene;
    scene.finish(scene.model().start());
    views::DenylistEditor editor(scene.model());
    editor.show();
    takePicture(&editor, QStringLiteral("denylist"),
        { QStringLiteral("排除列表"), QStringLiteral("bank.example.cn"), QStringLiteral("org.keepassxc.KeePassXC") });
}

// The built-in protections as the live ledger lists them (dozens), under
// the user's own rule.
TEST(WindowScreenshots, DenylistEditorWithTheDefaultRules)
{
    PanelScene scene;
    scene.finish(scene.model().start());
    QList<DenylistEntry> entries;
    for (const tovra::DenylistEntry &entry : DenylistRules::defaults())
        entries.append(mapping::denylistEntry(DenylistRule { entry, true }));
    entries.append({ DenylistEntryKind::domain, QStringLiteral("bank.example.cn"), false });
    scene.provider->willReturn(op::listDenylistEntries, entries);
    scene.finish(scene.model().reload());
    views::DenylistEditor editor(scene.model());
    editor.show();
    takePicture(&editor, QStringLiteral("denylist-defaults"), { QStringLiteral("排除列表") });
}

} // namespace
} // namespace tovra::app::testing
