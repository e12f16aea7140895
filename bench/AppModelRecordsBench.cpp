#include "app/model/ModelTestSupport.h"
#include "OffscreenApplication.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

// The records list of a heavy user (10,000 traces) on the main thread: the
// filtered list the views read after every change of a filter, and a reload
// of all records from a ledger that answers at once.
namespace {

using namespace tovra::app;
using namespace tovra::app::testing;

// Pasted a minute apart into seven editors, from forty sites; the same
// records, in new memory, on every call.
QList<ProvenanceRecord> records(int count, const QDateTime &now)
{
    QList<ProvenanceRecord> list;
    list.reserve(count);
    for (int index = 0; index < count; ++index) {
        ProvenanceRecord record
            = sampleRecord(QStringLiteral("Article %1 about the news").arg(index), now.addSecs(-60 * index));
        record.source.domain = QStringLiteral("site%1.example.org").arg(index % 40);
        record.source.url
            = QUrl(QStringLiteral("https://%1/articles/%2").arg(record.source.domain).arg(index));
        record.destination.applicationName = QStringLiteral("Editor %1").arg(index % 7);
        record.destination.windowTitle = QStringLiteral("Notes %1").arg(index % 300);
        record.id = QUuid(uint(index), 0, 0, 0, 0, 0, 0, 0, 0, 0, 1);
        record.confidence = TraceConfidence(index % 3);
        list.append(record);
    }
    return list;
}

// A search alone looks through the text of every record; with the other
// four filters set as well, which together pass one record in 840 (all were
// pasted within the last week), it looks through few.
void filteredRecords(benchmark::State &state)
{
    tovra::bench::ensureOffscreenApplication();
    ModelHarness h;
    h.provider->willReturn(op::listRecords, records(int(state.range(0)), h.desktop.clock().now()));
    h.finish(h.model().reload());
    TovraAppModel &model = h.model();
    model.setSearchText(QStringLiteral(" ARTICLE 1 "));
    if (state.range(1) != 0) {
        model.setSelectedDomain(QStringLiteral("site1.example.org"));
        model.setSelectedApplication(QStringLiteral("Editor 1"));
        model.setSelectedConfidence(TraceConfidence::observed);
        model.setDateFilter(RecordDateFilter::sevenDays);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(model.filteredRecords());
    state.counters["shown"] = double(model.filteredRecords().size());
}
BENCHMARK(filteredRecords)
    ->ArgNames({ "records", "allFilters" })
    ->Args({ 10'000, 0 })
    ->Args({ 10'000, 1 })
    ->Unit(benchmark::kMillisecond);

// Each reload gets a list built apart from the one on display, as from the
// store, and equal to it: the model compares them before it replaces one.
void reload(benchmark::State &state)
{
    tovra::bench::ensureOffscreenApplication();
    ModelHarness h;
    const QDateTime now = h.desktop.clock().now();
    const QList<ProvenanceRecord> lists[]
        = { records(int(state.range(0)), now), records(int(state.range(0)), now) };
    int next = 0;
    for (auto _ : state) {
        h.provider->willReturn(op::listRecords, lists[next]);
        next = 1 - next;
        h.finish(h.model().reload());
    }
    if (h.model().state().records.size() != state.range(0))
        state.SkipWithError("the records were not loaded");
}
BENCHMARK(reload)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace
