#include "core/exports/ExportDocument.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimeZone>

#include <gtest/gtest.h>

namespace tovra {
namespace {

const QDateTime pastedAt = QDateTime::fromMSecsSinceEpoch(1'721'308'800'250, QTimeZone::utc());
const QDateTime capturedAt = QDateTime::fromMSecsSinceEpoch(1'721'308'500'000, QTimeZone::utc());

DestinationContext destination(
    const QString &bundleID, std::optional<QString> appName = {}, std::optional<QString> windowTitle = {})
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

const QString csvHeader = QStringLiteral(
    "trace_id,pasted_at,confidence,receipt_status,content_kind,byte_count,source_id,capture_method,source_"
    "url,"
    "source_title,source_app_name,source_app_bundle_id,captured_at,destination_app_name,destination_app_"
    "bundle_id,"
    "destination_window_title,destination_document_id,destination_url,destination_field_label\r\n");

TEST(ExportDocumentTest, CsvHasAHeaderAndOneRowPerTraceInTheGivenOrder)
{
    EXPECT_EQ(ExportDocument::csv({}), csvHeader);
    // A paste observed without a source leaves the source columns empty.
    EXPECT_EQ(ExportDocument::csv({ browserTrace(), observedTrace() }),
        csvHeader
            + QStringLiteral(
                "3f2504e0-4f89-41d3-9a0c-0305e82c3301,2024-07-18T13:20:00.250Z,verified,posted,text,12,"
                "9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d,chromeExtension,https://example.com/article,"
                "Example Article,Google Chrome,com.google.Chrome,2024-07-18T13:15:00.000Z,Obsidian,"
                "md.obsidian,Notes - Vault,,,\r\n"
                "6fa459ea-ee8a-3ca4-894e-db77e160355e,2024-07-18T13:21:00.250Z,observed,observed,image,"
                "2048,,,,,,,,,org.gnome.TextEditor,,,,\r\n"));
}

TEST(ExportDocumentTest, CsvKeepsSeparatorsInsideTheirCellAndNeutralisesEveryFormulaLikeCell)
{
    TraceRecord trace = browserTrace();
    trace.source->pageTitle = QStringLiteral("Comma, \"quoted\" and\nnew line\r\nagain");
    trace.source->sourceAppName = QStringLiteral("+cmd|' /C calc'!A0");
    trace.paste.destination.windowTitle = QStringLiteral("-2+3");
    trace.paste.destination.appName = QStringLiteral("@SUM(1)");
    trace.paste.destination.fieldLabel = QStringLiteral("\tlabel");
    trace.paste.destination.documentID = QStringLiteral("\r=1");
    EXPECT_EQ(ExportDocument::csv({ trace }),
        csvHeader
            + QStringLiteral(
                "3f2504e0-4f89-41d3-9a0c-0305e82c3301,2024-07-18T13:20:00.250Z,verified,posted,text,12,"
                "9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d,chromeExtension,https://example.com/article,"
                "\"Comma, \"\"quoted\"\" and\nnew line\r\nagain\",'+cmd|' /C calc'!A0,com.google.Chrome,"
                "2024-07-18T13:15:00.000Z,'@SUM(1),md.obsidian,'-2+3,\"'\r=1\",,'\tlabel\r\n"));
}

TEST(ExportDocumentTest, MarkdownListsTheFactsOfEachTrace)
{
    EXPECT_EQ(ExportDocument::markdown({}), QStringLiteral("# Tovra traces\n\nNo traces.\n"));
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

TEST(ExportDocumentTest, JsonIsTheArrayOfRecordsAndEveryFormatRendersAsUtf8)
{
    TraceRecord browser = browserTrace();
    browser.source->pageTitle = QStringLiteral("网页标题");
    const QList<TraceRecord> traces { browser, observedTrace() };
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(ExportDocument::json(traces), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    ASSERT_TRUE(document.isArray());
    const QJsonArray array = document.array();
    ASSERT_EQ(array.size(), 2);
    for (qsizetype i = 0; i < array.size(); ++i) {
        EXPECT_EQ(array.at(i).toObject(), toJson(traces.at(i)));
        EXPECT_EQ(fromJson<TraceRecord>(array.at(i).toObject()), traces.at(i));
    }
    EXPECT_EQ(ExportDocument::json({}), QByteArray("[]"));

    EXPECT_EQ(
        ExportDocument::render(traces, ExportFormat::markdown), ExportDocument::markdown(traces).toUtf8());
    EXPECT_EQ(ExportDocument::render(traces, ExportFormat::csv), ExportDocument::csv(traces).toUtf8());
    EXPECT_EQ(ExportDocument::render(traces, ExportFormat::json), ExportDocument::json(traces));
    EXPECT_TRUE(ExportDocument::render(traces, ExportFormat::csv).contains("网页标题"));
}

} // namespace
} // namespace tovra
