#include "app/views/clipboard/ClipboardHistoryView.h"
#include "WidgetSearch.h"
#include "app/model/DesktopScene.h"
#include "app/views/clipboard/ClipboardHistoryList.h"
#include "app/views/clipboard/ClipboardRowActions.h"
#include "app/views/clipboard/ClipboardTargetBar.h"

#include <QLabel>
#include <QMenu>
#include <QProxyStyle>
#include <QPushButton>
#include <QTest>

namespace tovra::app::testing {
namespace {

using views::ClipboardHistoryList;
using views::ClipboardHistoryView;

// Styles that open an item on a single click make the view emit
// `activated` on every click.
class SingleClickActivation : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returnData) const override
    {
        if (hint == QStyle::SH_ItemView_ActivateItemOnSingleClick)
            return 1;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// Two copies in the history (the newer one first and selected), the editor
// in front to paste into, and the history on screen.
struct HistoryOnScreen : DesktopScene {
    HistoryOnScreen()
    {
        older
            = copyIntoHistory(browser, QStringLiteral("older copy"), pendingSource(QStringLiteral("older")));
        newer
            = copyIntoHistory(browser, QStringLiteral("newer copy"), pendingSource(QStringLiteral("newer")));
        desktop.switchTo(editor);
        model().refreshClipboardShelfTarget();
        provider->willReturn(op::resolveClipboardSourceByID, pendingSource(QStringLiteral("older")));
        view.resize(440, 360);
        view.show();
        list = view.findChild<ClipboardHistoryList *>();
    }

    QPoint centreOfRow(int row) { return list->visualRect(list->model()->index(row, 0)).center(); }
    int shownSelectedRow()
    {
        const QModelIndexList rows = list->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }

    QUuid older;
    QUuid newer;
    ClipboardHistoryView view { model() };
    ClipboardHistoryList *list = nullptr;
};

TEST(ClipboardHistoryViewTest, ReturnAndDoubleClickPasteWhileASingleClickOnlySelects)
{
    SingleClickActivation activatingStyle;
    const struct {
        const char *name;
        std::function<void(HistoryOnScreen &)> gesture;
        int pastes;
        bool olderSelected;
    } cases[] = {
        { "single click",
            [](auto &s) { QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {}, s.centreOfRow(1)); }, 0,
            true },
        { "single click where clicks activate",
            [&](auto &s) {
                s.list->setStyle(&activatingStyle);
                QTest::mouseClick(s.list->viewport(), Qt::LeftButton, {}, s.centreOfRow(1));
            },
            0, true },
        { "double click",
            [](auto &s) { QTest::mouseDClick(s.list->viewport(), Qt::LeftButton, {}, s.centreOfRow(1)); }, 1,
            true },
        { "Return", [](auto &s) { QTest::keyClick(s.list, Qt::Key_Return); }, 1, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HistoryOnScreen s;
        ASSERT_EQ(s.state().selectedClipboardItemID, s.newer);
        c.gesture(s);
        s.settle();
        s.finishPaste();
        EXPECT_EQ(s.ownPastes(), c.pastes);
        EXPECT_EQ(s.state().selectedClipboardItemID, c.olderSelected ? s.older : s.newer);
        EXPECT_EQ(s.shownSelectedRow(), c.olderSelected ? 1 : 0);
    }
}

TEST(ClipboardHistoryViewTest, TheRowShownSelectedIsAlwaysTheModels)
{
    HistoryOnScreen s;
    EXPECT_EQ(s.shownSelectedRow(), 0);
    QTest::keyClick(s.list, Qt::Key_Down);
    // Asked for, not yet taken: the model applies a selection a moment later.
    EXPECT_EQ(s.shownSelectedRow(), 0);
    s.settle();
    EXPECT_EQ(s.state().selectedClipboardItemID, s.older);
    EXPECT_EQ(s.shownSelectedRow(), 1);

    // A new copy arrives selected at the top.
    const QUuid newest
        = s.copyIntoHistory(s.browser, QStringLiteral("newest"), pendingSource(QStringLiteral("n")));
    EXPECT_EQ(s.state().selectedClipboardItemID, newest);
    EXPECT_EQ(s.shownSelectedRow(), 0);
    EXPECT_EQ(s.list->accessibleName(), QStringLiteral("复制历史列表，共 3 条"));
}

TEST(ClipboardHistoryViewTest, RowMenuOffersPasteOnlyToAnAvailableTargetAndNothingWhilePasting)
{
    const struct {
        const char *name;
        std::function<void(HistoryOnScreen &)> situation;
        bool pasteEnabled;
        bool othersEnabled;
        const char *pasteButton;
        QString detail;
    } cases[] = {
        { "target ready", nullptr, true, true, "回粘所选",
            QStringLiteral("先在目标 App 放好光标，再回到Tovra选择历史。") },
        { "denylisted target",
            [](auto &s) {
                s.desktop.switchTo(s.vault);
                s.model().refreshClipboardShelfTarget();
            },
            false, true, "回粘所选", QStringLiteral("目标 App 位于排除列表") },
        { "no Accessibility",
            [](auto &s) {
                s.desktop.accessibility().setTrusted(false);
                s.model().refreshClipboardShelfTarget();
            },
            false, true, "回粘所选", QStringLiteral("需要辅助功能权限才能确认输入位置") },
        { "paste running",
            [](auto &s) {
                s.provider->hold(op::resolveClipboardSourceByID);
                s.model().requestHistoricalPaste(std::nullopt);
                s.settle();
            },
            false, false, "回粘中", QStringLiteral("先在目标 App 放好光标，再回到Tovra选择历史。") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        HistoryOnScreen s;
        views::ClipboardTargetBar bar(s.model());
        if (c.situation)
            c.situation(s);
        QMenu menu;
        views::clipboardRow::addRowActions(menu, s.model(), s.state().clipboardItems.at(0));
        QStringList titles;
        QList<bool> enabled;
        for (QAction *action : menu.actions()) {
            titles.append(action->text());
            enabled.append(action->isEnabled());
        }
        EXPECT_EQ(titles,
            (QStringList { QStringLiteral("带溯源回粘"), QStringLiteral("仅设为当前剪贴板"), QString(),
                QStringLiteral("删除") }));
        EXPECT_EQ(enabled.at(0), c.pasteEnabled);
        EXPECT_EQ(enabled.at(1), c.othersEnabled);
        EXPECT_EQ(enabled.at(3), c.othersEnabled);
        EXPECT_NE(childNamed<QPushButton>(&bar, QString::fromUtf8(c.pasteButton)), nullptr);
        QStringList texts;
        // Word joiners keep a clause's last character on its line; they are
        // no part of what the bar says.
        for (const QLabel *label : bar.findChildren<QLabel *>())
            texts.append(QString(label->text()).remove(QChar(0x2060)));
        EXPECT_TRUE(texts.contains(c.detail)) << texts.join(u'|').toStdString();
        s.provider->releaseAll();
        s.finishPaste();
    }
}

TEST(ClipboardHistoryViewTest, DeletingFromTheRowMenuRemovesTheItem)
{
    HistoryOnScreen s;
    QMenu menu;
    views::clipboardRow::addRowActions(menu, s.model(), s.state().clipboardItems.at(1));
    menu.actions().at(3)->trigger();
    s.settle();
    ASSERT_EQ(s.state().clipboardItems.size(), 1);
    EXPECT_EQ(s.state().clipboardItems.at(0).id, s.newer);
}

TEST(ClipboardHistoryViewTest, EmptyHistorySaysWhyAndOffersSettingsUnlessObserving)
{
    const struct {
        bool paused;
        ObservationModeStatus status;
        bool followingPasteboard;
        const char *expected;
    } cases[] = {
        { true, ObservationModeStatus::observing, true,
            "Tovra已暂停；恢复后新的文字或图片复制会进入本次会话历史。" },
        { false, ObservationModeStatus::observing, true,
            "在任意未排除的 App 中复制文字或图片，内容会保留在本次会话内存中。" },
        { false, ObservationModeStatus::permissionRequired, true,
            "复制文字或图片后会立即显示；当前可推断来源 App，但未观察标准粘贴快捷键。" },
        { false, ObservationModeStatus::dedicated, false, "请在设置中开启 App 级观察并授予所需权限。" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(views::emptyHistoryDescription(c.paused, c.status, c.followingPasteboard),
            QString::fromUtf8(c.expected));
    }

    ModelHarness h;
    ClipboardHistoryView view(h.model());
    QPushButton *settings = childNamed<QPushButton>(&view, QStringLiteral("打开设置"));
    ASSERT_TRUE(isShownIn(settings, &view));
    settings->click();
    EXPECT_TRUE(h.model().state().showSettings);
}

} // namespace
} // namespace tovra::app::testing
