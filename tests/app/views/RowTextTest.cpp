#include "app/views/RelativeTimeText.h"
#include "app/views/clipboard/ClipboardRowText.h"
#include "app/views/records/RecordRowText.h"

#include <gtest/gtest.h>

namespace tovra::app::views {
namespace {

const QDateTime reference(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);

TEST(RelativeTimeTextTest, CountsInTheLargestWholeUnitAndNeverIntoTheFuture)
{
    const struct {
        qint64 secondsBefore;
        const char *expected;
    } cases[] = {
        { -90, "现在" }, // captured after the reference was last advanced
        { 0, "现在" },
        { 5, "5秒钟前" },
        { 3 * 60 + 59, "3分钟前" },
        { 2 * 3600 + 10, "2小时前" },
        { 3 * 86400 + 3600, "3天前" },
        { 10 * 86400, "1周前" },
        { 40 * 86400, "1个月前" },
        { 400 * 86400, "1年前" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(
            relativeTimeText(reference.addSecs(-c.secondsBefore), reference), QString::fromUtf8(c.expected))
            << c.secondsBefore;
    }
}

SessionClipboardItem textItem(const QString &text)
{
    SessionClipboardItem item { QUuid::createUuid(), {}, {}, SessionClipboardPayload::text(text), {}, 0, 0,
        {}, {} };
    item.source.sourceAppName = QStringLiteral("Safari");
    item.source.sanitizedURL = QStringLiteral("https://example.org/page");
    item.source.captureMethod = CaptureMethod::chromeExtension;
    item.source.capturedAt = reference.addSecs(-300);
    return item;
}

SessionClipboardItem imageItem(std::optional<QString> fileName)
{
    SessionClipboardItem item = textItem(QString());
    item.payload = SessionClipboardPayload::image(SessionClipboardImage(QByteArray(1'234'567, 'x'),
        QStringLiteral("public.png"), 800, 600, std::nullopt, std::move(fileName)));
    item.source.sourceAppName.reset();
    item.source.sanitizedURL.reset();
    item.source.captureMethod = CaptureMethod::pasteboardInference;
    item.source.capturedAt = reference.addSecs(30);
    item.pasteCount = 2;
    return item;
}

TEST(ClipboardRowTextTest, PreviewJoinsNonEmptyLinesAndKeepsSpacesInsideThem)
{
    const struct {
        SessionClipboardItem item;
        const char *expected;
    } cases[] = {
        { textItem(QStringLiteral("  \n \r\n\t \u2028 ")), "空白文本" },
        { textItem(QStringLiteral("first\r\n\r\nsecond\rthird\n\nfourth")), "first second third fourth" },
        { textItem(QStringLiteral("  one  \n  two  ")), "one     two" },
        { textItem(QStringLiteral("a\u2028b\u0085c\u000Bd")), "a b c d" },
        { imageItem(std::nullopt), "截图或图片" },
        { imageItem(QString()), "截图或图片" },
        { imageItem(QStringLiteral("chart.png")), "chart.png" },
    };
    for (const auto &c : cases)
        EXPECT_EQ(clipboardRow::previewText(c.item), QString::fromUtf8(c.expected)) << c.expected;
}

TEST(ClipboardRowTextTest, SourceIsTheApplicationElseThePageHostElseUnknown)
{
    const struct {
        std::optional<QString> application;
        std::optional<QString> url;
        const char *expected;
    } cases[] = {
        { QStringLiteral("Safari"), QStringLiteral("https://example.org/"), "Safari" },
        { QString(), QStringLiteral("https://b%C3%BCcher.example/a"), "bücher.example" },
        { std::nullopt, QStringLiteral("about:blank"), "未知来源 App" },
        { std::nullopt, std::nullopt, "未知来源 App" },
    };
    for (const auto &c : cases) {
        PendingSource source;
        source.sourceAppName = c.application;
        source.sanitizedURL = c.url;
        EXPECT_EQ(clipboardRow::sourceName(source), QString::fromUtf8(c.expected)) << c.expected;
    }
}

TEST(ClipboardRowTextTest, MetadataAndSpokenSummaryOfTextAndImages)
{
    SessionClipboardItem text = textItem(QStringLiteral("👍🏽 ok"));
    const struct {
        SessionClipboardItem item;
        bool isCurrent;
        const char *metadata;
        const char *summary;
    } cases[] = {
        { text, true, "Safari · 5分钟前 · 4 字 · 网页来源",
            "当前剪贴板，来源 Safari，5分钟前，4 个字符，已回粘 0 次" },
        { imageItem(std::nullopt), false, "未知来源 App · 现在 · 800×600 · 1.2 MB · 剪贴板推断 · 已回粘 2 次",
            "图片，800 乘 600 像素，1.2 MB，来源 未知来源 App，现在，已回粘 2 次" },
    };
    for (const auto &c : cases) {
        EXPECT_EQ(clipboardRow::metadataLine(c.item, reference), QString::fromUtf8(c.metadata));
        EXPECT_EQ(
            clipboardRow::accessibilitySummary(c.item, c.isCurrent, reference), QString::fromUtf8(c.summary));
    }
}

TEST(RecordRowTextTest, TitleButtonsAndWindowLineFollowWhatTheRecordKnows)
{
    ProvenanceRecord web;
    web.source.url = QUrl(QStringLiteral("https://news.example.org/a"));
    web.source.title = QStringLiteral("An article");
    web.source.applicationName = QStringLiteral("Chrome");
    web.destination.windowTitle = QStringLiteral("Notes");
    ProvenanceRecord local = web;
    local.source.url.reset();
    local.source.title.clear();
    local.destination.windowTitle = QString();
    ProvenanceRecord unknown = web;
    unknown.source.isUnknown = true;

    const struct {
        ProvenanceRecord record;
        const char *title;
        const char *openHelp;
        const char *openName;
        const char *window;
        bool applicationOnly;
    } cases[] = {
        { web, "An article", "打开原网页", "打开来源：An article", "Notes", false },
        { local, "Chrome", "查看本机记录", "查看本机溯源记录", "仅确认到目标 App", true },
        { unknown, "来源未知", "打开原网页", "打开来源：An article", "Notes", false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(recordRow::sourceTitle(c.record), QString::fromUtf8(c.title));
        EXPECT_EQ(recordRow::openHelp(c.record), QString::fromUtf8(c.openHelp));
        EXPECT_EQ(recordRow::openAccessibleName(c.record), QString::fromUtf8(c.openName));
        EXPECT_EQ(recordRow::windowLine(c.record).text, QString::fromUtf8(c.window));
        EXPECT_EQ(recordRow::windowLine(c.record).applicationOnly, c.applicationOnly);
    }
    EXPECT_EQ(recordRow::deleteAccessibleName(web), QStringLiteral("删除来源为 Chrome 的记录"));
}

} // namespace
} // namespace tovra::app::views
