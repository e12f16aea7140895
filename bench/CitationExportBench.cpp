#include "core/citations/CitationRenderer.h"
#include "core/exports/ExportDocument.h"

#include <QTimeZone>

#include <benchmark/benchmark.h>

namespace {

using namespace tovra;

const QDateTime capturedAt = QDateTime::fromSecsSinceEpoch(1'721'308'500, QTimeZone::utc());

CitationSource source()
{
    return CitationSource {
        .traceID = QUuid::createUuid(),
        .sourceID = QUuid::createUuid(),
        .captureMethod = CaptureMethod::chromeExtension,
        .sanitizedURL = QStringLiteral("https://en.wikipedia.org/wiki/Foo_(bar)?q=a b"),
        .sourceTitle = QStringLiteral("[Draft] Notes"),
        .sourceAppName = QStringLiteral("Google Chrome"),
        .capturedAt = capturedAt,
        .expiresAt = capturedAt.addSecs(3600),
    };
}

// The largest text the session history keeps, in lines of ordinary prose.
QString largeText()
{
    QString text;
    const QString line = QStringLiteral("A line of copied text with [brackets], `code` and 中文字符.\n");
    while (text.toUtf8().size() + line.toUtf8().size() <= 262'144)
        text += line;
    return text;
}

void renderLargeText(benchmark::State &state)
{
    const QString text = largeText();
    const CitationSource citation = source();
    const auto format = static_cast<CitationFormat>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(CitationRenderer::render(
            text, citation, format, CitationLinkMode::webWhenAvailable, QTimeZone::utc()));
    state.SetBytesProcessed(state.iterations() * text.toUtf8().size());
}
BENCHMARK(renderLargeText)->DenseRange(0, 2);

QList<TraceRecord> traces(qsizetype count)
{
    QList<TraceRecord> records;
    records.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        TraceRecord trace;
        trace.id = QUuid::createUuid();
        PendingSource pending;
        pending.id = QUuid::createUuid();
        pending.captureMethod = CaptureMethod::chromeExtension;
        pending.sanitizedURL = QStringLiteral("https://example.com/article/%1").arg(i);
        pending.pageTitle = QStringLiteral("Title, \"quoted\" =%1").arg(i);
        pending.sourceAppName = QStringLiteral("Google Chrome");
        pending.capturedAt = capturedAt.addSecs(i);
        pending.expiresAt = pending.capturedAt.addSecs(3600);
        trace.source = pending;
        trace.paste.id = QUuid::createUuid();
        trace.paste.destination.appBundleID = QStringLiteral("md.obsidian");
        trace.paste.destination.appName = QStringLiteral("Obsidian");
        trace.paste.destination.windowTitle = QStringLiteral("Note %1 | Vault").arg(i);
        trace.paste.pastedAt = capturedAt.addSecs(i + 60);
        trace.paste.byteCount = 100 + i;
        records.append(trace);
    }
    return records;
}

void exportTraces(benchmark::State &state)
{
    const QList<TraceRecord> records = traces(state.range(1));
    const auto format = static_cast<ExportFormat>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(ExportDocument::render(records, format));
    state.SetItemsProcessed(state.iterations() * records.size());
}
BENCHMARK(exportTraces)->ArgsProduct({ { 0, 1, 2 }, { 100, 5000 } })->Unit(benchmark::kMillisecond);

} // namespace
