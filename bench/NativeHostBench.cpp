// What the browser waits for: starting the executable in host mode and one
// request answered, against ledgers that hold 0, 1,000 or 10,000 trace records,
// next to a bare start of the same executable (host mode, empty input) and to
// the capture's work without a process around it. The peak memory of the host
// process is reported with each run.
// Run inside scripts/with-desktop-session.sh: the capture reads the X
// clipboard, which an xclip started here owns.

#include "LedgerSeed.h"

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

const QString executable = QStringLiteral(TOVRA_EXECUTABLE);
const QString copiedText = QStringLiteral("A paragraph the user copied from a web page, of ordinary length.");
const QByteArray masterKeyHex = QByteArray(64, 'a');
const QString requestId = QStringLiteral("0d6f5a8e-1b2c-4d3e-8f40-5a6b7c8d9e0f");

QByteArray captureMessage()
{
    return QJsonDocument(QJsonObject {
                             { "schemaVersion", 1 },
                             { "type", "capture_source" },
                             { "requestId", requestId },
                             { "payload",
                                 QJsonObject { { "url", "https://news.example.org/story?id=42" },
                                     { "title", "A story" }, { "selectedText", copiedText } } },
                         })
        .toJson(QJsonDocument::Compact);
}

QByteArray statusMessage()
{
    return QJsonDocument(
        QJsonObject { { "schemaVersion", 1 }, { "type", "get_status" }, { "requestId", requestId } })
        .toJson(QJsonDocument::Compact);
}

// xclip owning the clipboard with the copied text for as long as it lives.
class ClipboardOwner {
public:
    ClipboardOwner()
    {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start("xclip", { "-selection", "clipboard", "-quiet", "-i" });
        m_process.write(copiedText.toUtf8());
        while (m_process.bytesToWrite() > 0 && m_process.waitForBytesWritten()) { }
        m_process.closeWriteChannel();
        tovra::X11ClipboardTextReader reader;
        for (int attempt = 0; attempt < 1000 && !m_ready; ++attempt) {
            m_ready = reader.readClipboardText() == copiedText;
        }
    }
    ~ClipboardOwner()
    {
        m_process.kill();
        m_process.waitForFinished();
    }
    bool isReady() const { return m_ready; }

private:
    QProcess m_process;
    bool m_ready = false;
};

// A host environment with its own ledger, seeded with `recordCount` traces.
class HostEnvironment {
public:
    explicit HostEnvironment(qint64 recordCount)
    {
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TOVRA_NATIVE_HOST_MODE", "1");
        environment.insert("TOVRA_TESTING", "1");
        environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString::fromLatin1(masterKeyHex));
        environment.insert("TOVRA_LEDGER_PATH", ledgerPath());
        tovra::bench::seedLedger(ledgerPath(), recordCount, QByteArray::fromHex(masterKeyHex));
        QFile file(ledgerPath());
        if (file.open(QIODevice::ReadOnly))
            m_seeded = file.readAll();
    }
    QString ledgerPath() const { return folder.filePath("ledger.json.enc"); }
    // Each measured capture meets the same ledger.
    void resetLedger() const
    {
        QFile file(ledgerPath());
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(m_seeded);
    }
    qint64 fileBytes() const { return m_seeded.size(); }

    QTemporaryDir folder;
    QProcessEnvironment environment;

private:
    QByteArray m_seeded;
};

// Starts the host, writes `input`, closes its input and reads everything it
// answers. Returns false when it did not exit with status 0. With `measure`
// the host runs under GNU time, which forks it from a small process, so that
// the peak resident set it reports is the host's own.
bool runHost(const QProcessEnvironment &environment, const QByteArray &input, QByteArray &output,
    const QString &peakMemoryReport = {})
{
    QProcess host;
    host.setProcessEnvironment(environment);
    if (peakMemoryReport.isEmpty())
        host.start(executable, {});
    else
        host.start(QStringLiteral("/usr/bin/time"), { "-f", "%M", "-o", peakMemoryReport, executable });
    if (!input.isEmpty()) {
        host.write(input);
    }
    host.closeWriteChannel();
    if (!host.waitForFinished() || host.exitStatus() != QProcess::NormalExit || host.exitCode() != 0) {
        return false;
    }
    output = host.readAllStandardOutput();
    return true;
}

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
    hostRoundTrip(state, captureMessage(), "\"status\":\"stored\"");
}
BENCHMARK(BM_HostCaptureRoundTrip)
    ->Arg(0)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_HostStatusRoundTrip(benchmark::State &state)
{
    hostRoundTrip(state, statusMessage(), "\"ledgerVersion\":1");
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
    const QByteArray message = captureMessage();
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
