#include "PanelScene.h"
#include "WindowPicture.h"

#include "app/views/records/RecordsView.h"

#include <QCoreApplication>
#include <QListView>
#include <QMessageBox>

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

// A failure with a long reason and the ledger's path: the banner wraps it
// whole, all of it in Chinese.
TEST(MainPanelScreenshots, LongFailure)
{
    const QString message = QStringLiteral("无法打开本地加密账本：账本文件已损坏；文件保持原样。"
                                           "（/home/user/.local/share/Tovra/ledger.json.enc）");
    PanelScene scene;
    scene.provider->willFail(op::listRecords, message);
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    const auto &failure = scene.model().state().feedback.failure;
    ASSERT_TRUE(failure);
    takePicture(window, QStringLiteral("main-failure-long"), { failure->title, message });
}

// Every filter narrowing the list at once, each showing its choice whole.
TEST(MainPanelScreenshots, RecordsWithActiveFilters)
{
    PanelScene scene;
    const QList<ProvenanceRecord> records = scene.records();
    scene.provider->willReturn(op::listRecords, records);
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    scene.model().setSelectedDomain(records.first().source.domain);
    scene.model().setSelectedApplication(records.first().destination.applicationName);
    scene.model().setSelectedConfidence(records.first().confidence);
    scene.model().setDateFilter(RecordDateFilter::thirtyDays);
    takePicture(window, QStringLiteral("main-records-filtered"), { QStringLiteral("近 30 天") });
}

// Long names: a source application, a domain and a window title that cannot
// fit, in a row the user selected, beside rows of every standing.
TEST(MainPanelScreenshots, RecordsWithLongNamesAndASelectedRow)
{
    PanelScene scene;
    QList<ProvenanceRecord> records = scene.records();
    ProvenanceRecord &longNamed = records.first();
    longNamed.source.applicationName = QStringLiteral("Firefox 开发者版（Developer Edition）每夜构建");
    longNamed.source.domain = QStringLiteral("documentation.very-long-subdomain.example-university.edu.cn");
    longNamed.destination.windowTitle
        = QStringLiteral("研究笔记：剪贴板溯源、隐私边界与本地加密账本的设计记录（第三稿）.md");
    scene.provider->willReturn(op::listRecords, records);
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    auto *list = window->findChild<views::RecordsView *>()->findChild<QListView *>();
    ASSERT_TRUE(list);
    list->setCurrentIndex(list->model()->index(1, 0));
    takePicture(window, QStringLiteral("main-records-long-names"), { QStringLiteral("流向记录 4") });
}

// A copy from an application with a long name: the row keeps its time, size
// and capture method.
TEST(MainPanelScreenshots, HistoryWithALongSourceName)
{
    PanelScene scene;
    scene.finish(scene.model().start());
    const QString name = QStringLiteral("企业协同办公套件（专业版）文档与表格编辑器 2026");
    const ProcessIdentifier longNamed = scene.desktop.launch(name, QStringLiteral("com.example.Suite"));
    scene.bringForward(longNamed);
    scene.copyFromApplication(
        longNamed, name, QStringLiteral("第四季度预算草案：差旅、设备与培训三项合计。"));
    scene.bringForward(scene.editor);
    takePicture(
        scene.openPanel(), QStringLiteral("main-history-long-source"), { QStringLiteral("复制历史 1") });
}

// A destructive confirmation over the panel.
TEST(MainPanelScreenshots, ClearRecordsConfirmation)
{
    PanelScene scene;
    scene.provider->willReturn(op::listRecords, scene.records());
    scene.model().setMainPanelSection(MainPanelSection::traces);
    QWidget *window = scene.openPanel();
    scene.model().setShowClearConfirmation(true);
    QCoreApplication::processEvents();
    QMessageBox *alert = nullptr;
    for (QMessageBox *candidate : window->findChildren<QMessageBox *>()) {
        if (candidate->isVisible())
            alert = candidate;
    }
    ASSERT_TRUE(alert);
    takePicture(alert, QStringLiteral("confirm-clear-records"),
        { QStringLiteral("清空全部本地溯源记录？"), QStringLiteral("清空全部记录"), QStringLiteral("取消") });
}

} // namespace
} // namespace tovra::app::testing
