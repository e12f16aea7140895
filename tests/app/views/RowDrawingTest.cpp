#include "DrawnText.h"
#include "app/model/DesktopScene.h"
#include "app/views/TraceConfidenceStyle.h"
#include "app/views/clipboard/ClipboardHistoryList.h"
#include "app/views/clipboard/ClipboardHistoryView.h"
#include "app/views/clipboard/ClipboardRowText.h"
#include "app/views/records/RecordRowText.h"
#include "app/views/records/RecordsView.h"

#include <QListView>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

// What the record and history rows draw, read as texts and symbols.
namespace tovra::app::testing {
namespace {

double luminance(const QColor &color)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    const QColor rgb = color.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

// The contrast ratio of two colours (1 to 21).
double contrast(const QColor &one, const QColor &other)
{
    const double first = luminance(one);
    const double second = luminance(other);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

// The strongest opaque colour of a symbol against `background`.
double symbolContrast(const QPixmap &symbol, const QColor &background)
{
    const QImage image = symbol.toImage();
    double best = 1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 255)
                best = std::max(best, contrast(pixel, background));
        }
    }
    return best;
}

// The records list on screen with `records` loaded.
struct RecordsOnScreen : ModelHarness {
    explicit RecordsOnScreen(const QList<ProvenanceRecord> &records)
    {
        provider->willReturn(op::listRecords, records);
        finish(model().reload());
        view.resize(440, 400);
        view.show();
        list = view.findChild<QListView *>();
    }

    views::RecordsView view { model() };
    QListView *list = nullptr;
};

// On the selection's colour, the status title and symbol stay as legible as
// a graphic must be (3:1), whatever the confidence.
TEST(RowDrawingTest, ASelectedRecordsStatusStandsOutFromTheSelection)
{
    for (const TraceConfidence confidence : allCases<TraceConfidence>()) {
        ProvenanceRecord record = sampleRecord(QStringLiteral("标题"), SimulatedClock::defaultStart());
        record.confidence = confidence;
        RecordsOnScreen screen({ record });
        screen.list->setCurrentIndex(screen.list->model()->index(0, 0));
        const QString title = views::traceConfidenceStyle(confidence).title;
        SCOPED_TRACE(title.toStdString());
        const QColor selection = screen.list->palette().color(QPalette::Active, QPalette::Highlight);
        const DrawnContent drawn = drawnContent(screen.list->viewport());
        const DrawnText *status = drawn.startingWith(title);
        ASSERT_TRUE(status);
        EXPECT_GE(contrast(status->color, selection), 3.0);
        ASSERT_FALSE(drawn.pixmaps.isEmpty());
        EXPECT_GE(symbolContrast(drawn.pixmaps.first().pixmap, selection), 3.0);
    }
}

// A long application name and a long domain take only their share of the
// route line: the domain keeps both ends around a cut in its middle, and the
// destination and the paste time stay whole inside the row.
TEST(RowDrawingTest, LongNamesInARecordRowLeaveTheOtherFactsVisible)
{
    ProvenanceRecord record = sampleRecord(QStringLiteral("标题"), SimulatedClock::defaultStart());
    record.source.applicationName = QStringLiteral("Google Chrome 网页浏览器（开发者预览版）Canary 构建");
    record.source.domain = QStringLiteral("documentation.very-long-subdomain.example-university.edu.cn");
    record.destination.applicationName = QStringLiteral("Obsidian");
    RecordsOnScreen screen({ record });
    const QRect row = screen.list->visualRect(screen.list->model()->index(0, 0));
    const DrawnContent drawn = drawnContent(screen.list->viewport());

    const DrawnText *domain = drawn.startingWith(record.source.domain.left(4));
    ASSERT_TRUE(domain);
    EXPECT_TRUE(domain->text.endsWith(record.source.domain.right(4))) << domain->text.toStdString();
    EXPECT_TRUE(domain->text.contains(QChar(0x2026))) << domain->text.toStdString();
    for (const QString &whole :
        { record.destination.applicationName, views::recordRow::pasteTime(record, screen.model().now()) }) {
        const DrawnText *text = drawn.startingWith(whole);
        ASSERT_TRUE(text) << whole.toStdString();
        EXPECT_EQ(text->text, whole);
        EXPECT_LE(text->area.right(), row.right() + 1) << whole.toStdString();
    }
}

// The field's role reads in Chinese, as everything else in the row.
TEST(RowDrawingTest, TheDestinationRoleIsNamedInChinese)
{
    ProvenanceRecord record = sampleRecord(QStringLiteral("标题"), SimulatedClock::defaultStart());
    record.destination.accessibilityRole = QStringLiteral("text");
    RecordsOnScreen screen({ record });
    const DrawnContent drawn = drawnContent(screen.list->viewport());
    EXPECT_TRUE(drawn.startingWith(QStringLiteral("文本框")));
    EXPECT_FALSE(drawn.startingWith(QStringLiteral("text")));
}

// A long source application name in the history cuts itself short: the
// capture time, the size and the capture method stay on the line.
TEST(RowDrawingTest, ALongSourceNameInAHistoryRowLeavesTimeSizeAndMethod)
{
    DesktopScene scene;
    PendingSource source = pendingSource(QStringLiteral("long"));
    const QString name = QStringLiteral("一个名字非常非常长的应用程序（企业版，含全部插件与扩展组件）2026");
    source.sourceAppName = name;
    scene.copyIntoHistory(scene.browser, QStringLiteral("正文"), source);
    views::ClipboardHistoryView view(scene.model());
    view.resize(440, 360);
    view.show();
    const SessionClipboardItem &item = scene.state().clipboardItems.constFirst();
    const DrawnContent drawn = drawnContent(view.findChild<views::ClipboardHistoryList *>()->viewport());

    const DrawnText *metadata = drawn.startingWith(name.left(4));
    ASSERT_TRUE(metadata);
    for (const QString &fact : { views::clipboardRow::contentMetadata(item),
             views::clipboardRow::captureMethodLabel(item.source.captureMethod) })
        EXPECT_TRUE(metadata->text.contains(fact)) << metadata->text.toStdString();
    EXPECT_FALSE(metadata->text.contains(name)) << metadata->text.toStdString();
}

} // namespace
} // namespace tovra::app::testing
