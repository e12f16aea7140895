// Latency of the ledger's read-modify-write path with a ledger that already
// holds 100, 1,000 or 10,000 trace records: every change decrypts (when
// another process wrote), re-encodes, encrypts, writes, fsyncs and renames the
// whole snapshot under the exclusive lock.

#include "core/crypto/DerivedKeys.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/EncryptedLedgerPersistence.h"
#include "core/ledger/TovraLedger.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace tovra;

const QByteArray masterKey(32, '\x21');

QDateTime at(qint64 milliseconds)
{
    return QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC).addMSecs(milliseconds);
}

DestinationContext destination()
{
    DestinationContext context;
    context.appBundleID = QStringLiteral("md.obsidian");
    context.appName = QStringLiteral("Obsidian");
    context.windowTitle = QStringLiteral("Reading notes");
    context.fieldRole = QStringLiteral("text");
    return context;
}

// Writes a ledger of `recordCount` traces (and as many live pending sources,
// at most 500) in one go, as a long-used ledger would look.
void seedLedger(const QString &path, qint64 recordCount)
{
    const DerivedKeys keys = DerivedKeys::derive(masterKey);
    EncryptedLedgerPersistence persistence(path, keys.ledgerEnvelopeKey);
    persistence.update([&](LedgerSnapshot &snapshot) {
        for (qint64 index = 0; index < recordCount; ++index) {
            PendingSource source;
            source.id = QUuid::createUuid();
            source.captureMethod = CaptureMethod::chromeExtension;
            source.contentFingerprint = QString(64, QLatin1Char('a' + index % 6));
            source.byteCount = 120;
            source.sanitizedURL = QStringLiteral("https://example.org/articles/%1?page=2").arg(index);
            source.pageTitle = QStringLiteral("An article worth reading, part %1").arg(index);
            source.capturedAt = at(-index * 1000);
            source.expiresAt = source.capturedAt.addSecs(TovraLedger::pendingSourceLifetimeSeconds);

            TraceRecord trace;
            trace.id = QUuid::createUuid();
            trace.source = source;
            trace.paste.id = QUuid::createUuid();
            trace.paste.destination = destination();
            trace.paste.pastedAt = source.capturedAt.addSecs(5);
            trace.paste.contentFingerprint = source.contentFingerprint;
            trace.paste.byteCount = source.byteCount;
            trace.confidence = TraceConfidence::observed;
            trace.receiptStatus = PasteReceiptStatus::posted;
            snapshot.traceRecords.append(trace);
            if (index < 500)
                snapshot.pendingSources.append(source);
        }
        snapshot.updatedAt = at(0);
        return true;
    });
}

void BM_CaptureAndCommit(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/ledger.json.enc");
    seedLedger(path, state.range(0));
    FixedTovraKeyProvider keys(masterKey);
    auto ledger = TovraLedger::live(path, keys);

    qint64 step = 0;
    for (auto _ : state) {
        const QString text = QStringLiteral("Copied paragraph number %1").arg(step);
        SourceCapturePayload payload;
        payload.url = QStringLiteral("https://example.org/live/%1").arg(step);
        payload.title = QStringLiteral("Live page");
        payload.selectedText = text;
        benchmark::DoNotOptimize(ledger->captureSource(payload, at(step)));
        benchmark::DoNotOptimize(ledger->commitTracePaste(destination(), text, at(step + 1)));
        step += 2;
    }
    state.counters["file_bytes"] = static_cast<double>(QFileInfo(path).size());
}
BENCHMARK(BM_CaptureAndCommit)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Another process changed the file before every read: the snapshot must be
// decrypted and decoded again. A second ledger object stands in for it.
void BM_ResolveAfterForeignWrite(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/ledger.json.enc");
    seedLedger(path, state.range(0));
    FixedTovraKeyProvider keys(masterKey);
    auto reader = TovraLedger::live(path, keys);
    auto writer = TovraLedger::live(path, keys);

    qint64 step = 0;
    for (auto _ : state) {
        state.PauseTiming();
        writer->setPaused(step % 2 == 0, at(step));
        state.ResumeTiming();
        benchmark::DoNotOptimize(
            reader->resolveClipboardSource(QStringLiteral("Copied paragraph"), at(step)));
        ++step;
    }
}
BENCHMARK(BM_ResolveAfterForeignWrite)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Nothing changed since the last read: the file's stamp matches and the cached
// snapshot answers.
void BM_ResolveUnchanged(benchmark::State &state)
{
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/ledger.json.enc");
    seedLedger(path, state.range(0));
    FixedTovraKeyProvider keys(masterKey);
    auto ledger = TovraLedger::live(path, keys);
    for (auto _ : state)
        benchmark::DoNotOptimize(ledger->resolveClipboardSource(QStringLiteral("Copied paragraph"), at(0)));
}
BENCHMARK(BM_ResolveUnchanged)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
