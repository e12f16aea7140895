#include "app/views/denylist/DenylistEditor.h"
#include "WidgetSearch.h"
#include "app/data/LedgerRecordMapping.h"
#include "app/model/ModelTestSupport.h"
#include "app/views/FailureBanner.h"
#include "app/views/denylist/DenylistRow.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOptionFrame>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace tovra::app::testing {
namespace {

const DenylistEntry terminal { DenylistEntryKind::bundleID, QStringLiteral("com.apple.Terminal"), true };
const DenylistEntry bank { DenylistEntryKind::domain, QStringLiteral("bank.example.com"), false };

class DenylistEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        h.provider->willReturn(op::listDenylistEntries, { terminal, bank });
        h.finish(h.model().reload());
        editor = std::make_unique<views::DenylistEditor>(h.model());
        editor->show();
        field = childNamed<QLineEdit>(editor.get(), QStringLiteral("新的排除关键词"));
        add = childNamed<QPushButton>(editor.get(), QStringLiteral("添加"));
        ASSERT_TRUE(field && add);
    }

    // The user presses Return in the pattern field.
    void pressReturn()
    {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(field, &press);
        h.settle();
    }

    QStringList addedPatterns() const
    {
        QStringList patterns;
        for (const ScriptedDataProvider::Call &call : h.provider->calls(op::addDenylistEntry))
            patterns.append(call.argument<QString>(1));
        return patterns;
    }

    QStringList rowNames() const
    {
        QStringList names;
        for (views::DenylistRow *row : editor->findChildren<views::DenylistRow *>())
            names.append(row->accessibleName());
        return names;
    }

    ModelHarness h;
    std::unique_ptr<views::DenylistEditor> editor;
    QLineEdit *field = nullptr;
    QPushButton *add = nullptr;
};

TEST_F(DenylistEditorTest, BlankPatternAddsNothingAndStaysInTheField)
{
    QTest::keyClicks(field, QStringLiteral("   "));
    EXPECT_FALSE(add->isEnabled());

    pressReturn();

    EXPECT_TRUE(addedPatterns().isEmpty());
    EXPECT_EQ(field->text(), QStringLiteral("   "));
    EXPECT_TRUE(editor->isVisible());
}

TEST_F(DenylistEditorTest, ReturnAddsTheTrimmedPatternOfTheChosenKindAndKeepsTheSheetOpen)
{
    auto *kind = childNamed<QComboBox>(editor.get(), QStringLiteral("排除项类型"));
    kind->setCurrentIndex(1);
    QTest::keyClicks(field, QStringLiteral("  org.example.Vault\t"));
    EXPECT_TRUE(add->isEnabled());

    pressReturn();

    ASSERT_EQ(addedPatterns(), QStringList { QStringLiteral("org.example.Vault") });
    EXPECT_EQ(h.provider->calls(op::addDenylistEntry).at(0).argument<DenylistEntryKind>(0), DenylistEntryKind::bundleID);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(kind->currentIndex(), 1);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(rowNames().contains(QStringLiteral("org.example.Vault")));
}

TEST_F(DenylistEditorTest, AddingTheSameRuleTwiceListsItOnce)
{
    for (const QString &typed : { QStringLiteral("news.example.org"), QStringLiteral(" news.example.org ") }) {
        QTest::keyClicks(field, typed);
        add->click();
        h.settle();
    }

    EXPECT_EQ(addedPatterns().size(), 2);
    EXPECT_EQ(rowNames().count(QStringLiteral("news.example.org")), 1);
}

TEST_F(DenylistEditorTest, DefaultEntriesAreLockedAndOwnEntriesRemovableAfterConfirmation)
{
    EXPECT_TRUE(childNamed<QWidget>(editor.get(), QStringLiteral("系统默认保护项，不可移除")));
    EXPECT_FALSE(childNamed<QAbstractButton>(editor.get(), QStringLiteral("移除排除项 com.apple.Terminal")));

    struct Answer {
        const char *button;
        qsizetype removals;
    };
    for (const Answer answer : { Answer { "取消", 0 }, Answer { "移除", 1 } }) {
        childNamed<QAbstractButton>(editor.get(), QStringLiteral("移除排除项 bank.example.com"))->click();
        auto *confirmation = editor->findChild<QMessageBox *>();
        ASSERT_TRUE(confirmation);
        childNamed<QAbstractButton>(confirmation, QString::fromUtf8(answer.button))->click();
        h.settle();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(h.provider->callCount(op::removeDenylistEntry), answer.removals) << answer.button;
    }
    EXPECT_EQ(rowNames(), QStringList { QStringLiteral("com.apple.Terminal") });
}

// A rule added below the visible rows is scrolled into view.
TEST(DenylistEditorScrollTest, TheListShowsTheRuleJustAdded)
{
    ModelHarness h;
    QList<DenylistEntry> many;
    for (int index = 0; index < 15; ++index)
        many.append({ DenylistEntryKind::domain,
            QStringLiteral("site%1.example").arg(index, 2, 10, QLatin1Char('0')) });
    h.provider->willReturn(op::listDenylistEntries, many);
    h.finish(h.model().reload());
    views::DenylistEditor editor(h.model());
    editor.show();
    h.settle();
    auto *field = childNamed<QLineEdit>(&editor, QStringLiteral("新的排除关键词"));
    ASSERT_TRUE(field);

    QTest::keyClicks(field, QStringLiteral("zzz.example"));
    childNamed<QPushButton>(&editor, QStringLiteral("添加"))->click();
    h.settle();

    views::DenylistRow *added = childNamed<views::DenylistRow>(&editor, QStringLiteral("zzz.example"));
    ASSERT_TRUE(added);
    auto *scroll = editor.findChild<QScrollArea *>();
    ASSERT_TRUE(scroll);
    const QRect shown(added->mapTo(scroll->viewport(), QPoint()), added->size());
    EXPECT_TRUE(scroll->viewport()->rect().contains(shown))
        << shown.y() << "+" << shown.height() << " in " << scroll->viewport()->height();
}

// Each kind's example fits in the field beside the kind picker and the add button.
TEST_F(DenylistEditorTest, TheFieldShowsItsWholeExample)
{
    auto *kind = childNamed<QComboBox>(editor.get(), QStringLiteral("排除项类型"));
    for (int index = 0; index < kind->count(); ++index) {
        kind->setCurrentIndex(index);
        SCOPED_TRACE(field->placeholderText().toStdString());
        QStyleOptionFrame frame;
        frame.initFrom(field);
        const QRect text = field->style()->subElementRect(QStyle::SE_LineEditContents, &frame, field);
        EXPECT_GE(text.width() - 4, field->fontMetrics().horizontalAdvance(field->placeholderText()));
    }
}

TEST_F(DenylistEditorTest, ShowsOnlyDenylistFeedback)
{
    h.model().publishFailure(
        QStringLiteral("无法保存剪贴板"), QString(), AppFeedbackScope::clipboard, AppRecoveryAction::reloadData());
    EXPECT_FALSE(isShownIn(editor->findChild<views::FailureBanner *>(), editor.get()));

    h.model().publishFailure(QStringLiteral("无法添加排除项"), QString(), AppFeedbackScope::denylist,
        AppRecoveryAction::retryAddDenylist(DenylistEntryKind::domain, QStringLiteral("a.example")));
    EXPECT_TRUE(isShownIn(editor->findChild<views::FailureBanner *>(), editor.get()));
}

TEST_F(DenylistEditorTest, ClosingLowersTheModelsFlag)
{
    h.model().setShowDenylist(true);
    childNamed<QPushButton>(editor.get(), QStringLiteral("关闭排除列表"))->click();
    EXPECT_FALSE(h.model().state().showDenylist);
    EXPECT_FALSE(editor->isVisible());
}

} // namespace
} // namespace tovra::app::testing

namespace tovra::app::testing {
namespace {

// The built-in protections (dozens of rules) scroll; they never squeeze the
// rows, whose two lines keep their full height, descenders included.
TEST(DenylistEditorDefaultsTest, TheDefaultRulesKeepEveryRowAtItsFullHeight)
{
    ModelHarness h;
    QList<DenylistEntry> defaults;
    for (const tovra::DenylistEntry &entry : DenylistRules::defaults())
        defaults.append(mapping::denylistEntry(DenylistRule { entry, true }));
    ASSERT_GT(defaults.size(), 20);
    h.provider->willReturn(op::listDenylistEntries, defaults);
    h.finish(h.model().reload());
    views::DenylistEditor editor(h.model());
    editor.show();
    h.settle();

    const QList<views::DenylistRow *> rows = editor.findChildren<views::DenylistRow *>();
    ASSERT_EQ(rows.size(), defaults.size());
    for (const views::DenylistRow *row : rows) {
        SCOPED_TRACE(row->accessibleName().toStdString());
        EXPECT_GE(row->height(), row->layout()->minimumSize().height());
        for (const QLabel *line : row->findChildren<QLabel *>()) {
            if (!line->text().isEmpty()) {
                EXPECT_GE(line->contentsRect().height(), line->fontMetrics().height());
            }
        }
    }
}

} // namespace
} // namespace tovra::app::testing
