#include "app/model/DesktopScene.h"
#include "app/views/InterfaceFont.h"
#include "app/views/MainPanelView.h"
#include "app/views/denylist/DenylistEditor.h"

#include <QApplication>
#include <QLabel>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tovra::app::testing {
namespace {

QString withoutJoiners(QString text)
{
    return text.remove(QChar(0x2060));
}

// A label's text laid out as the label lays it out, at its width.
std::unique_ptr<QTextDocument> laidOut(const QLabel &label)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0);
    document->setDefaultFont(label.font());
    if (label.textFormat() == Qt::RichText)
        document->setHtml(label.text());
    else
        document->setPlainText(label.text());
    document->setTextWidth(label.contentsRect().width());
    return document;
}

// The lines a wrapping label draws its text in.
QStringList drawnLines(const QLabel &label)
{
    const std::unique_ptr<QTextDocument> document = laidOut(label);
    QStringList lines;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QTextLayout *layout = block.layout();
        for (int index = 0; index < layout->lineCount(); ++index) {
            const QTextLine line = layout->lineAt(index);
            lines.append(withoutJoiners(block.text().mid(line.textStart(), line.textLength())));
        }
    }
    return lines;
}

struct WrapCase {
    const char *place;
    const char *text;
    std::function<std::unique_ptr<QWidget>(DesktopScene &)> open;
};

// In the app's own typeface, which decides where the lines wrap.
class ClauseEndTest : public ::testing::TestWithParam<WrapCase> {
protected:
    void SetUp() override { QApplication::setFont(views::interfaceFont(m_systemFont)); }
    void TearDown() override { QApplication::setFont(m_systemFont); }

private:
    const QFont m_systemFont = QApplication::font();
};

// No line starts with a clause's last character alone before its
// punctuation ("史。", "察。", "值，").
TEST_P(ClauseEndTest, NoLineStartsWithALoneLastCharacter)
{
    DesktopScene h;
    h.finish(h.model().start());
    std::unique_ptr<QWidget> window = GetParam().open(h);
    window->show();
    QCoreApplication::processEvents();
    const QString text = QString::fromUtf8(GetParam().text);
    const QLabel *shown = nullptr;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (withoutJoiners(laidOut(*label)->toPlainText()) == text && label->isVisibleTo(window.get()))
            shown = label;
    }
    ASSERT_TRUE(shown);

    const QStringList lines = drawnLines(*shown);
    for (const QString &line : lines) {
        EXPECT_FALSE(line.size() >= 2 && line.at(0).script() == QChar::Script_Han
            && QStringView(u"。，；：、！？").contains(line.at(1)))
            << lines.join(QLatin1Char('|')).toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ClauseEndTest,
    ::testing::Values(WrapCase { "target", "先在目标 App 放好光标，再回到Tovra选择历史。",
                          [](DesktopScene &h) {
                              h.desktop.switchTo(h.editor);
                              h.model().refreshClipboardShelfTarget();
                              return std::make_unique<MainPanelView>(h.model());
                          } },
        WrapCase { "records", "在 Chrome 中完成带溯源复制，再用 ⌥⇧V 粘贴；也可在设置中开启 App 级观察。",
            [](DesktopScene &h) {
                h.model().setObservationEnabled(false);
                h.model().setMainPanelSection(MainPanelSection::traces);
                return std::make_unique<MainPanelView>(h.model());
            } },
        WrapCase { "denylist",
            "添加来源域名或目标 App 的 Bundle ID。匹配不区分大小写；请使用完整值，避免过宽规则。",
            [](DesktopScene &h) { return std::make_unique<views::DenylistEditor>(h.model()); } }),
    [](const auto &info) { return std::string(info.param.place); });

} // namespace
} // namespace tovra::app::testing
