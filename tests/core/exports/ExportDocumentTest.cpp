#include "core/exports/ExportDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace tovra {
namespace {

const QDateTime pastedAt = QDateTime::fromMSecsSinceEpoch(1'721'308'800'250, QTimeZone::utc());
const QDateTime capturedAt = QDateTime::fromMSecsSinceEpoch(1'721'308'500'000, QTimeZone::utc());

DestinationContext destination(const QString &bundleID, const std::optional<QString> &appName = std::nullopt,
    const std::optional<QString> &windowTitle = std::nullopt)
{
    DestinationContext context;
    context.appBundleID = bundleID;
    context.appName = appName;
    context.windowTitle = windowTitle;
    return context;
}

TraceRecord browserTrace()
{
    return TraceRecord {
        .id = QUuid(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301")),
        .source = PendingSource {
            .id = QUuid(QStringLiteral("9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d")),
            .captureMethod = CaptureMethod::chromeExtension,
            .contentFingerprint = QStringLiteral("0f"),
            .byteCount = 12,
            .sanitizedURL = QStringLiteral("https://example.com/article"),
            .pageTitle = QStringLiteral("Example Article"),
            .sourceAppName = QStringLiteral("Google Chrome"),
            .sourceAppBundleID = QStringLiteral("com.google.Chrome"),
            .sourceProcessIdentifier = std::nullopt,
            .capturedAt = capturedAt,
            .expiresAt = capturedAt.addSecs(3600),
        },
        .paste = PasteRecord {
            .id = QUuid(QStringLiteral("1b4e28ba-2fa1-4d3b-a3f5-ef19b5a7633b")),
            .destination = destination(QStringLiteral("md.obsidian"), QStringLiteral("Obsidian"), QStringLiteral("Notes - Vault")),
            .pastedAt = pastedAt,
            .contentFingerprint = QStringLiteral("0f"),
            .byteCount = 12,
            .isImage = false,
        },
        .confidence = TraceConfidence::verified,
        .receiptStatus = PasteReceiptStatus::posted,
    };
}

TraceRecord observedTrace()
{
    return TraceRecord {
        .id = QUuid(QStringLiteral("6fa459ea-ee8a-3ca4-894e-db77e160355e")),
        .source = std::nullopt,
        .paste = PasteRecord {
            .id = QUuid(QStringLiteral("16fd2706-8baf-433b-82eb-8c7fada847da")),
            .destination = destination(QStringLiteral("org.gnome.TextEditor")),
            .pastedAt = pastedAt.addSecs(60),
            .contentFingerprint = std::nullopt,
            .byteCount = 2048,
            .isImage = true,
        },
        .confidence = TraceConfidence::observed,
        .receiptStatus = PasteReceiptStatus::observed,
    };
}

// Reads RFC 4180 text back into rows of cells.
QList<QStringList> parseCsv(const QString &text)
{
    QList<QStringList> rows;
    QStringList row;
    QString cell;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('"')) {
                cell += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                cell += c;
            }
        } else if (c == QLatin1Char('"')) {
            EXPECT_TRUE(cell.isEmpty()) << "a quote inside an unquoted cell";
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row.append(cell);
            cell.clear();
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            row.append(cell);
            cell.clear();
            rows.append(row);
            row.clear();
            ++i;
        } else {
            EXPECT_NE(c, QLatin1Char('\n')) << "a bare line break outside quotes";
            cell += c;
        }
    }
    EXPECT_FALSE(quoted) << "unterminated quoted cell";
    EXPECT_TRUE(cell.isEmpty() && row.isEmpty()) << "the last row has no CRLF";
    return rows;
}

QString column(const QList<QStringList> &rows, qsizetype row, const QString &header)
{
    const qsizetype index = rows.at(0).indexOf(header);
    EXPECT_GE(index, 0) << header.toStdString();
    return index < 0 ? QString() : rows.at(row).at(index);
}

TEST(ExportDocumentTest, CsvHeadersAreLowerSnakeCase)
{
    const QStringList rows = ExportDocument::csv({}).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows.at(0), ExportDocument::csvHeaders().join(QLatin1Char(',')));
    EXPECT_TRUE(rows.at(1).isEmpty());
    const QRegularExpression snake(QStringLiteral("^[a-z]+(_[a-z]+)*$"));
    for (const QString &header : ExportDocument::csvHeaders())
        EXPECT_TRUE(snake.match(header).hasMatch()) << header.toStdString();
}

TEST(ExportDocumentTest, CsvHasOneRowPerTraceInTheGivenOrder)
{
    const auto rows = parseCsv(ExportDocument::csv({ browserTrace(), observedTrace() }));
    ASSERT_EQ(rows.size(), 3);
    for (const QStringList &row : rows)
        EXPECT_EQ(row.size(), ExportDocument::csvHeaders().size());

    EXPECT_EQ(
        column(rows, 1, QStringLiteral("trace_id")), QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("pasted_at")), QStringLiteral("2024-07-18T13:20:00.250Z"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("confidence")), QStringLiteral("verified"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("receipt_status")), QStringLiteral("posted"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("content_kind")), QStringLiteral("text"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("byte_count")), QStringLiteral("12"));
    EXPECT_EQ(
        column(rows, 1, QStringLiteral("source_id")), QStringLiteral("9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("capture_method")), QStringLiteral("chromeExtension"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_url")), QStringLiteral("https://example.com/article"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_title")), QStringLiteral("Example Article"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_app_name")), QStringLiteral("Google Chrome"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_app_bundle_id")), QStringLiteral("com.google.Chrome"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("captured_at")), QStringLiteral("2024-07-18T13:15:00.000Z"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_app_name")), QStringLiteral("Obsidian"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_app_bundle_id")), QStringLiteral("md.obsidian"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_window_title")), QStringLiteral("Notes - Vault"));

    // A paste observed without a source leaves the source columns empty.
    EXPECT_EQ(
        column(rows, 2, QStringLiteral("trace_id")), QStringLiteral("6fa459ea-ee8a-3ca4-894e-db77e160355e"));
    EXPECT_EQ(column(rows, 2, QStringLiteral("content_kind")), QStringLiteral("image"));
    EXPECT_EQ(column(rows, 2, QStringLiteral("byte_count")), QStringLiteral("2048"));
    for (const char *header : { "source_id", "capture_method", "source_url", "source_title", "captured_at",
             "destination_app_name", "destination_window_title" })
        EXPECT_TRUE(column(rows, 2, QString::fromLatin1(header)).isEmpty()) << header;
}

TEST(ExportDocumentTest, CsvKeepsCommasQuotesAndLineBreaksInsideTheirCell)
{
    TraceRecord trace = browserTrace();
    trace.source->pageTitle = QStringLiteral("Comma, \"quoted\" and\nnew line\r\nagain");
    trace.paste.destination.windowTitle = QStringLiteral("\"");
    const auto rows = parseCsv(ExportDocument::csv({ trace }));
    ASSERT_EQ(rows.size(), 2);
    ASSERT_EQ(rows.at(1).size(), ExportDocument::csvHeaders().size());
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_title")), *trace.source->pageTitle);
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_window_title")), QStringLiteral("\""));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_app_name")), QStringLiteral("Obsidian"));
}

TEST(ExportDocumentTest, CsvNeutralisesEveryFormulaLikeCell)
{
    TraceRecord trace = browserTrace();
    trace.source->pageTitle = QStringLiteral("=HYPERLINK(\"http://evil.test\",\"click\")");
    trace.source->sourceAppName = QStringLiteral("+cmd|' /C calc'!A0");
    trace.paste.destination.windowTitle = QStringLiteral("-2+3");
    trace.paste.destination.appName = QStringLiteral("@SUM(1)");
    trace.paste.destination.fieldLabel = QStringLiteral("\tlabel");
    trace.paste.destination.documentID = QStringLiteral("\r=1");
    const auto rows = parseCsv(ExportDocument::csv({ trace }));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_title")), QLatin1Char('\'') + *trace.source->pageTitle);
    EXPECT_EQ(column(rows, 1, QStringLiteral("source_app_name")), QStringLiteral("'+cmd|' /C calc'!A0"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_window_title")), QStringLiteral("'-2+3"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_app_name")), QStringLiteral("'@SUM(1)"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_field_label")), QStringLiteral("'\tlabel"));
    EXPECT_EQ(column(rows, 1, QStringLiteral("destination_document_id")), QStringLiteral("'\r=1"));
    for (const QStringList &row : rows) {
        for (const QString &cell : row) {
            if (!cell.isEmpty()) {
                EXPECT_FALSE(QStringLiteral("=+-@\t\r").contains(cell.front())) << cell.toStdString();
            }
        }
    }
}

TEST(ExportDocumentTest, MarkdownListsTheFactsOfEachTrace)
{
    EXPECT_EQ(ExportDocument::markdown({ browserTrace(), observedTrace() }),
        QStringLiteral("# Tovra traces\n"
                       "\n"
                       "## Example Article → Obsidian\n"
                       "\n"
                       "- Trace ID: 3f2504e0-4f89-41d3-9a0c-0305e82c3301\n"
                       "- Pasted at: 2024-07-18T13:20:00.250Z\n"
                       "- Confidence: verified\n"
                       "- Receipt: posted\n"
                       "- Content: text, 12 bytes\n"
                       "- Source: [Example Article](https://example.com/article)\n"
                       "- Source application: Google Chrome (com.google.Chrome)\n"
                       "- Capture method: chromeExtension\n"
                       "- Captured at: 2024-07-18T13:15:00.000Z\n"
                       "- Destination: Obsidian (md.obsidian)\n"
                       "- Window: Notes - Vault\n"
                       "\n"
                       "## Unknown source → org.gnome.TextEditor\n"
                       "\n"
                       "- Trace ID: 6fa459ea-ee8a-3ca4-894e-db77e160355e\n"
                       "- Pasted at: 2024-07-18T13:21:00.250Z\n"
                       "- Confidence: observed\n"
                       "- Receipt: observed\n"
                       "- Content: image, 2048 bytes\n"
                       "- Destination: org.gnome.TextEditor\n"));
}

TEST(ExportDocumentTest, MarkdownOfNoTracesSaysSo)
{
    EXPECT_EQ(ExportDocument::markdown({}), QStringLiteral("# Tovra traces\n\nNo traces.\n"));
}

TEST(ExportDocumentTest, MarkdownValuesReadLiterally)
{
    TraceRecord trace = browserTrace();
    trace.source->pageTitle = QStringLiteral("[Draft] *bold* `x`\nsecond | line");
    trace.source->sanitizedURL = QStringLiteral("https://en.wikipedia.org/wiki/Foo_(bar)");
    trace.paste.destination.windowTitle = QStringLiteral("<script>&amp; #1 ==mark==");
    const QString text = ExportDocument::markdown({ trace });
    EXPECT_TRUE(
        text.contains(QStringLiteral("## \\[Draft\\] \\*bold\\* \\`x\\` second \\| line → Obsidian\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("- Source: [\\[Draft\\] *bold* \\`x\\` second | line]"
                                             "(https://en.wikipedia.org/wiki/Foo_%28bar%29)\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("- Window: \\<script\\>\\&amp; \\#1 \\=\\=mark\\=\\=\n")))
        << text.toStdString();
}

TEST(ExportDocumentTest, MarkdownNamesASourceWithoutTitleByHostThenApplication)
{
    TraceRecord trace = browserTrace();
    trace.source->pageTitle = QStringLiteral("  ");
    EXPECT_TRUE(ExportDocument::markdown({ trace }).contains(QStringLiteral("## example.com → Obsidian\n")));
    trace.source->sanitizedURL.reset();
    const QString text = ExportDocument::markdown({ trace });
    EXPECT_TRUE(text.contains(QStringLiteral("## Google Chrome → Obsidian\n")));
    EXPECT_FALSE(text.contains(QStringLiteral("- Source:")));
}

TEST(ExportDocumentTest, JsonIsTheArrayOfRecordsAndReadsBack)
{
    const QList<TraceRecord> traces { browserTrace(), observedTrace() };
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(ExportDocument::json(traces), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    ASSERT_TRUE(document.isArray());
    const QJsonArray array = document.array();
    ASSERT_EQ(array.size(), 2);
    for (qsizetype i = 0; i < array.size(); ++i) {
        ASSERT_TRUE(array.at(i).isObject());
        EXPECT_EQ(array.at(i).toObject(), toJson(traces.at(i)));
        EXPECT_EQ(fromJson<TraceRecord>(array.at(i).toObject()), traces.at(i));
    }
    EXPECT_EQ(ExportDocument::json({}), QByteArray("[]"));
}

TEST(ExportDocumentTest, RenderGivesEachFormatAsUtf8)
{
    TraceRecord trace = browserTrace();
    trace.source->pageTitle = QStringLiteral("网页标题");
    const QList<TraceRecord> traces { trace };
    EXPECT_EQ(
        ExportDocument::render(traces, ExportFormat::markdown), ExportDocument::markdown(traces).toUtf8());
    EXPECT_EQ(ExportDocument::render(traces, ExportFormat::csv), ExportDocument::csv(traces).toUtf8());
    EXPECT_EQ(ExportDocument::render(traces, ExportFormat::json), ExportDocument::json(traces));
    EXPECT_TRUE(ExportDocument::render(traces, ExportFormat::csv).contains("网页标题"));
}

} // namespace
} // namespace tovra
