#include "core/exports/ExportDocument.h"

#include "core/citations/MarkdownText.h"
#include "core/exports/CsvText.h"
#include "core/exports/MarkdownFactList.h"
#include "core/privacy/UrlSanitizer.h"
#include "core/records/TovraJson.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace tovra {

namespace {

QString dateText(const QDateTime &date)
{
    return date.isValid() ? TovraJson::formatDate(date) : QString();
}

std::optional<QString> nonBlank(const std::optional<QString> &text)
{
    if (!text || markdown::singleLine(*text).isEmpty())
        return std::nullopt;
    return text;
}

QString sourceName(const TraceRecord &trace)
{
    if (!trace.source)
        return QStringLiteral("Unknown source");
    const PendingSource &source = *trace.source;
    if (const auto title = nonBlank(source.pageTitle))
        return markdown::singleLine(*title);
    if (source.sanitizedURL) {
        if (const auto host = UrlSanitizer::host(*source.sanitizedURL))
            return *host;
    }
    if (const auto appName = nonBlank(source.sourceAppName))
        return markdown::singleLine(*appName);
    if (const auto bundleID = nonBlank(source.sourceAppBundleID))
        return markdown::singleLine(*bundleID);
    return QStringLiteral("Unknown source");
}

QString destinationName(const DestinationContext &destination)
{
    if (const auto appName = nonBlank(destination.appName))
        return markdown::singleLine(*appName);
    if (const auto bundleID = nonBlank(destination.appBundleID))
        return markdown::singleLine(*bundleID);
    return QStringLiteral("Unknown application");
}

// "Name (bundle.id)", or whichever of the two is known.
std::optional<QString> applicationText(
    const std::optional<QString> &name, const std::optional<QString> &bundleID)
{
    const auto knownName = nonBlank(name);
    const auto knownBundleID = nonBlank(bundleID);
    if (knownName && knownBundleID) {
        return markdown::escapeLiteral(markdown::singleLine(*knownName)) + QStringLiteral(" (")
            + markdown::escapeLiteral(markdown::singleLine(*knownBundleID)) + QLatin1Char(')');
    }
    if (knownName)
        return markdown::escapeLiteral(markdown::singleLine(*knownName));
    if (knownBundleID)
        return markdown::escapeLiteral(markdown::singleLine(*knownBundleID));
    return std::nullopt;
}

QString markdownSection(const TraceRecord &trace)
{
    const PasteRecord &paste = trace.paste;
    const DestinationContext &destination = paste.destination;
    MarkdownFactList facts(QStringLiteral(": "));
    facts.add(QStringLiteral("Trace ID"), TovraJson::formatUuid(trace.id));
    facts.add(QStringLiteral("Pasted at"), dateText(paste.pastedAt));
    facts.add(QStringLiteral("Confidence"), enumName(trace.confidence));
    facts.add(QStringLiteral("Receipt"), enumName(trace.receiptStatus));
    facts.add(QStringLiteral("Content"),
        (paste.isImage ? QStringLiteral("image, ") : QStringLiteral("text, "))
            + QString::number(paste.byteCount) + QStringLiteral(" bytes"));
    if (trace.source) {
        const PendingSource &source = *trace.source;
        const std::optional<QString> url
            = source.sanitizedURL ? UrlSanitizer::sanitize(*source.sanitizedURL) : std::nullopt;
        if (url)
            facts.add(QStringLiteral("Source"), markdown::link(sourceName(trace), *url));
        facts.add(QStringLiteral("Source application"),
            applicationText(source.sourceAppName, source.sourceAppBundleID));
        facts.add(QStringLiteral("Capture method"), enumName(source.captureMethod));
        facts.add(QStringLiteral("Captured at"), dateText(source.capturedAt));
    }
    facts.add(QStringLiteral("Destination"), applicationText(destination.appName, destination.appBundleID));
    facts.addLiteral(QStringLiteral("Window"), destination.windowTitle);
    facts.addLiteral(QStringLiteral("Document"), destination.documentID);
    facts.addLiteral(QStringLiteral("Destination URL"), destination.url);
    facts.addLiteral(QStringLiteral("Field"), destination.fieldLabel);

    return QStringLiteral("## ") + markdown::escapeLiteral(sourceName(trace)) + QStringLiteral(" → ")
        + markdown::escapeLiteral(destinationName(destination)) + QStringLiteral("\n\n") + facts.text()
        + QLatin1Char('\n');
}

QStringList csvValues(const TraceRecord &trace)
{
    const PasteRecord &paste = trace.paste;
    const DestinationContext &destination = paste.destination;
    const std::optional<PendingSource> &source = trace.source;
    const auto sourceText = [&source](std::optional<QString> PendingSource::*field) {
        return source ? ((*source).*field).value_or(QString()) : QString();
    };
    return {
        TovraJson::formatUuid(trace.id),
        dateText(paste.pastedAt),
        enumName(trace.confidence),
        enumName(trace.receiptStatus),
        paste.isImage ? QStringLiteral("image") : QStringLiteral("text"),
        QString::number(paste.byteCount),
        source ? TovraJson::formatUuid(source->id) : QString(),
        source ? enumName(source->captureMethod) : QString(),
        sourceText(&PendingSource::sanitizedURL),
        sourceText(&PendingSource::pageTitle),
        sourceText(&PendingSource::sourceAppName),
        sourceText(&PendingSource::sourceAppBundleID),
        source ? dateText(source->capturedAt) : QString(),
        destination.appName.value_or(QString()),
        destination.appBundleID,
        destination.windowTitle.value_or(QString()),
        destination.documentID.value_or(QString()),
        destination.url.value_or(QString()),
        destination.fieldLabel.value_or(QString()),
    };
}

} // namespace

QByteArray ExportDocument::render(const QList<TraceRecord> &records, ExportFormat format)
{
    switch (format) {
    case ExportFormat::markdown:
        return markdown(records).toUtf8();
    case ExportFormat::csv:
        return csv(records).toUtf8();
    case ExportFormat::json:
        return json(records);
    }
    Q_UNREACHABLE();
    return {};
}

QString ExportDocument::markdown(const QList<TraceRecord> &records)
{
    QString out = QStringLiteral("# Tovra traces\n");
    if (records.isEmpty())
        return out + QStringLiteral("\nNo traces.\n");
    for (const TraceRecord &trace : records)
        out += QLatin1Char('\n') + markdownSection(trace);
    return out;
}

const QStringList &ExportDocument::csvHeaders()
{
    static const QStringList headers {
        QStringLiteral("trace_id"),
        QStringLiteral("pasted_at"),
        QStringLiteral("confidence"),
        QStringLiteral("receipt_status"),
        QStringLiteral("content_kind"),
        QStringLiteral("byte_count"),
        QStringLiteral("source_id"),
        QStringLiteral("capture_method"),
        QStringLiteral("source_url"),
        QStringLiteral("source_title"),
        QStringLiteral("source_app_name"),
        QStringLiteral("source_app_bundle_id"),
        QStringLiteral("captured_at"),
        QStringLiteral("destination_app_name"),
        QStringLiteral("destination_app_bundle_id"),
        QStringLiteral("destination_window_title"),
        QStringLiteral("destination_document_id"),
        QStringLiteral("destination_url"),
        QStringLiteral("destination_field_label"),
    };
    return headers;
}

QString ExportDocument::csv(const QList<TraceRecord> &records)
{
    QString out = tovra::csv::row(csvHeaders());
    for (const TraceRecord &trace : records)
        out += tovra::csv::row(csvValues(trace));
    return out;
}

QByteArray ExportDocument::json(const QList<TraceRecord> &records)
{
    QJsonArray array;
    for (const TraceRecord &trace : records)
        array.append(toJson(trace));
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace tovra
