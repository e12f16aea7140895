#include "app/data/ExportRenderer.h"
#include "app/data/AppJson.h"
#include "core/records/TovraJsonError.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

// Reads RFC 4180 text: quoted fields may hold commas, doubled quotes and
// line breaks; every record must end with CRLF.
std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype index = 0; index < text.size(); ++index) {
        const QChar c = text.at(index);
        if (quoted) {
            if (c == u'"' && index + 1 < text.size() && text.at(index + 1) == u'"') {
                field += u'"';
                ++index;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == u'"' && field.isEmpty()) {
            quoted = true;
        } else if (c == u',') {
            fields.append(field);
            field.clear();
        } else if (c == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n') {
            fields.append(field);
            field.clear();
            records.push_back(fields);
            fields.clear();
            ++index;
        } else {
            EXPECT_NE(c, u'\n') << "bare line feed outside quotes";
            EXPECT_NE(c, u'"') << "quote inside an unquoted field";
            field += c;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quoted field";
    EXPECT_TRUE(field.isEmpty() && fields.isEmpty()) << "last record not ended by CRLF";
    return records;
}

ProvenanceRecord browserRecord()
{
    ProvenanceRecord record;
    record.id = QUuid::fromString(QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301"));
    record.source.url = QUrl(QStringLiteral("https://news.example.org/a?b=1"));
    record.source.title = QStringLiteral("Prices, \"taxes\"\nand more");
    record.source.domain = QStringLiteral("news.example.org");
    record.source.applicationName = QStringLiteral("Google Chrome");
    record.source.capturedAt = QDateTime(QDate(2026, 4, 1), QTime(8, 0, 0, 250), Qt::UTC);
    record.destination.applicationName = QStringLiteral("Obsidian");
    record.destination.bundleIdentifier = QStringLiteral("md.obsidian");
    record.destination.windowTitle = QStringLiteral("=HYPERLINK(\"http://evil\",\"x\")");
    record.destination.accessibilityRole = QStringLiteral("+cmd|' /C calc'!A0");
    record.destination.fieldLabel = QStringLiteral("-2+3");
    record.destination.pastedAt = QDateTime(QDate(2026, 4, 1), QTime(8, 1), Qt::UTC);
    record.confidence = TraceConfidence::observed;
    return record;
}

ProvenanceRecord unknownRecord()
{
    ProvenanceRecord record;
    record.id = QUuid::fromString(QStringLiteral("00000000-0000-4000-8000-000000000001"));
    record.source.applicationName = QStringLiteral("来源未知");
    record.source.capturedAt = QDateTime(QDate(2026, 4, 2), QTime(9, 0), Qt::UTC);
    record.source.isUnknown = true;
    record.destination.applicationName = QStringLiteral("@Notes");
    record.destination.pastedAt = record.source.capturedAt;
    record.destination.isSecureTextEntry = true;
    record.confidence = TraceConfidence::inferred;
    return record;
}

TEST(ExportRendererCsvTest, CommasQuotesLineBreaksAndFormulaLikeTextStayOneInertCell)
{
    const auto empty = parseCsv(ExportRenderer::csv({}));
    ASSERT_EQ(empty.size(), 1u);
    EXPECT_EQ(empty.front(), ExportRenderer::csvHeaders());

    const auto rows = parseCsv(ExportRenderer::csv({ browserRecord(), unknownRecord() }));
    ASSERT_EQ(rows.size(), 3u);
    const QStringList &headers = rows.at(0);
    auto cell = [&](std::size_t row, const char *header) {
        EXPECT_EQ(rows.at(row).size(), headers.size());
        return rows.at(row).at(headers.indexOf(QLatin1String(header)));
    };
    const std::tuple<std::size_t, const char *, QString> cells[] = {
        { 1, "id", QStringLiteral("3f2504e0-4f89-11d3-9a0c-0305e82c3301") },
        { 1, "source_title", QStringLiteral("Prices, \"taxes\"\nand more") },
        { 1, "source_url", QStringLiteral("https://news.example.org/a?b=1") },
        { 1, "source_captured_at", QStringLiteral("2026-04-01T08:00:00.250Z") },
        { 1, "confidence", QStringLiteral("observed") },
        { 1, "source_is_unknown", QStringLiteral("false") },
        { 1, "destination_window_title", QStringLiteral("'=HYPERLINK(\"http://evil\",\"x\")") },
        { 1, "destination_accessibility_role", QStringLiteral("'+cmd|' /C calc'!A0") },
        { 1, "destination_field_label", QStringLiteral("'-2+3") },
        { 2, "destination_application_name", QStringLiteral("'@Notes") },
        { 2, "source_is_unknown", QStringLiteral("true") },
        { 2, "source_url", QString() },
        { 2, "destination_is_secure_text_entry", QStringLiteral("true") },
    };
    for (const auto &[row, header, expected] : cells)
        EXPECT_EQ(cell(row, header), expected) << header;
    // No cell of the file, quoted or not, starts a formula.
    for (const QStringList &row : rows) {
        for (const QString &value : row)
            EXPECT_FALSE(!value.isEmpty() && QStringLiteral("=+-@\t\r").contains(value.front()))
                << value.toStdString();
    }
}

TEST(ExportRendererMarkdownTest, AnEmptyListSaysSo)
{
    EXPECT_EQ(ExportRenderer::markdown({}), QStringLiteral("# Tovra 溯源记录\n\n共 0 条记录。\n"));
}

TEST(ExportRendererMarkdownTest, EachRecordIsASectionOfItsFacts)
{
    const QString markdown = ExportRenderer::markdown({ browserRecord(), unknownRecord() });
    const QStringList lines = markdown.split(QLatin1Char('\n'));

    EXPECT_EQ(lines.at(0), QStringLiteral("# Tovra 溯源记录"));
    EXPECT_EQ(lines.at(2), QStringLiteral("共 2 条记录。"));
    EXPECT_EQ(markdown.count(QStringLiteral("\n## ")), 2);
    EXPECT_TRUE(markdown.contains(QStringLiteral("](https://news.example.org/a?b=1)")));
    EXPECT_EQ(markdown.count(QStringLiteral("安全输入框")), 1);
    for (const QString &line : {
             QStringLiteral("- 记录编号：3f2504e0-4f89-11d3-9a0c-0305e82c3301"),
             QStringLiteral("- 可信度：observed"),
             QStringLiteral("- 粘贴时间：2026-04-01T08:01:00.000Z"),
             QStringLiteral("- 目标 App：Obsidian (md.obsidian)"),
             // A title with commas, quotes and a line break stays one heading line.
             QStringLiteral("## Prices, \"taxes\" and more → Obsidian"),
             // Formula-like text is only text in Markdown, escaped so that it reads literally.
             QStringLiteral("- 目标窗口：\\=HYPERLINK(\"http://evil\",\"x\")"),
             QStringLiteral("## 来源未知 → @Notes"),
             QStringLiteral("- 安全输入框：是"),
         })
        EXPECT_TRUE(lines.contains(line)) << line.toStdString();
}

TEST(ExportRendererMarkdownTest, TextFromOutsideCannotBreakOutOfItsLine)
{
    ProvenanceRecord record = browserRecord();
    record.source.title = QStringLiteral("Title\n# Injected heading\n[click](javascript:alert(1))");
    record.destination.windowTitle = QStringLiteral("line one\r\n- injected fact");
    const QString markdown = ExportRenderer::markdown({ record });
    const QStringList lines = markdown.split(QLatin1Char('\n'));

    EXPECT_EQ(markdown.count(QStringLiteral("\n## ")), 1);
    for (const QString &line : lines) {
        EXPECT_FALSE(line.startsWith(QStringLiteral("# Injected")));
        EXPECT_FALSE(line.startsWith(QStringLiteral("- injected")));
        // Escaped brackets are text; an unescaped "](" would open a link.
        EXPECT_FALSE(QRegularExpression(QStringLiteral(R"((?<!\\)\]\(javascript:)")).match(line).hasMatch())
            << line.toStdString();
    }
    EXPECT_FALSE(markdown.contains(QLatin1Char('\r')));
}

TEST(AppJsonTest, EncodesRecordsWithSortedKeysIsoDatesAndWithoutAbsentFields)
{
    const QByteArray json = AppJson::encode({ browserRecord(), unknownRecord() });
    const QJsonArray array = QJsonDocument::fromJson(json).array();
    ASSERT_EQ(array.size(), 2);

    const QJsonObject browser = array.at(0).toObject();
    EXPECT_EQ(browser.keys(),
        (QStringList { QStringLiteral("confidence"), QStringLiteral("destination"), QStringLiteral("id"),
            QStringLiteral("source") }));
    const QJsonObject source = browser.value(QStringLiteral("source")).toObject();
    EXPECT_EQ(
        source.value(QStringLiteral("title")).toString(), QStringLiteral("Prices, \"taxes\"\nand more"));
    EXPECT_EQ(
        source.value(QStringLiteral("capturedAt")).toString(), QStringLiteral("2026-04-01T08:00:00.250Z"));
    EXPECT_FALSE(source.contains(QStringLiteral("bundleIdentifier")));
    const QJsonObject destination = browser.value(QStringLiteral("destination")).toObject();
    EXPECT_EQ(destination.value(QStringLiteral("windowTitle")).toString(),
        *browserRecord().destination.windowTitle);
    EXPECT_FALSE(destination.contains(QStringLiteral("isEditableTextTarget")));

    const QJsonObject unknown = array.at(1).toObject().value(QStringLiteral("source")).toObject();
    EXPECT_FALSE(unknown.contains(QStringLiteral("url")));
    EXPECT_TRUE(unknown.value(QStringLiteral("isUnknown")).toBool());

    // Keys appear in sorted order in the bytes themselves.
    EXPECT_LT(json.indexOf("\"confidence\""), json.indexOf("\"destination\""));
    EXPECT_LT(json.indexOf("\"destination\""), json.indexOf("\"id\""));
}

TEST(AppJsonTest, ARecordWithAnInvalidDateCannotBeEncoded)
{
    ProvenanceRecord record = browserRecord();
    record.destination.pastedAt = QDateTime();
    EXPECT_THROW(AppJson::encode({ record }), TovraJsonError);
}

} // namespace
} // namespace tovra::app::testing
