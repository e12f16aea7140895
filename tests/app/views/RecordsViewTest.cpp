#include "app/views/records/RecordsView.h"
#include "WidgetSearch.h"
#include "app/model/ModelTestSupport.h"
#include "app/views/ContentUnavailableView.h"
#include "app/views/InterfaceFont.h"
#include "app/views/SymbolIcons.h"
#include "app/views/records/FilterMenuButton.h"
#include "app/views/records/RecordRowDelegate.h"
#include "app/views/records/RecordsControls.h"

#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

using views::FilterMenuButton;

// A ledger of three pastes from two sites into two applications, loaded.
struct LoadedRecords : ModelHarness {
    LoadedRecords()
    {
        const QDateTime now = desktop.clock().now();
        ProvenanceRecord article = sampleRecord(QStringLiteral("An article"), now.addSecs(-60));
        ProvenanceRecord recipe = sampleRecord(QStringLiteral("A recipe"), now.addSecs(-120));
        recipe.source.domain = QStringLiteral("cooking.example");
        recipe.destination.applicationName = QStringLiteral("TextEdit");
        ProvenanceRecord local = sampleRecord(QStringLiteral("Notes"), now.addSecs(-180));
        local.source.url.reset();
        local.confidence = TraceConfidence::inferred;
        records = { article, recipe, local };
        provider->willReturn(op::listRecords, records);
        finish(model().reload());
    }

    QList<ProvenanceRecord> records;
};

QString shownPlaceholder(const QWidget &view)
{
    const auto *placeholder = view.findChild<views::ContentUnavailableView *>();
    return isShownIn(placeholder, &view) ? placeholder->accessibleName() : QString();
}

TEST(RecordsViewTest, ShowsLoadingThenEmptyLedgerThenNoMatchWithAResetThatBringsTheListBack)
{
    ModelHarness h;
    views::RecordsView view(h.model());
    h.provider->hold(op::listRecords);
    auto loading = h.model().reload();
    EXPECT_TRUE(isShownIn(childNamed<QWidget>(&view, QStringLiteral("正在读取本地记录…")), &view));
    h.provider->releaseAll();
    h.finish(std::move(loading));
    EXPECT_EQ(shownPlaceholder(view), QStringLiteral("尚无溯源记录"));
    EXPECT_TRUE(isShownIn(childNamed<QPushButton>(&view, QStringLiteral("带溯源粘贴")), &view));

    LoadedRecords r;
    views::RecordsView records(r.model());
    auto *list = records.findChild<QListView *>();
    EXPECT_TRUE(isShownIn(list, &records));
    EXPECT_EQ(list->accessibleName(), QStringLiteral("溯源记录列表，共 3 条"));
    r.model().setSearchText(QStringLiteral("nothing like it"));
    EXPECT_EQ(shownPlaceholder(records), QStringLiteral("没有匹配的记录"));
    childNamed<QPushButton>(&records, QStringLiteral("重置筛选"))->click();
    EXPECT_TRUE(r.model().state().searchText.isEmpty());
    EXPECT_TRUE(isShownIn(list, &records));
    EXPECT_EQ(list->model()->rowCount(), 3);
}

TEST(RecordsViewTest, ResetAndClearButtonsShowOnlyWhileTheyHaveSomethingToUndo)
{
    const struct {
        const char *name;
        std::function<void(TovraAppModel &)> change;
        bool resetShown;
        bool clearShown;
    } cases[] = {
        { "nothing", [](auto &) {}, false, false },
        { "blank search", [](auto &m) { m.setSearchText(QStringLiteral("  \n")); }, false, true },
        { "search", [](auto &m) { m.setSearchText(QStringLiteral("recipe")); }, true, true },
        { "domain", [](auto &m) { m.setSelectedDomain(QStringLiteral("cooking.example")); }, true, false },
        { "date", [](auto &m) { m.setDateFilter(RecordDateFilter::today); }, true, false },
        { "confidence", [](auto &m) { m.setSelectedConfidence(TraceConfidence::inferred); }, true, false },
        { "reset",
            [](auto &m) {
                m.setSearchText(QStringLiteral("recipe"));
                m.setSelectedDomain(QStringLiteral("cooking.example"));
                m.resetFilters();
            },
            false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoadedRecords r;
        views::RecordsControls controls(r.model());
        c.change(r.model());
        EXPECT_EQ(
            isShownIn(childNamed<QToolButton>(&controls, QStringLiteral("重置全部筛选条件")), &controls),
            c.resetShown);
        EXPECT_EQ(isShownIn(childNamed<QToolButton>(&controls, QStringLiteral("清除搜索")), &controls),
            c.clearShown);
    }
}

bool showsSymbol(const QAction *action, const QString &symbolName)
{
    return !action->icon().isNull()
        && action->icon().pixmap(16).toImage() == SymbolIcons::icon(symbolName).pixmap(16).toImage();
}

TEST(RecordsViewTest, FilterMenusCheckTheCurrentChoiceAndSetTheModelsFilter)
{
    const struct {
        const char *menu;
        std::function<void(TovraAppModel &)> choose;
        QStringList titles;
        QString checked;
        QString label;
    } cases[] = {
        { "domainFilter", [](auto &m) { m.setSelectedDomain(QStringLiteral("news.example.org")); },
            { QStringLiteral("全部来源"), QString(), QStringLiteral("cooking.example"),
                QStringLiteral("news.example.org") },
            QStringLiteral("news.example.org"), QStringLiteral("来源域名筛选，当前为 cooking.example") },
        { "applicationFilter", [](auto &) {},
            { QStringLiteral("全部目标 App"), QString(), QStringLiteral("Obsidian"),
                QStringLiteral("TextEdit") },
            QString(), QStringLiteral("目标 App 筛选，当前为 Obsidian") },
        { "dateFilter", [](auto &) {},
            { QStringLiteral("全部日期"), QStringLiteral("今天"), QStringLiteral("近 7 天"),
                QStringLiteral("近 30 天") },
            QStringLiteral("全部日期"), QStringLiteral("日期筛选，当前为 今天") },
        { "confidenceFilter", [](auto &m) { m.setSelectedConfidence(TraceConfidence::observed); },
            { QStringLiteral("全部状态"), QString(), QStringLiteral("编辑器已确认"), QStringLiteral("已观测"),
                QStringLiteral("可能粘贴") },
            QStringLiteral("已观测"), QStringLiteral("确认状态筛选，当前为 编辑器已确认") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.menu);
        LoadedRecords r;
        views::RecordsControls controls(r.model());
        c.choose(r.model());
        auto *button = controls.findChild<FilterMenuButton *>(QString::fromLatin1(c.menu));
        QMenu *menu = button->menu();
        emit menu->aboutToShow();
        QStringList titles;
        QStringList checked;
        for (QAction *action : menu->actions()) {
            titles.append(action->text());
            if (showsSymbol(action, QStringLiteral("checkmark")))
                checked.append(action->text());
        }
        EXPECT_EQ(titles, c.titles);
        EXPECT_EQ(checked, c.checked.isEmpty() ? QStringList() : QStringList { c.checked });
        if (QString::fromLatin1(c.menu) == QStringLiteral("confidenceFilter")) {
            EXPECT_TRUE(showsSymbol(menu->actions().at(2), QStringLiteral("checkmark.shield")));
            EXPECT_TRUE(showsSymbol(menu->actions().at(4), QStringLiteral("questionmark.diamond")));
        }
        // The first choice after "all" and its divider; the date menu has neither.
        menu->actions().at(c.titles.at(1).isEmpty() ? 2 : 1)->trigger();
        EXPECT_EQ(button->accessibleName(), c.label);
        EXPECT_TRUE(button->label().isActive);
    }
}

TEST(RecordsViewTest, RowButtonsAndKeysOpenTheSourceOrAskForDeletion)
{
    const struct {
        const char *name;
        std::function<void(QListView *, const QModelIndex &)> gesture;
        bool opened;
        bool deletionAsked;
    } cases[] = {
        { "open button",
            [](auto *list, const auto &row) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    views::RecordRowDelegate::openButtonRect(list->visualRect(row)).center());
            },
            true, false },
        { "delete button",
            [](auto *list, const auto &row) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    views::RecordRowDelegate::deleteButtonRect(list->visualRect(row)).center());
            },
            false, true },
        { "Return",
            [](auto *list, const auto &row) {
                list->setCurrentIndex(row);
                QTest::keyClick(list, Qt::Key_Return);
            },
            true, false },
        { "Delete",
            [](auto *list, const auto &row) {
                list->setCurrentIndex(row);
                QTest::keyClick(list, Qt::Key_Delete);
            },
            false, true },
        { "click elsewhere in the row",
            [](auto *list, const auto &row) {
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(row).center());
            },
            false, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LoadedRecords r;
        views::RecordsView view(r.model());
        view.resize(440, 400);
        view.show();
        auto *list = view.findChild<QListView *>();
        // The third row is the record without a web page: it opens in the detail window.
        c.gesture(list, list->model()->index(2, 0));
        r.settle();
        EXPECT_EQ(r.traceDetails.shown.size(), c.opened ? 1 : 0);
        EXPECT_EQ(r.model().state().pendingDeletion,
            c.deletionAsked ? std::optional(r.records.at(2)) : std::nullopt);
    }
}

} // namespace
} // namespace tovra::app::testing

namespace tovra::app::testing {
namespace {

// The current row's buttons are controls of their own: Tab reaches them from
// the list, and assistive tools find and press them by their names.
TEST(RecordsViewTest, TheCurrentRowsButtonsAreNamedControlsThatTabReaches)
{
    LoadedRecords r;
    views::RecordsView view(r.model());
    view.resize(440, 400);
    view.show();
    auto *list = view.findChild<QListView *>();
    const struct {
        int row;
        const char *open;
        const char *remove;
    } rows[] = {
        { 0, "打开来源：An article", "删除来源为 Google Chrome 的记录" },
        { 2, "查看本机溯源记录", "删除来源为 Google Chrome 的记录" },
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.row);
        const QModelIndex index = list->model()->index(row.row, 0);
        list->setCurrentIndex(index);
        auto *open = childNamed<QToolButton>(&view, QString::fromUtf8(row.open));
        auto *remove = childNamed<QToolButton>(&view, QString::fromUtf8(row.remove));
        ASSERT_TRUE(open && remove);
        EXPECT_TRUE(isShownIn(open, &view) && isShownIn(remove, &view));
        const QRect rowRect = list->visualRect(index).translated(list->viewport()->mapTo(&view, QPoint()));
        EXPECT_TRUE(rowRect.contains(open->geometry()));
        EXPECT_TRUE(rowRect.contains(remove->geometry()));
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(open);
        ASSERT_TRUE(accessible);
        EXPECT_EQ(accessible->text(QAccessible::Name), QString::fromUtf8(row.open));

        // Tab from the list stops at the open button, then at the delete button.
        QList<QWidget *> tabStops;
        for (QWidget *next = list->nextInFocusChain(); next != list && tabStops.size() < 2;
             next = next->nextInFocusChain()) {
            if ((next->focusPolicy() & Qt::TabFocus) && next->isVisibleTo(&view) && next->isEnabled())
                tabStops.append(next);
        }
        EXPECT_EQ(tabStops, (QList<QWidget *> { open, remove }));

        open->click();
        remove->click();
        r.settle();
        EXPECT_EQ(r.model().state().pendingDeletion, std::optional(r.records.at(row.row)));
        r.model().setPendingDeletion(std::nullopt);
    }
    // The web page opened in the browser; the record without one in the detail window.
    EXPECT_EQ(r.desktop.workspace().openedURLs(), QList { *r.records.at(0).source.url });
    EXPECT_EQ(r.traceDetails.shown, QList { TraceDetailContent::record(r.records.at(2)) });
}

// Whether `target` is reachable from `root` through the accessible children,
// as a screen reader walks a window.
bool inAccessibleTree(QAccessibleInterface *root, QAccessibleInterface *target)
{
    if (root == target)
        return true;
    for (int child = 0; child < root->childCount(); ++child) {
        if (QAccessibleInterface *next = root->child(child); next && inAccessibleTree(next, target))
            return true;
    }
    return false;
}

// A screen reader finds the current row's buttons under the window, and the
// row reports the focus only while the list has it.
TEST(RecordsViewTest, TheRowButtonsAreInTheAccessibleTreeAndTheRowLetsTheFocusGo)
{
    LoadedRecords r;
    views::RecordsView view(r.model());
    view.resize(440, 400);
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    auto *list = view.findChild<QListView *>();
    list->setFocus();
    list->setCurrentIndex(list->model()->index(1, 0));
    auto *open = childNamed<QToolButton>(&view, QStringLiteral("打开来源：A recipe"));
    ASSERT_TRUE(open);
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(&view);
    EXPECT_TRUE(inAccessibleTree(window, QAccessible::queryAccessibleInterface(open)));

    const auto rowFocused = [&] {
        QAccessibleInterface *table = QAccessible::queryAccessibleInterface(list);
        for (int child = 0; child < table->childCount(); ++child) {
            if (QAccessibleInterface *cell = table->child(child); cell && cell->state().focused)
                return true;
        }
        return false;
    };
    EXPECT_TRUE(rowFocused());
    QTest::keyClick(list, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), open);
    EXPECT_FALSE(rowFocused());

    // Back in the list, the same row is current again.
    QTest::keyClick(open, Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(list->currentIndex().row(), 1);
    EXPECT_TRUE(rowFocused());
}

// The current row's real buttons lie over the ones the row draws, also once
// a scroll bar has narrowed the list; on the selection they take its text
// colour, as the drawn ones do.
TEST(RecordsViewTest, TheCurrentRowsButtonsLieOverTheDrawnOnesWhenTheListScrolls)
{
    LoadedRecords r;
    views::RecordsView view(r.model());
    view.resize(440, 600);
    view.show();
    auto *list = view.findChild<QListView *>();
    list->setCurrentIndex(list->model()->index(1, 0));
    QCoreApplication::processEvents();
    view.resize(440, 190);
    QCoreApplication::processEvents();
    ASSERT_TRUE(list->verticalScrollBar()->isVisible());

    const QRect row = list->visualRect(list->currentIndex());
    auto *open = childNamed<QToolButton>(&view, QStringLiteral("打开来源：A recipe"));
    ASSERT_TRUE(open && open->isVisible());
    EXPECT_EQ(open->geometry().translated(-list->viewport()->mapTo(&view, QPoint())),
        views::RecordRowDelegate::openButtonRect(row));
    const QImage symbol = open->icon().pixmap(open->iconSize()).toImage();
    QSet<QRgb> inks;
    for (int y = 0; y < symbol.height(); ++y) {
        for (int x = 0; x < symbol.width(); ++x) {
            if (qAlpha(symbol.pixel(x, y)) == 255)
                inks.insert(symbol.pixel(x, y) & 0xFFFFFF);
        }
    }
    EXPECT_EQ(inks, QSet<QRgb> { list->palette().color(QPalette::HighlightedText).rgb() & 0xFFFFFF });
}

// A focused row shows where the keyboard is: it is drawn otherwise than the
// same row without the focus.
TEST(RecordsViewTest, AFocusedRowIsDrawnWithAHighlight)
{
    LoadedRecords r;
    views::RecordsView view(r.model());
    view.resize(440, 400);
    view.show();
    auto *list = view.findChild<QListView *>();
    const QModelIndex index = list->model()->index(0, 0);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = QRect(QPoint(), list->visualRect(index).size());
    option.widget = list;
    const auto drawn = [&](QStyle::State focus) {
        QImage image(option.rect.size(), QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem state = option;
        state.state = (state.state & ~QStyle::State_HasFocus) | focus;
        list->itemDelegate()->paint(&painter, state, index);
        return image;
    };
    EXPECT_NE(drawn(QStyle::State_HasFocus), drawn(QStyle::State_None));
}

} // namespace
} // namespace tovra::app::testing

namespace tovra::app::testing {
namespace {

// At the width it asks for, a filter's title is drawn whole: no ellipsis for
// a title that fits.
TEST(RecordsViewTest, AFilterTitleFitsTheWidthItAsksFor)
{
    for (const char *title : { "近 30 天", "近 7 天", "今天", "已观测", "来源", "Obsidian" }) {
        SCOPED_TRACE(title);
        FilterMenuButton button(QStringLiteral("日期"));
        button.setLabel(
            { QString::fromUtf8(title), QStringLiteral("calendar"), true, QString::fromUtf8(title) });
        button.resize(button.sizeHint());
        EXPECT_EQ(button.shownTitle(), QString::fromUtf8(title));
    }
}

// The vertical middle of the ink at the right end of a filter's text: where
// its ellipsis sits.
double ellipsisMiddle(const QString &title)
{
    FilterMenuButton button(QStringLiteral("来源"));
    button.setLabel({ title, QStringLiteral("globe"), true, title });
    button.resize(FilterMenuButton::maximumWidth, FilterMenuButton::minimumHeight);
    const QImage image = button.grab().toImage();
    const QColor ground = image.pixelColor(image.width() - 3, image.height() / 2);
    const auto inked = [&](int x, int y) {
        const QColor pixel = image.pixelColor(x, y);
        return std::abs(pixel.red() - ground.red()) + std::abs(pixel.blue() - ground.blue()) > 80;
    };
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (inked(x, y))
                right = x;
        }
    }
    double rows = 0;
    int count = 0;
    for (int x = std::max(0, right - 5); x <= right; ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (inked(x, y)) {
                rows += y;
                ++count;
            }
        }
    }
    return count ? rows / count : -1;
}

// A cut title ends in the same ellipsis after Latin as after Chinese.
TEST(RecordsViewTest, ACutFilterTitleEndsInTheSameEllipsisAfterLatinAndChinese)
{
    const QFont systemFont = QApplication::font();
    QApplication::setFont(views::interfaceFont(systemFont));
    const double afterLatin = ellipsisMiddle(QStringLiteral("news.example.organisation.org"));
    const double afterChinese = ellipsisMiddle(QStringLiteral("一个名字很长的中文应用程序"));
    QApplication::setFont(systemFont);
    ASSERT_GT(afterLatin, 0);
    EXPECT_NEAR(afterLatin, afterChinese, 1.0);
}

} // namespace
} // namespace tovra::app::testing
