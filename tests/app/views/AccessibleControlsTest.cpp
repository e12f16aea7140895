#include "WidgetSearch.h"
#include "app/model/ModelTestSupport.h"
#include "app/views/InterfaceFont.h"
#include "app/views/MainPanelView.h"
#include "app/views/denylist/DenylistEditor.h"
#include "app/views/panel/PanelDialogs.h"
#include "app/views/settings/SettingsWindow.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QRawFont>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTextBlock>
#include <QTextDocument>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tovra::app::testing {
namespace {

// A started model whose ledger holds two records and two denylist rules, so
// that every control of the records section and of the denylist shows.
struct StartedModel : ModelHarness {
    StartedModel()
    {
        const QDateTime now = desktop.clock().now();
        provider->willReturn(op::listRecords,
            QList { sampleRecord(QStringLiteral("An article"), now),
                sampleRecord(QStringLiteral("Notes"), now) });
        provider->willReturn(op::listDenylistEntries,
            { DenylistEntry { DenylistEntryKind::bundleID, QStringLiteral("com.apple.Terminal"), true },
                DenylistEntry { DenylistEntryKind::domain, QStringLiteral("bank.example.com"), false } });
        finish(model().start());
    }
};

struct WindowCase {
    const char *window;
    std::function<std::unique_ptr<QWidget>(TovraAppModel &)> open;
};

class EveryWindowTest : public ::testing::TestWithParam<WindowCase> { };

std::unique_ptr<QWidget> mainPanelIn(TovraAppModel &model, MainPanelSection section)
{
    model.setMainPanelSection(section);
    return std::make_unique<MainPanelView>(model);
}

// A screen reader announces every control the keyboard can reach by a name.
TEST_P(EveryWindowTest, EveryTabStopHasAName)
{
    StartedModel h;
    std::unique_ptr<QWidget> window = GetParam().open(h.model());
    window->show();

    QStringList unnamed;
    for (QWidget *widget : window->findChildren<QWidget *>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || !isShownIn(widget, window.get()))
            continue;
        if (QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).trimmed().isEmpty())
            unnamed.append(QString::fromLatin1(widget->metaObject()->className()));
    }
    EXPECT_EQ(unnamed, QStringList());
}

INSTANTIATE_TEST_SUITE_P(Windows, EveryWindowTest,
    ::testing::Values(
        WindowCase { "history", [](auto &m) { return mainPanelIn(m, MainPanelSection::clipboard); } },
        WindowCase { "records", [](auto &m) { return mainPanelIn(m, MainPanelSection::traces); } },
        WindowCase { "settings", [](auto &m) { return std::make_unique<views::SettingsWindow>(m); } },
        WindowCase { "denylist", [](auto &m) { return std::make_unique<views::DenylistEditor>(m); } },
        WindowCase { "accessibilityAlert",
            [](auto &m) {
                return std::unique_ptr<QWidget>(views::dialogs::openAccessibilityEducation(m, nullptr));
            } }),
    [](const auto &info) { return std::string(info.param.window); });

// Every text a window shows, in a label or on a button, takes its key
// symbols (⌥ ⇧ ⌘) from one face that draws them all, never each from another
// fallback.
TEST_P(EveryWindowTest, KeySymbolsComeFromOneFaceThatHasThemAll)
{
    // In the app's own typeface, which lacks some of them.
    const QFont systemFont = QApplication::font();
    QApplication::setFont(views::interfaceFont(systemFont));
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(systemFont); });
    StartedModel h;
    h.model().setObservationEnabled(false);
    std::unique_ptr<QWidget> window = GetParam().open(h.model());
    window->show();

    const auto drawsEveryKeySymbol = [](const QRawFont &face) {
        for (const QChar symbol : { QChar(u'⌥'), QChar(u'⇧'), QChar(u'⌘') })
            EXPECT_TRUE(face.supportsCharacter(symbol)) << face.familyName().toStdString();
    };
    const QRegularExpression keySymbol(QStringLiteral("[⌥⇧⌘]"));
    // A button's text is in one font: its first face draws the symbols.
    for (const QAbstractButton *button : window->findChildren<QAbstractButton *>()) {
        if (isShownIn(button, window.get()) && button->text().contains(keySymbol)) {
            SCOPED_TRACE(button->text().toStdString());
            drawsEveryKeySymbol(QRawFont::fromFont(button->font()));
        }
    }
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!isShownIn(label, window.get()))
            continue;
        QTextDocument document;
        document.setDefaultFont(label->font());
        if (label->textFormat() == Qt::RichText)
            document.setHtml(label->text());
        else
            document.setPlainText(label->text());
        SCOPED_TRACE(document.toPlainText().toStdString());
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
                const QString text = fragment.fragment().text();
                if (text.contains(keySymbol))
                    drawsEveryKeySymbol(QRawFont::fromFont(fragment.fragment().charFormat().font()));
            }
        }
    }
}

// The type picker reads as what it chooses, its choice as its value.
TEST(AccessibleControlsTest, TheDenylistTypePickerIsNamedByWhatItChooses)
{
    StartedModel h;
    views::DenylistEditor editor(h.model());
    editor.show();
    auto *picker = childNamed<QComboBox>(&editor, QStringLiteral("排除项类型"));
    ASSERT_TRUE(picker);
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(picker);

    EXPECT_EQ(accessible->role(), QAccessible::ComboBox);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("排除项类型"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("域名"));
}

} // namespace
} // namespace tovra::app::testing
