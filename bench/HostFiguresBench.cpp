// The host's rows of the speed table in one run, each as a ratio to its
// floor: a bare Qt Core program built the same way (start, read standard
// input, exit) for the host's start and its capture on an empty ledger, the
// capture on an empty ledger for the capture at 10,000 records, and the
// ledger file's size for the host's peak memory. The capture at 10,000
// records is also set against the capture on an empty ledger plus the least
// any change of that file costs (read, decrypt, encrypt, write and sync it
// whole, as its format asks), which no code can go below. The kinds of run take turns
// in every round, so a slow moment of the machine falls on all of them; the
// ratios are taken within a round and reported as min/median/max.
// Run inside scripts/with-desktop-session.sh: the capture reads the X
// clipboard, which an xclip started here owns, and the keyring rows need its
// session keyring.

#include "HostRun.h"
#include "RatioFigures.h"

#include "core/nativehost/NativeMessageFraming.h"

#include <QFile>

#include <benchmark/benchmark.h>

#include <chrono>

namespace {

using tovra::bench::ClipboardOwner;
using tovra::bench::HostEnvironment;
using tovra::bench::reportRow;
using tovra::bench::runHost;

const QString bareCoreExecutable = QStringLiteral(TOVRA_BARE_CORE_EXECUTABLE);

// Milliseconds from spawn to exit of one run; negative when it failed or
// did not answer `expected`.
double timedRun(const HostEnvironment &host, const QByteArray &input, const QByteArray &expected,
    const QString &program = {})
{
    host.resetLedger();
    QByteArray output;
    const auto started = std::chrono::steady_clock::now();
    const bool ended = runHost(host.environment, input, output, {}, program);
    const std::chrono::duration<double, std::milli> elapsed = std::chrono::steady_clock::now() - started;
    return ended && output.contains(expected) ? elapsed.count() : -1;
}

void BM_HostFiguresAgainstFloors(benchmark::State &state)
{
    const ClipboardOwner clipboard;
    if (!clipboard.isReady()) {
        state.SkipWithError("no X clipboard: run inside scripts/with-desktop-session.sh");
        return;
    }
    const HostEnvironment empty(0);
    const HostEnvironment seeded(10000);
    const QByteArray capture = tovra::NativeMessageFraming::encodeFrame(tovra::bench::hostCaptureMessage());
    const QByteArray stored = "\"status\":\"stored\"";
    const QString memoryReport = seeded.folder.filePath("peak-memory");

    QList<double> startRatio;
    QList<double> captureRatio;
    QList<double> recordsRatio;
    QList<double> memoryRatio;
    QList<double> rewriteRatio;
    QList<double> rewriteMs;
    QList<double> bareMs, hostStartMs, captureEmptyMs, captureSeededMs, peakMegabytes;
    for (auto _ : state) {
        // One untimed round first, so that every program starts from a warm cache.
        for (int round = -1; round < state.range(0); ++round) {
            const double bare = timedRun(empty, {}, {}, bareCoreExecutable);
            const double hostStart = timedRun(empty, {}, {});
            const double captureEmpty = timedRun(empty, capture, stored);
            const double captureSeeded = timedRun(seeded, capture, stored);
            const double rewrite = seeded.rewriteMilliseconds();
            QByteArray output;
            seeded.resetLedger();
            QFile kilobytes(memoryReport);
            if (bare < 0 || hostStart < 0 || captureEmpty < 0 || captureSeeded < 0
                || !runHost(seeded.environment, capture, output, memoryReport)
                || !kilobytes.open(QIODevice::ReadOnly)) {
                state.SkipWithError("a run did not end as expected");
                return;
            }
            if (round < 0)
                continue;
            bareMs.append(bare);
            hostStartMs.append(hostStart);
            captureEmptyMs.append(captureEmpty);
            captureSeededMs.append(captureSeeded);
            startRatio.append(hostStart / bare);
            captureRatio.append(captureEmpty / bare);
            recordsRatio.append(captureSeeded / captureEmpty);
            rewriteMs.append(rewrite);
            rewriteRatio.append(captureSeeded / (captureEmpty + rewrite));
            const double peakBytes = kilobytes.readAll().trimmed().toDouble() * 1024;
            peakMegabytes.append(peakBytes / 1e6);
            memoryRatio.append(peakBytes / double(seeded.fileBytes()));
        }
    }
    // The times and sizes behind the ratios, for the record; no goal of their own.
    for (const auto &[name, values] :
        { std::pair { "bare_core_ms", bareMs }, { "host_start_ms", hostStartMs },
            { "capture_0_ms", captureEmptyMs }, { "capture_10000_ms", captureSeededMs },
            { "rewrite_10000_ms", rewriteMs }, { "peak_rss_10000_mb", peakMegabytes } })
        state.counters[name] = tovra::bench::spreadOf(values).median;
    reportRow(state, QStringLiteral("host_start_vs_bare_core"), startRatio, 1.5);
    reportRow(state, QStringLiteral("capture_0_vs_bare_core"), captureRatio, 2.5);
    reportRow(state, QStringLiteral("capture_10000_vs_capture_0"), recordsRatio, 1.3);
    // What is left above 1 is the code's own: the rest no code can avoid.
    reportRow(state, QStringLiteral("capture_10000_vs_capture_0_plus_rewrite"), rewriteRatio);
    reportRow(state, QStringLiteral("peak_rss_10000_vs_file"), memoryRatio, 2.5);
}
BENCHMARK(BM_HostFiguresAgainstFloors)->Arg(15)->Iterations(1)->Unit(benchmark::kMillisecond);

// The status request, which asks the ledger only for counts: at 10,000
// records against an empty ledger, and with the master key from the session
// keyring (as every host the browser starts) against the fixed key, the
// difference set against libsecret's own `secret-tool lookup` of the same
// item, which connects, opens a session and reads the secret as the host must.
void BM_HostStatusAgainstFloors(benchmark::State &state)
{
    const HostEnvironment empty(0);
    const HostEnvironment seeded(10000);
    if (!tovra::bench::plantKeyringMasterKey()) {
        state.SkipWithError("no unlocked keyring: run inside scripts/with-desktop-session.sh");
        return;
    }
    HostEnvironment keyring(0);
    keyring.environment = keyring.keyringEnvironment();
    const QByteArray status = tovra::NativeMessageFraming::encodeFrame(tovra::bench::hostStatusMessage());
    const QByteArray answered = "\"ledgerVersion\":1";

    QList<double> recordsRatio;
    QList<double> lookupRatio;
    QList<double> statusEmptyMs, statusSeededMs, statusKeyringMs, secretToolMs;
    for (auto _ : state) {
        for (int round = -1; round < state.range(0); ++round) {
            const double statusEmpty = timedRun(empty, status, answered);
            const double statusSeeded = timedRun(seeded, status, answered);
            const double statusKeyring = timedRun(keyring, status, answered);
            QByteArray found;
            const auto started = std::chrono::steady_clock::now();
            const bool looked = runHost(QProcessEnvironment::systemEnvironment(), {}, found, {},
                tovra::bench::secretToolProgram(), tovra::bench::secretToolLookupArguments());
            const std::chrono::duration<double, std::milli> secretTool
                = std::chrono::steady_clock::now() - started;
            if (statusEmpty < 0 || statusSeeded < 0 || statusKeyring < 0 || !looked || found.isEmpty()) {
                state.SkipWithError("a run did not end as expected");
                return;
            }
            if (round < 0)
                continue;
            statusEmptyMs.append(statusEmpty);
            statusSeededMs.append(statusSeeded);
            statusKeyringMs.append(statusKeyring);
            secretToolMs.append(secretTool.count());
            recordsRatio.append(statusSeeded / statusEmpty);
            lookupRatio.append((statusKeyring - statusEmpty) / secretTool.count());
        }
    }
    for (const auto &[name, values] :
        { std::pair { "status_0_ms", statusEmptyMs }, { "status_10000_ms", statusSeededMs },
            { "status_keyring_ms", statusKeyringMs }, { "secret_tool_lookup_ms", secretToolMs } })
        state.counters[name] = tovra::bench::spreadOf(values).median;
    reportRow(state, QStringLiteral("status_10000_vs_status_0"), recordsRatio, 1.6);
    reportRow(state, QStringLiteral("keyring_lookup_vs_secret_tool"), lookupRatio, 1.0);
}
BENCHMARK(BM_HostStatusAgainstFloors)->Arg(15)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
