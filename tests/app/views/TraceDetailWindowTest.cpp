#include "app/model/ModelTestSupport.h"
#include "app/views/SymbolLabel.h"
#include "app/views/TraceConfidenceStyle.h"
#include "app/views/TraceDetailView.h"
#include "app/views/TraceDetailWindowPresenter.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

const ProvenanceRecord record
    = sampleRecord(QStringLiteral("Reading list"), QDateTime(QDate(2024, 3, 5), QTime(14, 3, 22), QTimeZone::utc()));

// The texts the window shows, in order, as read: without the joiners that
// only steer where lines wrap.
QStringList shownTexts(const QWidget *window)
{
    QStringList texts;
    for (const QLabel *label : window->findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            texts.append(QString(label->text()).remove(QChar(0x2060)));
    }
    return texts;
}

struct ContentCase {
    TraceDetailContent content;
    QString title;
    QStringList texts;
};

class TraceDetailContentTest : public ::testing::TestWithParam<ContentCase> {};

TEST_P(TraceDetailContentTest, ShowsItsContentUnderItsTitle)
{
    TraceDetailWindowPresenter presenter;
    presenter.show(GetParam().content);

    ASSERT_TRUE(presenter.window());
    EXPECT_EQ(presenter.window()->windowTitle(), GetParam().title);
    const QStringList texts = shownTexts(presenter.window());
    for (const QString &expected : GetParam().texts)
        EXPECT_TRUE(texts.contains(expected)) << expected.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Contents, TraceDetailContentTest,
    ::testing::Values(
        ContentCase { TraceDetailContent::record(record), QStringLiteral("本机溯源记录"),
            { QStringLiteral("已观测"), QStringLiteral("Google Chrome"), QStringLiteral("Obsidian"),
                QStringLiteral("已确认来源并主动发送粘贴，但目标 App 未返回写入回执。"),
                record.id.toString(QUuid::WithoutBraces).toLower() } },
        ContentCase { TraceDetailContent::notFound(QStringLiteral("溯源记录编号无效。")),
            QStringLiteral("溯源记录不可用"), { QStringLiteral("记录不可用"), QStringLiteral("溯源记录编号无效。") } }));

TEST(TraceDetailWindowTest, IdentifierIsSelectableLowerCaseText)
{
    TraceDetailWindowPresenter presenter;
    presenter.show(TraceDetailContent::record(record));

    const QString identifier = record.id.toString(QUuid::WithoutBraces).toLower();
    const auto labels = presenter.window()->findChildren<QLabel *>();
    const auto found = std::find_if(
        labels.cbegin(), labels.cend(), [&identifier](const QLabel *label) { return label->text() == identifier; });
    ASSERT_NE(found, labels.cend());
    EXPECT_TRUE((*found)->textInteractionFlags().testFlag(Qt::TextSelectableByMouse));
}

TEST(TraceDetailWindowTest, ReusesTheOpenWindowAndOpensAFreshOneAfterClosing)
{
    TraceDetailWindowPresenter presenter;
    presenter.show(TraceDetailContent::record(record));
    QWidget *first = presenter.window();
    first->resize(700, 500);

    presenter.show(TraceDetailContent::notFound(QStringLiteral("这条本机记录已删除、过期或不可用。")));
    EXPECT_EQ(presenter.window(), first);
    EXPECT_EQ(first->windowTitle(), QStringLiteral("溯源记录不可用"));
    EXPECT_EQ(first->size(), TraceDetailWindowPresenter::windowSize);
    EXPECT_EQ(first->findChildren<views::TraceDetailView *>().size(), 1);
    EXPECT_FALSE(shownTexts(first).contains(QStringLiteral("已观测")));

    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(presenter.window());

    presenter.show(TraceDetailContent::record(record));
    ASSERT_TRUE(presenter.window());
    EXPECT_TRUE(presenter.window()->isVisible());
    EXPECT_EQ(presenter.window()->size(), TraceDetailWindowPresenter::windowSize);
}

// Escape closes the window, wherever its keyboard focus is.
TEST(TraceDetailWindowTest, EscapeClosesTheWindow)
{
    TraceDetailWindowPresenter presenter;
    presenter.show(TraceDetailContent::record(record));
    QWidget *window = presenter.window();
    ASSERT_TRUE(window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(presenter.window());
}

// The heading's symbol is drawn in the confidence's colour, as in the records list.
TEST(TraceDetailWindowTest, TheHeadingSymbolIsTintedWithTheConfidencesColour)
{
    const views::TraceDetailView view(TraceDetailContent::record(record));
    const auto *heading = view.findChild<views::SymbolLabel *>();
    ASSERT_TRUE(heading);
    EXPECT_EQ(heading->accessibleName(), QStringLiteral("状态：已观测"));
    QList<QRgb> inked;
    for (const QLabel *part : heading->findChildren<QLabel *>()) {
        const QImage symbol = part->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < symbol.height(); ++y) {
            for (int x = 0; x < symbol.width(); ++x) {
                // A small symbol's thin strokes are all partly covered pixels.
                if (qAlpha(symbol.pixel(x, y)) >= 128)
                    inked.append(symbol.pixel(x, y) & 0xFFFFFF);
            }
        }
    }
    ASSERT_FALSE(inked.isEmpty());
    EXPECT_EQ(inked.first(), views::traceConfidenceStyle(TraceConfidence::observed).color.rgb() & 0xFFFFFF);
}

class TraceDetailDateTest : public ::testing::TestWithParam<const char *> { };

// The paste time reads like every other date of the app, in Chinese and
// without a weekday, whatever language the system speaks.
TEST_P(TraceDetailDateTest, LongChineseDateAndTimeToTheSecondWhateverTheSystemLocale)
{
    const QLocale systemLocale;
    QLocale::setDefault(QLocale(QString::fromLatin1(GetParam())));
    const QDateTime pasted(QDate(2024, 3, 5), QTime(14, 3, 22));
    ProvenanceRecord shown = record;
    shown.destination.pastedAt = pasted;
    const views::TraceDetailView view(TraceDetailContent::record(shown));
    const QStringList texts = shownTexts(&view);
    QLocale::setDefault(systemLocale);

    EXPECT_TRUE(texts.contains(QStringLiteral("2024年3月5日 14:03:22"))) << texts.join(u'|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Locales, TraceDetailDateTest, ::testing::Values("en_US", "zh_CN", "de_DE", "C"));

} // namespace
} // namespace tovra::app::testing
