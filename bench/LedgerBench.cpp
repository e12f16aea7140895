// Latency of the ledger's read-modify-write path with a ledger that already
// holds 100, 1,000 or 10,000 trace records, next to what the same bytes cost
// at the least: every change encrypts, writes, fsyncs and renames the whole
// snapshot under the exclusive lock, and every read after another process
// wrote reads and decrypts it.

#include "LedgerSeed.h"

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/EncryptedEnvelope.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/LedgerFileStore.h"
#include "core/ledger/LedgerJsonReader.h"
#include "core/ledger/TovraLedger.h"

#include "RatioFigures.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>

namespace {

using namespace tovra;
using tovra::bench::benchDestination;
using tovra::bench::benchInstant;

const QByteArray masterKey(32, '\x21');

// A seeded ledger file in a folder of its own.
class SeededLedger {
public:
    explicit SeededLedger(qint64 recordCount) { bench::seedLedger(path(), recordCount, masterKey); }

    QString path() const { return m_folder.path() + QStringLiteral("/ledger.json.enc"); }
    std::unique_ptr<TovraLedger> open(TovraLedger::Opening opening = TovraLedger::Opening::checked) const
    {
        FixedTovraKeyProvider keys(masterKey);
        return TovraLedger::live(path(), keys, opening);
    }
    QByteArray envelopeKey() const { return DerivedKeys::derive(masterKey).ledgerEnvelopeKey; }
    // The file's JSON, decrypted.
    QByteArray json() const
    {
        const LedgerFileStore store(path());
        const auto lock = store.lockShared();
        return EncryptedEnvelope::open(*store.read(lock).bytes, envelopeKey());
    }

private:
    QTemporaryDir m_folder;
};

void reportFileSize(benchmark::State &state, const SeededLedger &ledger)
{
    state.counters["file_bytes"] = static_cast<double>(QFileInfo(ledger.path()).size());
}

// One paste recorded, the ledger's JSON encoded, sealed and stored.
void commitPaste(TovraLedger &ledger, qint64 step)
{
    benchmark::DoNotOptimize(ledger.observeStandardPaste(
        benchDestination(), QStringLiteral("Copied paragraph number %1").arg(step), benchInstant(step)));
}

// The app's usual case: the ledger has been written by this process before.
void BM_CommitWarm(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    auto ledger = seeded.open();
    qint64 step = 0;
    commitPaste(*ledger, step++);
    for (auto _ : state)
        commitPaste(*ledger, step++);
    reportFileSize(state, seeded);
}
BENCHMARK(BM_CommitWarm)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The first change a process makes after opening the ledger.
void BM_CommitCold(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    qint64 step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto ledger = seeded.open();
        state.ResumeTiming();
        commitPaste(*ledger, step++);
        state.PauseTiming();
        ledger.reset();
        state.ResumeTiming();
    }
    reportFileSize(state, seeded);
}
BENCHMARK(BM_CommitCold)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

double millisecondsOf(const std::function<void()> &work)
{
    const auto started = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
}

// A process's first change at 10,000 records, opening included, against the
// least the same bytes cost to seal and store (AES-GCM, write, fsync,
// rename), taken in turns in the same rounds: the app's first paste (it
// opens the ledger for its trace records) and the browser host's first
// capture (it never reads them).
void BM_FirstChangeVsPhysicalWrite(benchmark::State &state)
{
    const SeededLedger seeded(10000);
    const LedgerFileStore store(seeded.path());
    QByteArray seededBytes;
    {
        const auto lock = store.lockShared();
        seededBytes = *store.read(lock).bytes;
    }
    const QByteArray json = EncryptedEnvelope::open(seededBytes, seeded.envelopeKey());
    const auto restore = [&] {
        const auto lock = store.lockExclusive();
        store.replace(lock, seededBytes);
    };
    QList<double> appRatio, hostRatio;
    qint64 step = 0;
    for (auto _ : state) {
        for (int round = 0; round < state.range(0); ++round) {
            restore();
            const double app = millisecondsOf([&] {
                auto ledger = seeded.open(TovraLedger::Opening::withTraceRecords);
                commitPaste(*ledger, step++);
            });
            restore();
            const double host = millisecondsOf([&] {
                auto ledger = seeded.open(TovraLedger::Opening::atFirstUse);
                SourceCapturePayload capture;
                capture.url = QStringLiteral("https://example.org/new");
                capture.selectedText = QStringLiteral("Copied paragraph number %1").arg(step++);
                benchmark::DoNotOptimize(ledger->captureSource(capture, benchInstant(step)));
            });
            const double write = millisecondsOf([&] {
                const auto lock = store.lockExclusive();
                store.replace(lock, EncryptedEnvelope::seal(json, seeded.envelopeKey()));
            });
            appRatio.append(app / write);
            hostRatio.append(host / write);
        }
    }
    restore();
    bench::reportRow(state, QStringLiteral("app_first_commit_vs_write"), appRatio, 2.5);
    bench::reportRow(state, QStringLiteral("host_first_capture_vs_write"), hostRatio, 2.5);
}
BENCHMARK(BM_FirstChangeVsPhysicalWrite)->Arg(15)->Iterations(1)->Unit(benchmark::kMillisecond);

// The app's start: a ledger opened with its trace records read, checked and
// decoded, from a file no process of it read before. Wall time, as the work
// is split over threads.
void BM_OpenWithTraceRecords(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    for (auto _ : state) {
        auto ledger = seeded.open(TovraLedger::Opening::withTraceRecords);
        benchmark::DoNotOptimize(ledger);
        state.PauseTiming();
        ledger.reset();
        state.ResumeTiming();
    }
    reportFileSize(state, seeded);
}
BENCHMARK(BM_OpenWithTraceRecords)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime();

// The part of the app's start that is neither file nor cipher: the seeded
// ledger's JSON read with its trace records checked only, or decoded too.
void BM_ReadLedgerJson(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    const QByteArray json = seeded.json();
    const bool decodeTraceRecords = state.range(1) != 0;
    for (auto _ : state) {
        std::optional<LedgerJsonReader::Read> read = LedgerJsonReader::read(json, decodeTraceRecords);
        benchmark::DoNotOptimize(read);
        state.PauseTiming();
        read.reset();
        state.ResumeTiming();
    }
    reportFileSize(state, seeded);
}
BENCHMARK(BM_ReadLedgerJson)
    ->ArgsProduct({ { 10000 }, { 0, 1 } })
    ->ArgNames({ "records", "decoded" })
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The least a change can cost: the seeded ledger's JSON sealed and stored the
// way the ledger stores it, with nothing encoded.
void BM_PhysicalWrite(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    const LedgerFileStore store(seeded.path());
    const QByteArray json = seeded.json();
    for (auto _ : state) {
        const auto lock = store.lockExclusive();
        benchmark::DoNotOptimize(store.replace(lock, EncryptedEnvelope::seal(json, seeded.envelopeKey())));
    }
    reportFileSize(state, seeded);
}
BENCHMARK(BM_PhysicalWrite)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Another process changed the file before every read: the snapshot must be
// decrypted and decoded again. A second ledger object stands in for it.
template <typename Read> void readAfterForeignWrite(benchmark::State &state, Read read)
{
    const SeededLedger seeded(state.range(0));
    auto reader = seeded.open();
    auto writer = seeded.open();
    qint64 step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writer->setPaused(step % 2 == 0, benchInstant(step));
        state.ResumeTiming();
        read(*reader, step);
        ++step;
    }
    reportFileSize(state, seeded);
}

// What the app reads when a paste is prepared: the pending sources.
void BM_ResolveAfterForeignWrite(benchmark::State &state)
{
    readAfterForeignWrite(state, [](TovraLedger &ledger, qint64 step) {
        benchmark::DoNotOptimize(
            ledger.resolveClipboardSource(QStringLiteral("Copied paragraph"), benchInstant(step)));
    });
}
BENCHMARK(BM_ResolveAfterForeignWrite)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// What the app reads when it shows the records: every trace record.
void BM_ListAfterForeignWrite(benchmark::State &state)
{
    readAfterForeignWrite(state,
        [](TovraLedger &ledger, qint64) { benchmark::DoNotOptimize(ledger.listRecords(TraceFilter {})); });
}
BENCHMARK(BM_ListAfterForeignWrite)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The least a read after a foreign write can cost: the file read and decrypted.
void BM_PhysicalRead(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    const LedgerFileStore store(seeded.path());
    for (auto _ : state) {
        const auto lock = store.lockShared();
        benchmark::DoNotOptimize(EncryptedEnvelope::open(*store.read(lock).bytes, seeded.envelopeKey()));
    }
    reportFileSize(state, seeded);
}
BENCHMARK(BM_PhysicalRead)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Nothing changed since the last read: the file's stamp matches and the cached
// snapshot answers.
void BM_ResolveUnchanged(benchmark::State &state)
{
    const SeededLedger seeded(state.range(0));
    auto ledger = seeded.open();
    for (auto _ : state)
        benchmark::DoNotOptimize(
            ledger->resolveClipboardSource(QStringLiteral("Copied paragraph"), benchInstant(0)));
}
BENCHMARK(BM_ResolveUnchanged)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
