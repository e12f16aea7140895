#include "app/views/MainPanelView.h"
#include "../model/ModelTestSupport.h"
#include "WidgetSearch.h"
#include "app/views/ContentUnavailableView.h"
#include "app/views/Palette.h"
#include "app/views/ViewParts.h"
#include "app/views/panel/HeaderAppearance.h"
#include "app/views/panel/MainPanelFooter.h"
#include "app/views/panel/MainPanelHeader.h"
#include "app/views/panel/PanelMotion.h"
#include "app/views/panel/SectionPicker.h"
#include "app/views/panel/TracePasteButton.h"
#include "app/views/records/RecordsView.h"

#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPropertyAnimation>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace tovra::app;
using namespace tovra::app::testing;
using tovra::app::views::HeaderAppearance;

namespace {

class MainPanelViewTest : public ::testing::Test {
protected:
    // A started model with the records the test scripted.
    MainPanelView &panel(QList<ProvenanceRecord> records = {})
    {
        harness.provider->willReturn(op::listRecords, records);
        harness.finish(harness.model().start());
        view = std::make_unique<MainPanelView>(harness.model());
        return *view;
    }

    template <typename Widget> Widget *control(const QString &name) const
    {
        return childNamed<Widget>(view.get(), name);
    }

    bool shows(const QWidget *widget) const { return isShownIn(widget, view.get()); }

    ModelHarness harness;
    std::unique_ptr<MainPanelView> view;
};

QList<ProvenanceRecord> records(int count)
{
    QList<ProvenanceRecord> list;
    for (int index = 0; index < count; ++index)
        list.append(sampleRecord(QStringLiteral("第 %1 篇").arg(index), QDateTime::currentDateTimeUtc()));
    return list;
}

} // namespace

TEST(HeaderAppearance, APauseComesFirstThenTheModeAndTheFollowedPasteboard)
{
    const struct {
        bool paused;
        ObservationModeStatus status;
        bool followingPasteboard;
        const char *symbol;
        const char *title;
        const char *detail;
    } cases[] = {
        { true, ObservationModeStatus::observing, true, "pause.circle.fill", "已暂停", "不会观察或写入新的溯源记录" },
        { false, ObservationModeStatus::dedicated, false, "cursorarrow.click", "专用模式",
            "仅使用 ⌥⇧C 与 ⌥⇧V 专用链路" },
        { false, ObservationModeStatus::observing, true, "eye", "观察模式", "标准 ⌘C/⌘X/⌘V App 级旁路观察已开启" },
        { false, ObservationModeStatus::permissionRequired, true, "exclamationmark.shield", "观察权限待授权",
            "仅根据剪贴板变化推断复制来源；标准粘贴未观察" },
        { false, ObservationModeStatus::permissionRequired, false, "exclamationmark.shield", "观察权限待授权",
            "标准观察未启动；专用粘贴仍可用" },
        { false, ObservationModeStatus::unavailable, false, "eye.slash", "观察模式不可用",
            "观察器不可用；已降级到专用模式" },
    };
    for (const auto &testCase : cases) {
        const auto appearance = HeaderAppearance::of(testCase.paused, testCase.status, testCase.followingPasteboard);
        EXPECT_EQ(appearance.symbolName, QString::fromUtf8(testCase.symbol));
        EXPECT_EQ(appearance.title, QString::fromUtf8(testCase.title));
        EXPECT_EQ(appearance.detail, QString::fromUtf8(testCase.detail));
    }
}

TEST_F(MainPanelViewTest, HintsAndBannersStandInTheirOrderAndAFailureHidesTheNoticeUntilDismissed)
{
    harness.desktop.accessibility().setTrusted(false);
    harness.provider->willReturn(op::nativeHostStatus, NativeHostStatus::disconnected);
    MainPanelView &shown = panel();
    harness.model().refreshPermissions();
    harness.model().showNotice(QStringLiteral("已导出 1 条 CSV 记录。"), QStringLiteral("checkmark.circle"),
        AppFeedbackScope::export_);
    harness.model().publishFailure(QStringLiteral("删除失败"), QStringLiteral("磁盘已满"), AppFeedbackScope::records,
        AppRecoveryAction::reloadData());
    shown.show();

    EXPECT_TRUE(shows(control<QWidget>(QStringLiteral("首次粘贴时会解释并申请辅助功能权限"))));
    EXPECT_TRUE(shows(control<QWidget>(QStringLiteral("Chrome 增强器不可用"))));
    const auto labels = view->findChildren<QLabel *>();
    const auto visibleText = [&](const QString &text) {
        return std::any_of(labels.begin(), labels.end(),
            [&](const QLabel *label) { return label->text().contains(text) && shows(label); });
    };
    EXPECT_TRUE(visibleText(QStringLiteral("删除失败")));
    EXPECT_FALSE(visibleText(QStringLiteral("已导出 1 条 CSV 记录。")));

    harness.model().dismissFailure();
    EXPECT_TRUE(visibleText(QStringLiteral("已导出 1 条 CSV 记录。")));

    harness.desktop.accessibility().setTrusted(true);
    harness.model().refreshPermissions();
    EXPECT_FALSE(shows(control<QWidget>(QStringLiteral("首次粘贴时会解释并申请辅助功能权限"))));
}

TEST_F(MainPanelViewTest, ThePauseAndPasteButtonsFollowThePauseAndItsSyncWithTheLedger)
{
    panel().show();
    auto *pause = control<QPushButton>(QStringLiteral("暂停Tovra"));
    auto *tracePaste = control<QPushButton>(QStringLiteral("带溯源粘贴"));
    ASSERT_TRUE(pause && tracePaste);
    EXPECT_TRUE(tracePaste->isEnabled());

    harness.provider->hold(op::setPaused);
    pause->click();
    EXPECT_EQ(pause->text(), QStringLiteral("继续"));
    EXPECT_EQ(pause->accessibleName(), QStringLiteral("恢复Tovra"));
    EXPECT_FALSE(pause->isEnabled());
    EXPECT_FALSE(tracePaste->isEnabled());
    EXPECT_TRUE(control<QPushButton>(QStringLiteral("设置"))->isEnabled());

    harness.provider->release(op::setPaused);
    EXPECT_TRUE(pause->isEnabled());
    EXPECT_FALSE(tracePaste->isEnabled());
}

// The button is disabled while the ledger takes the change, which would
// hand its focus to the next control: a second Space must resume, not close
// the new notice or open the settings.
TEST_F(MainPanelViewTest, SpaceOnPauseAndResumeLeavesTheFocusOnTheButton)
{
    panel().show();
    auto *pause = control<QPushButton>(QStringLiteral("暂停Tovra"));
    ASSERT_TRUE(pause);
    pause->setFocus();

    for (const bool paused : { true, false }) {
        harness.provider->hold(op::setPaused);
        QTest::keyClick(view->focusWidget(), Qt::Key_Space);
        harness.provider->release(op::setPaused);
        EXPECT_EQ(harness.model().state().isPaused, paused);
        EXPECT_EQ(view->focusWidget(), pause);
    }
}

// Tab walks the panel as it stands: header, section picker, the section's
// controls, its list, then the footer from left to right, whichever part was
// built last.
TEST_F(MainPanelViewTest, TabFollowsThePanelFromTopToBottomAndTheFooterLeftToRight)
{
    panel(records(3)).show();
    harness.model().setMainPanelSection(MainPanelSection::traces);
    const QList<QWidget *> regions { view->findChild<views::MainPanelHeader *>(),
        view->findChild<views::SectionPicker *>(),
        view->findChild<views::TracePasteButton *>()->parentWidget(), view->findChild<views::RecordsView *>(),
        view->findChild<views::MainPanelFooter *>() };

    QList<qsizetype> visited;
    QList<int> footerLefts;
    for (QWidget *stop = view->nextInFocusChain(); stop != view.get(); stop = stop->nextInFocusChain()) {
        if (!(stop->focusPolicy() & Qt::TabFocus) || !shows(stop) || !stop->isEnabled())
            continue;
        const auto region = std::find_if(regions.begin(), regions.end(),
            [stop](const QWidget *part) { return part == stop || part->isAncestorOf(stop); });
        visited.append(region - regions.begin());
        if (region == regions.end() - 1)
            footerLefts.append(stop->mapTo(view.get(), QPoint()).x());
    }
    QList<qsizetype> inOrder = visited;
    std::sort(inOrder.begin(), inOrder.end());
    EXPECT_EQ(visited, inOrder);
    EXPECT_EQ(QSet<qsizetype>(visited.begin(), visited.end()), (QSet<qsizetype> { 0, 1, 2, 3, 4 }));
    QList<int> leftToRight = footerLefts;
    std::sort(leftToRight.begin(), leftToRight.end());
    EXPECT_EQ(footerLefts, leftToRight);
    EXPECT_EQ(footerLefts.size(), 4);
}

TEST_F(MainPanelViewTest, TheFooterShowsWhatBelongsToTheSectionAndCountsTextsAndImagesApart)
{
    EXPECT_EQ(views::MainPanelFooter::countersText(3, 1), QStringLiteral("文字 3/50 · 图片 1/10 · 退出即清除"));

    panel(records(2)).show();
    auto *exportMenu = control<QToolButton>(QStringLiteral("导出当前筛选结果"));
    auto *clearHistory = control<QPushButton>(QStringLiteral("清空本次会话复制历史"));
    ASSERT_TRUE(exportMenu && clearHistory);
    EXPECT_FALSE(shows(exportMenu));
    EXPECT_FALSE(clearHistory->isEnabled());
    const auto counters = childrenNamed<QLabel>(view.get(),
        QStringLiteral("文字历史 0 条，最多 50 条；图片历史 0 条，最多 10 条；退出即清除"));
    ASSERT_EQ(counters.size(), 1);
    EXPECT_TRUE(shows(counters.first()));

    harness.model().setMainPanelSection(MainPanelSection::traces);
    EXPECT_TRUE(shows(exportMenu));
    EXPECT_FALSE(shows(counters.first()));
    EXPECT_TRUE(exportMenu->isEnabled());
    auto *clearRecords = control<QPushButton>(QStringLiteral("清空全部本地溯源记录"));
    ASSERT_TRUE(clearRecords);

    // Filters that match nothing leave nothing to export, but the records
    // themselves can still be cleared.
    harness.model().setSearchText(QStringLiteral("没有这样的记录"));
    EXPECT_FALSE(exportMenu->isEnabled());
    EXPECT_TRUE(clearRecords->isEnabled());
    EXPECT_EQ(control<QPushButton>(QStringLiteral("流向记录 2"))->text(), QStringLiteral("流向记录 2"));
}

TEST_F(MainPanelViewTest, SwitchingToTheHistoryRefreshesThePasteTargetAndSwitchingAwayDoesNot)
{
    panel();
    const auto targetName = [this] {
        const auto &target = harness.model().state().clipboardShelfTarget;
        return target ? target->applicationName : QString();
    };
    harness.desktop.switchTo(harness.desktop.launch(QStringLiteral("Notes"), QStringLiteral("org.example.Notes")));

    harness.model().setMainPanelSection(MainPanelSection::traces);
    EXPECT_NE(targetName(), QStringLiteral("Notes"));
    harness.model().setMainPanelSection(MainPanelSection::clipboard);
    EXPECT_EQ(targetName(), QStringLiteral("Notes"));
}

TEST_F(MainPanelViewTest, ClosingTheDeleteAlertEitherWayLeavesNoPendingDeletion)
{
    const QList<ProvenanceRecord> loaded = records(1);
    panel(loaded).show();
    for (const char *button : { "取消", "删除" }) {
        harness.model().setPendingDeletion(loaded.first());
        QPushButton *choice = nullptr;
        for (QPushButton *candidate : childrenNamed<QPushButton>(view.get(), QString::fromUtf8(button))) {
            if (candidate->isVisible())
                choice = candidate;
        }
        ASSERT_TRUE(choice) << button;
        choice->click();
        harness.settle();
        EXPECT_FALSE(harness.model().state().pendingDeletion.has_value()) << button;
    }
    EXPECT_EQ(harness.provider->calls(op::deleteRecord).size(), 1);
}

// The destructive confirmations, each with its buttons in their order, the
// one that destroys and the ledger operation it starts.
struct Confirmation {
    const char *name;
    std::function<void(TovraAppModel &)> ask;
    QStringList buttons;
    QString destroying;
    const DataOperation<void> *operation;
};

QList<Confirmation> confirmations(const ProvenanceRecord &record)
{
    return {
        { "delete", [record](auto &m) { m.setPendingDeletion(record); },
            { QStringLiteral("取消"), QStringLiteral("删除") }, QStringLiteral("删除"), &op::deleteRecord },
        { "clear records", [](auto &m) { m.setShowClearConfirmation(true); },
            { QStringLiteral("清空全部记录"), QStringLiteral("取消") }, QStringLiteral("清空全部记录"),
            &op::clearRecords },
        { "clear history", [](auto &m) { m.setShowClipboardClearConfirmation(true); },
            { QStringLiteral("清空复制历史"), QStringLiteral("取消") }, QStringLiteral("清空复制历史"),
            &op::removePendingSources },
    };
}

QMessageBox *shownAlert(const QWidget *view)
{
    for (QMessageBox *candidate : view->findChildren<QMessageBox *>()) {
        if (candidate->isVisible())
            return candidate;
    }
    return nullptr;
}

// A reflex Return must not erase anything: it cancels, as Escape does, also
// once Tab or an arrow key has moved the focus onto the destroying button.
TEST_F(MainPanelViewTest, ReturnAndEscapeInADestructiveConfirmationCancelIt)
{
    const QList<ProvenanceRecord> loaded = records(1);
    panel(loaded).show();
    for (const Confirmation &confirmation : confirmations(loaded.first())) {
        for (const Qt::Key move : { Qt::Key_unknown, Qt::Key_Tab, Qt::Key_Right }) {
            for (const Qt::Key key : { Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape }) {
                SCOPED_TRACE(std::string(confirmation.name) + " move " + std::to_string(int(move)) + " key "
                    + std::to_string(int(key)));
                confirmation.ask(harness.model());
                QPointer<QMessageBox> alert = shownAlert(view.get());
                ASSERT_TRUE(alert);
                if (move != Qt::Key_unknown) {
                    auto *destroying = childNamed<QPushButton>(alert, confirmation.destroying);
                    for (int presses = 0; presses < 3 && alert->focusWidget() != destroying; ++presses)
                        QTest::keyClick(alert->focusWidget() ? alert->focusWidget() : alert.data(), move);
                    ASSERT_EQ(alert->focusWidget(), destroying);
                }
                QWidget *focused = alert->focusWidget();
                QTest::keyClick(focused ? focused : alert.data(), key);
                harness.settle();
                // Closed, and gone once the event loop deleted it.
                EXPECT_TRUE(!alert || !alert->isVisible());
                EXPECT_EQ(harness.provider->callCount(*confirmation.operation), 0);
            }
        }
    }
    const TovraAppModelState &state = harness.model().state();
    EXPECT_FALSE(
        state.pendingDeletion || state.showClearConfirmation || state.showClipboardClearConfirmation);
    EXPECT_EQ(state.records, loaded);
}

// The buttons stand in their order, the destroying one in red, and it acts
// on Space (as on a click).
TEST_F(MainPanelViewTest, ADestructiveConfirmationOrdersItsButtonsAndDestroysOnSpace)
{
    const QList<ProvenanceRecord> loaded = records(1);
    panel(loaded).show();
    for (const Confirmation &confirmation : confirmations(loaded.first())) {
        SCOPED_TRACE(confirmation.name);
        confirmation.ask(harness.model());
        QMessageBox *alert = shownAlert(view.get());
        ASSERT_TRUE(alert);
        QList<QPushButton *> buttons;
        for (QPushButton *button : alert->findChildren<QPushButton *>()) {
            if (button->isVisible())
                buttons.append(button);
        }
        std::sort(buttons.begin(), buttons.end(), [alert](const QPushButton *one, const QPushButton *other) {
            return one->mapTo(alert, QPoint()).x() < other->mapTo(alert, QPoint()).x();
        });
        QStringList order;
        for (const QPushButton *button : buttons)
            order.append(button->text());
        EXPECT_EQ(order, confirmation.buttons);
        auto *destroying = childNamed<QPushButton>(alert, confirmation.destroying);
        ASSERT_TRUE(destroying);
        EXPECT_EQ(destroying->palette().color(QPalette::Active, QPalette::ButtonText), views::palette::red);
        destroying->setFocus(Qt::TabFocusReason);
        QTest::keyClick(destroying, Qt::Key_Space);
        harness.settle();
        EXPECT_EQ(harness.provider->callCount(*confirmation.operation), 1);
    }
}

// Says "no animations", as a desktop set to reduce motion does.
class StillStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
        QStyleHintReturn *returned) const override
    {
        if (hint == SH_Widget_Animation_Duration)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

TEST_F(MainPanelViewTest, PauseAndFeedbackChangesFadeInUnlessTheDesktopAsksForLessMotion)
{
    const auto runningFades = [this] {
        QList<QPropertyAnimation *> fades;
        for (QPropertyAnimation *animation : view->findChildren<QPropertyAnimation *>()) {
            if (animation->state() == QAbstractAnimation::Running)
                fades.append(animation);
        }
        return fades;
    };
    const std::function<void(TovraAppModel &)> changes[] = {
        [](auto &m) { m.togglePaused(); },
        [](auto &m) {
            m.publishFailure(QStringLiteral("删除失败"), QStringLiteral("磁盘已满"),
                AppFeedbackScope::records, AppRecoveryAction::reloadData());
        },
        [](auto &m) {
            m.showNotice(
                QStringLiteral("已删除一条溯源记录。"), QStringLiteral("trash"), AppFeedbackScope::export_);
        },
    };
    panel().show();
    StillStyle still;
    for (const bool reduced : { false, true }) {
        if (reduced)
            view->setStyle(&still);
        for (std::size_t index = 0; index < std::size(changes); ++index) {
            SCOPED_TRACE(std::to_string(index) + (reduced ? " reduced" : ""));
            changes[index](harness.model());
            harness.settle();
            const QList<QPropertyAnimation *> fades = runningFades();
            if (reduced) {
                EXPECT_TRUE(fades.isEmpty());
                continue;
            }
            ASSERT_FALSE(fades.isEmpty());
            for (QPropertyAnimation *fade : fades) {
                EXPECT_EQ(fade->duration(), 180);
                EXPECT_EQ(fade->easingCurve(), views::motion::easeOut());
                fade->setCurrentTime(fade->duration());
            }
        }
    }
}

// The history's one main action stands out; clearing, which destroys, is red.
TEST_F(MainPanelViewTest, ThePasteBackButtonIsProminentAndClearingIsRed)
{
    panel().show();
    auto *pasteBack = control<QPushButton>(QStringLiteral("回粘所选"));
    auto *clear = control<QPushButton>(QStringLiteral("清空本次会话复制历史"));
    ASSERT_TRUE(pasteBack && clear);

    EXPECT_EQ(pasteBack->palette().color(QPalette::Active, QPalette::Button), views::palette::accent);
    EXPECT_EQ(pasteBack->palette().color(QPalette::Active, QPalette::ButtonText), views::prominentText);
    EXPECT_EQ(clear->palette().color(QPalette::Active, QPalette::ButtonText), views::palette::red);
    const QImage symbol = clear->icon().pixmap(16, QIcon::Normal).toImage();
    QList<QRgb> inked;
    for (int y = 0; y < symbol.height(); ++y) {
        for (int x = 0; x < symbol.width(); ++x) {
            if (qAlpha(symbol.pixel(x, y)) == 255)
                inked.append(symbol.pixel(x, y) & 0xFFFFFF);
        }
    }
    ASSERT_FALSE(inked.isEmpty());
    EXPECT_EQ(inked.first(), views::palette::red.rgb() & 0xFFFFFF);
}

// Large counts are grouped in thousands, as the interface's locale writes them.
TEST_F(MainPanelViewTest, TheRecordsCountIsGroupedInThousands)
{
    panel(records(10000)).show();
    EXPECT_TRUE(control<QPushButton>(QStringLiteral("流向记录 10,000")));
}

// Below the hints, the host banner and a failure, the empty records state
// still fits: no scroll bar, and its button clear of the divider below.
TEST_F(MainPanelViewTest, TheEmptyRecordsStateFitsBelowTheHintsAndAFailure)
{
    harness.desktop.accessibility().setTrusted(false);
    harness.provider->willReturn(op::nativeHostStatus, NativeHostStatus::disconnected);
    panel();
    harness.model().refreshPermissions();
    harness.model().publishFailure(QStringLiteral("无法打开本地加密账本"),
        QStringLiteral("账本文件已损坏；文件保持原样。请从备份恢复，或移走该文件后重新启动Tovra。"),
        AppFeedbackScope::records, AppRecoveryAction::reloadData());
    harness.model().setMainPanelSection(MainPanelSection::traces);
    view->show();
    QCoreApplication::processEvents();

    auto *placeholder = view->findChild<views::RecordsView *>()->findChild<views::ContentUnavailableView *>();
    ASSERT_TRUE(placeholder && shows(placeholder));
    auto *scroll = qobject_cast<QScrollArea *>(placeholder->parentWidget()->parentWidget());
    ASSERT_TRUE(scroll);
    EXPECT_FALSE(scroll->verticalScrollBar()->isVisible());
    const QWidget *button = placeholder->actionButton();
    const int buttonBottom = button->mapTo(scroll->viewport(), QPoint(0, button->height())).y();
    EXPECT_LE(buttonBottom, scroll->viewport()->height() - 6);
}

// The 导出 menu's arrow stands in the text's line, not in the corner below
// the text's baseline.
TEST_F(MainPanelViewTest, TheExportArrowStandsInTheTextsLine)
{
    panel(records(2)).show();
    harness.model().setMainPanelSection(MainPanelSection::traces);
    auto *button = control<QToolButton>(QStringLiteral("导出当前筛选结果"));
    ASSERT_TRUE(button);
    const QImage image = button->grab().toImage();
    const QColor ground = image.pixelColor(image.width() - 1, 0);
    const QFontMetrics metrics = button->fontMetrics();
    const int baseline = (image.height() + metrics.ascent() - metrics.descent()) / 2;

    int inkInLine = 0;
    int inkBelowBaseline = 0;
    for (int x = image.width() - 12; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - ground.red()) + std::abs(pixel.green() - ground.green()) > 80)
                ++(y > baseline + 1 ? inkBelowBaseline : inkInLine);
        }
    }
    EXPECT_GT(inkInLine, 0);
    EXPECT_EQ(inkBelowBaseline, 0);
}

// Each section's main action is filled with the accent colour, and neither
// wears the default button's frame, which looks like the focus.
TEST_F(MainPanelViewTest, EachSectionsMainActionIsProminentAndNotTheDefault)
{
    panel().show();
    for (const auto &[section, name] : { std::pair { MainPanelSection::clipboard, "回粘所选" },
             std::pair { MainPanelSection::traces, "带溯源粘贴" } }) {
        SCOPED_TRACE(name);
        harness.model().setMainPanelSection(section);
        auto *button = control<QPushButton>(QString::fromUtf8(name));
        ASSERT_TRUE(button);
        EXPECT_EQ(button->palette().color(QPalette::Active, QPalette::Button), views::palette::accent);
        EXPECT_FALSE(button->isDefault());
    }
}

// The records list is built the first time its section is shown, and only
// once.
TEST_F(MainPanelViewTest, TheRecordsSectionIsBuiltWhenFirstShownAndKept)
{
    panel(records(3)).show();
    EXPECT_TRUE(view->findChildren<views::RecordsView *>().isEmpty());

    harness.model().setMainPanelSection(MainPanelSection::traces);
    const auto built = view->findChildren<views::RecordsView *>();
    ASSERT_EQ(built.size(), 1);
    EXPECT_TRUE(shows(built.first()));
    harness.model().setMainPanelSection(MainPanelSection::clipboard);
    EXPECT_FALSE(shows(built.first()));
    harness.model().setMainPanelSection(MainPanelSection::traces);
    EXPECT_EQ(view->findChildren<views::RecordsView *>(), built);
    EXPECT_TRUE(shows(built.first()));
}
