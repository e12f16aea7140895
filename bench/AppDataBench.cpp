#include "app/data/AppJson.h"
#include "app/data/ExportRenderer.h"
#include "app/data/LedgerRecordMapping.h"
#include "app/data/SerialJobQueue.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tovra;

QList<TraceRecord> traces(int count)
{
    const QDateTime start(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC);
    QList<TraceRecord> list;
    list.reserve(count);
    for (int index = 0; index < count; ++index) {
        TraceRecord trace;
        trace.id = QUuid::createUuid();
        if (index % 3 != 0) {
            PendingSource source;
            source.id = QUuid::createUuid();
            source.captureMethod = CaptureMethod::chromeExtension;
            source.sanitizedURL = QStringLiteral("https://news.example.org/articles/%1?page=2").arg(index);
            source.pageTitle = QStringLiteral("Article %1, with \"quotes\" and [brackets]").arg(index);
            source.capturedAt = start.addSecs(index * 60);
            source.expiresAt = source.capturedAt.addSecs(3900);
            trace.source = source;
        }
        trace.paste.id = QUuid::createUuid();
        trace.paste.destination.appBundleID = QStringLiteral("md.obsidian");
        trace.paste.destination.appName = QStringLiteral("Obsidian");
        trace.paste.destination.windowTitle = QStringLiteral("=Daily note %1").arg(index);
        trace.paste.pastedAt = start.addSecs(index * 60 + 30);
        trace.confidence = TraceConfidence::observed;
        list.append(trace);
    }
    return list;
}

QList<app::ProvenanceRecord> records(int count)
{
    QList<app::ProvenanceRecord> list;
    for (const TraceRecord &trace : traces(count))
        list.append(app::mapping::provenanceRecord(trace));
    return list;
}

// Listing records maps every stored trace on the store's thread.
void mapTraces(benchmark::State &state)
{
    const QList<TraceRecord> input = traces(int(state.range(0)));
    for (auto _ : state) {
        QList<app::ProvenanceRecord> output;
        output.reserve(input.size());
        for (const TraceRecord &trace : input)
            output.append(app::mapping::provenanceRecord(trace));
        benchmark::DoNotOptimize(output);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(mapTraces)->Arg(100)->Arg(5000);

void exportCsv(benchmark::State &state)
{
    const QList<app::ProvenanceRecord> input = records(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(app::ExportRenderer::csv(input));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(exportCsv)->Arg(100)->Arg(5000);

void exportMarkdown(benchmark::State &state)
{
    const QList<app::ProvenanceRecord> input = records(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(app::ExportRenderer::markdown(input));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(exportMarkdown)->Arg(100)->Arg(5000);

void exportJson(benchmark::State &state)
{
    const QList<app::ProvenanceRecord> input = records(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(app::AppJson::encode(input));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(exportJson)->Arg(100)->Arg(5000);

// The cost the store adds to every ledger operation: one hop to its thread
// and back.
void queueRoundTrip(benchmark::State &state)
{
    app::SerialJobQueue queue;
    int value = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(queue.submit([&value] { return ++value; }).result());
}
BENCHMARK(queueRoundTrip);

} // namespace
