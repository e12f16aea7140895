// What the browser waits for: starting the executable in host mode and one
// request answered, against ledgers that hold 0, 1,000 or 10,000 trace records,
// next to a bare start of the same executable (host mode, empty input) and to
// the capture's work without a process around it. The peak memory of the host
// process is reported with each run.
// Run inside scripts/with-desktop-session.sh: the capture reads the X
// clipboard, which an xclip started here owns.

#include "HostRun.h"

#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"
#include "core/nativehost/NativeHostProcessor.h"
#include "core/nativehost/NativeMessageFraming.h"
#include "platform/x11/X11ClipboardTextReader.h"

#include <QDateTime>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using tovra::bench::ClipboardOwner;
using tovra::bench::HostEnvironment;
using tovra::bench::runHost;

const QByteArray masterKeyHex = QByteArray(64, 'a');

void BM_HostBareStart(benchmark::State &state)
{
    const HostEnvironment host(0);
    QByteArray output;
    for (auto _ : state) {
        if (!runHost(host.environment, {}, output)) {
            state.SkipWithError("the host did not end cleanly");
            break;
        }
    }
}
BENCHMARK(BM_HostBareStart)->Unit(benchmark::kMillisecond)->UseRealTime();

// Runs the host once per iteration with `message` and checks its answer; the
// ledger is restored to the seeded one before every run.
void hostRoundTrip(benchmark::State &state, const QByteArray &message, const QByteArray &expected)
{
    const HostEnvironment host(state.range(0));
    const QByteArray input = tovra::NativeMessageFraming::encodeFrame(message);
    QByteArray output;
    for (auto _ : state) {
        state.PauseTiming();
        host.resetLedger();
        state.ResumeTiming();
        if (!runHost(host.environment, input, output) || !output.contains(expected)) {
            state.SkipWithError("the host did not answer as expected");
            return;
        }
    }

    // Once more, untimed, for the peak memory of one run.
    host.resetLedger();
    const QString report = host.folder.filePath("peak-memory");
    QFile kilobytes(report);
    if (!runHost(host.environment, input, output, report) || !kilobytes.open(QIODevice::ReadOnly)) {
        state.SkipWithError("the host's peak memory could not be measured");
        return;
    }
    state.counters["file_bytes"] = static_cast<double>(host.fileBytes());
    state.counters["peak_rss_bytes"] = kilobytes.readAll().trimmed().toDouble() * 1024;
}

void BM_HostCaptureRoundTrip(benchmark::State &state)
{
    const ClipboardOwner clipboard;
    if (!clipboard.isReady()) {
        state.SkipWithError("no X clipboard: run inside scripts/with-desktop-session.sh");
        return;
    }
    hostRoundTrip(state, tovra::bench::hostCaptureMessage(), "\"status\":\"stored\"");
}
BENCHMARK(BM_HostCaptureRoundTrip)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_HostStatusRoundTrip(benchmark::State &state)
{
    hostRoundTrip(state, tovra::bench::hostStatusMessage(), "\"ledgerVersion\":1");
}
BENCHMARK(BM_HostStatusRoundTrip)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The same capture inside this process: ledger already open, clipboard read
// from the X server, one encrypted ledger write.
void BM_ProcessCaptureInProcess(benchmark::State &state)
{
    const ClipboardOwner clipboard;
    if (!clipboard.isReady()) {
        state.SkipWithError("no X clipboard: run inside scripts/with-desktop-session.sh");
        return;
    }
    const HostEnvironment host(state.range(0));
    tovra::X11ClipboardTextReader reader;
    tovra::NativeHostProcessor processor(
        [&] {
            tovra::FixedTovraKeyProvider keys(QByteArray::fromHex(masterKeyHex));
            return tovra::TovraLedger::live(host.ledgerPath(), keys);
        },
        reader);
    const QByteArray message = tovra::bench::hostCaptureMessage();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        state.PauseTiming();
        host.resetLedger();
        state.ResumeTiming();
        benchmark::DoNotOptimize(processor.process(message, now));
    }
}
BENCHMARK(BM_ProcessCaptureInProcess)->Arg(0)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
