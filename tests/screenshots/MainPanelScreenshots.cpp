#include "PanelScene.h"
#include "WindowPicture.h"

#include <gtest/gtest.h>

// The main window on each section, in the states a user meets it in.
namespace tovra::app::testing {
namespace {

TEST(MainPanelScreenshots, HistoryEmpty)
{
    PanelScene scene;
    takePicture(scene.openPanel(), QStringLiteral("main-history-empty"),
        { QStringLiteral("观察模式"), QStringLiteral("标准 ⌘C/⌘X/⌘V App 级旁路观察已开启"),
            QStringLiteral("复制历史 0"), QStringLiteral("尚无复制历史") });
}

TEST(MainPanelScreenshots, HistoryWithTextAndImage)
{
    PanelScene scene;
    scene.finish(scene.model().start());
    scene.copyFromPage(QStringLiteral("剪贴板是操作系统提供的一块短期存储区域，用于在应用程序之间复制和粘贴数据。"),
        QStringLiteral("剪贴板 - 维基百科"));
    scene.wait(std::chrono::minutes(3));
    scene.copyImage();
    scene.bringForward(scene.editor);
    takePicture(scene.openPanel(), QStringLiteral("main-history-items"),
        { QStringLiteral("复制历史 2"), QStringLiteral("回粘目标：文本编辑器"), QStringLiteral("回粘所选") });
}

TEST(MainPanelScreenshots, HistoryWithoutAPasteTarget)
{
    PanelScene scene;
    scene.finish(scene.model().start());
    scene.copyFromPage(QStringLiteral("会议纪要第三条"), QStringLiteral("团队周会"));
    scene.openPanel();
    scene.bringForward(scene.passwords);
    takePicture(scene.presenter.window(), QStringLiteral("main-history-no-target"),
        { QStringLiteral("暂不可回粘到 KeePassXC") });
}

TEST(MainPanelScreenshots, RecordsListed)
{
    PanelScene scene;
    scene.provider->willReturn(op::listRecords, scene.records());
    scene.model().setMainPanelSection(MainPanelSection::traces);
    takePicture(scene.openPanel(), QStringLiteral("main-records"),
        { QStringLiteral("流向记录 4"), QStringLiteral("带溯源粘贴") });
}

TEST(MainPanelScreenshots, RecordsFilteredToNothing)
{
    PanelScene scene;
    scene.provider->willReturn(op::listRecords, scene.records());
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    scene.model().setSearchText(QStringLiteral("不存在的关键词"));
    takePicture(window, QStringLiteral("main-records-no-match"),
        { QStringLiteral("没有匹配的记录"), QStringLiteral("重置筛选") });
}

TEST(MainPanelScreenshots, RecordsLoading)
{
    PanelScene scene;
    scene.provider->hold(op::listRecords);
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    ASSERT_TRUE(scene.model().state().isLoading);
    takePicture(window, QStringLiteral("main-records-loading"), { QStringLiteral("正在读取本地记录…") });
}

TEST(MainPanelScreenshots, Notice)
{
    PanelScene scene;
    scene.provider->willReturn(op::listRecords, scene.records());
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    scene.model().showNotice(QStringLiteral("已导出 4 条 CSV 记录。"), QStringLiteral("checkmark.circle"),
        AppFeedbackScope::export_);
    takePicture(window, QStringLiteral("main-notice"), { QStringLiteral("已导出 4 条 CSV 记录。") });
}

TEST(MainPanelScreenshots, Failure)
{
    PanelScene scene;
    scene.provider->willFail(op::listRecords, QStringLiteral("账本文件已损坏，或不是用本机的密钥写入的。"));
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    const auto &failure = scene.model().state().feedback.failure;
    ASSERT_TRUE(failure);
    takePicture(window, QStringLiteral("main-failure"), { failure->title, failure->message });
}

} // namespace
} // namespace tovra::app::testing
