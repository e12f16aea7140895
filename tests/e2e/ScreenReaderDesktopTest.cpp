// The main window and the settings as a keyboard and screen-reader user
// meets them on a real desktop, over the accessibility bus.
#include "DesktopScenario.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

using namespace tovra::testing;

namespace {

constexpr std::chrono::seconds soon { 10 };

class ScreenReaderDesktop : public DesktopScenario {
protected:
    // Waits until exactly the element with this name has the focus.
    bool waitForFocusOn(const QString &name) const
    {
        return waitUntil([&] { return appTree().focusedNames() == QStringList { name }; }, soon);
    }

    const QString observeSwitch = QStringLiteral("观察标准复制粘贴快捷键");
    const QString citationSwitch = QStringLiteral("⌥⇧V 在 Obsidian 中粘贴为来源链接");
};

TEST_F(ScreenReaderDesktop, TheCurrentRowsButtonsAndTheMenusAreOnTheBusAndTheRowLetsTheFocusGo)
{
    app.setSetting(QStringLiteral("tovra.v02.observationEnabled"), true);
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow editor(QStringLiteral("editor"));
    ClientWindow mail(QStringLiteral("mail"));
    ASSERT_TRUE(editor.start());
    ASSERT_TRUE(mail.start());
    ASSERT_NO_FATAL_FAILURE(copyThenPasteTraced(editor, mail, QStringLiteral("Lunch is at noon.")));
    ASSERT_NO_FATAL_FAILURE(showRecords());
    const QStringList row { QStringLiteral("editor，editor 粘贴到 mail") };
    ASSERT_FALSE(appTree().waitForListItem(row).isEmpty());

    // 1. The row the user clicks gets its two buttons on the bus; Tab moves
    //    the focus to the first, and the row no longer reports it.
    ASSERT_TRUE(appTree().clickListItem(row));
    const QString open = QStringLiteral("查看本机溯源记录");
    EXPECT_TRUE(appTree().waitForName(open))
        << appTree().showingNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(appTree().hasShowingName(QStringLiteral("删除来源为 editor 的记录")));
    desktop::pressKeys(QStringLiteral("Tab"));
    EXPECT_TRUE(waitForFocusOn(open)) << appTree().focusedNames().join(QLatin1Char('\n')).toStdString();

    // 2. The action of each filter and of 导出 opens its menu, found under it.
    const struct {
        const char *button;
        const char *item;
    } menus[] = {
        { "来源域名筛选，当前为 全部", "全部来源" },
        { "目标 App 筛选，当前为 全部", "全部目标 App" },
        { "日期筛选，当前为 全部日期", "近 7 天" },
        { "确认状态筛选，当前为 全部", "全部状态" },
        { "导出当前筛选结果", "CSV" },
    };
    for (const auto &menu : menus) {
        SCOPED_TRACE(menu.button);
        const QString button = QString::fromUtf8(menu.button);
        const QString item = QString::fromUtf8(menu.item);
        ASSERT_TRUE(appTree().press(button));
        EXPECT_TRUE(waitUntil([&] { return appTree().namesInside(button).contains(item); }, soon))
            << appTree().namesInside(button).join(QLatin1Char('\n')).toStdString();
        desktop::pressKeys(QStringLiteral("Escape"));
        EXPECT_TRUE(waitUntil([&] { return !appTree().namesInside(button).contains(item); }, soon));
    }
    EXPECT_EQ(app.terminate(), 0);
}

TEST_F(ScreenReaderDesktop, SpaceResumesWhatSpacePausedAndSwitchesToggledByAScreenReaderChangeTheSettings)
{
    ASSERT_NO_FATAL_FAILURE(startApp());
    ASSERT_EQ(app.startAgain({ QStringLiteral("tovra://open") }), 0);
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra")));

    // 1. Space on 暂停, then Space again: the focus stayed, so it resumes.
    ASSERT_TRUE(appTree().grabFocus(QStringLiteral("暂停Tovra")));
    ASSERT_TRUE(waitForFocusOn(QStringLiteral("暂停Tovra")));
    desktop::pressKeys(QStringLiteral("space"));
    ASSERT_TRUE(appTree().waitForName(QStringLiteral("恢复Tovra")));
    EXPECT_TRUE(waitForFocusOn(QStringLiteral("恢复Tovra")))
        << appTree().focusedNames().join(QLatin1Char('\n')).toStdString();
    desktop::pressKeys(QStringLiteral("space"));
    EXPECT_TRUE(appTree().waitForName(QStringLiteral("暂停Tovra")));

    // 2. The switches' toggle action changes the settings, not only the mark.
    ASSERT_TRUE(appTree().waitAndPress(QStringLiteral("设置")));
    ASSERT_TRUE(appTree().waitForName(observeSwitch));
    // Both windows carry the app's icon.
    EXPECT_TRUE(desktop::showsAnIcon(QStringLiteral("Tovra")));
    EXPECT_TRUE(desktop::showsAnIcon(QStringLiteral("Tovra设置")));
    ASSERT_TRUE(appTree().press(observeSwitch));
    EXPECT_TRUE(waitUntil([&] { return !appTree().hasShowingName(QStringLiteral("专用模式")); }, soon));
    ASSERT_TRUE(appTree().press(citationSwitch));
    ASSERT_TRUE(appTree().press(QStringLiteral("完成")));
    ASSERT_TRUE(appTree().waitAndPress(QStringLiteral("设置")));
    ASSERT_TRUE(appTree().waitForName(citationSwitch));
    EXPECT_TRUE(appTree().isChecked(citationSwitch));
    EXPECT_TRUE(appTree().isChecked(observeSwitch));
    EXPECT_EQ(app.terminate(), 0);
}

} // namespace
