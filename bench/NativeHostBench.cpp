// What the browser waits for: starting the executable in host mode and one
// capture answered, next to a bare start of the same executable (host mode,
// empty input) and to the capture's work without a process around it.
// Run inside scripts/with-desktop-session.sh: the capture reads the X
// clipboard, which an xclip started here owns.

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

QByteArray captureMessage()
{
    return QJsonDocument(QJsonObject {
                             { "schemaVersion", 1 },
                             { "type", "capture_source" },
                             { "requestId", "0d6f5a8e-1b2c-4d3e-8f40-5a6b7c8d9e0f" },
                             { "payload",
                                 QJsonObject { { "url", "https://news.example.org/story?id=42" },
                                     { "title", "A story" }, { "selectedText", copiedText } } },
                         })
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

class HostEnvironment {
public:
    HostEnvironment()
    {
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TOVRA_NATIVE_HOST_MODE", "1");
        environment.insert("TOVRA_TESTING", "1");
        environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString::fromLatin1(masterKeyHex));
        environment.insert("TOVRA_LEDGER_PATH", ledgerPath());
    }
    QString ledgerPath() const { return folder.filePath("ledger.json.enc"); }
    // Each measured capture meets the same, empty ledger.
    void resetLedger() const { QFile::remove(ledgerPath()); }

    QTemporaryDir folder;
    QProcessEnvironment environment;
};

// Starts the host, writes `input`, closes its input and reads everything it
// answers. Returns false when it did not exit with status 0.
bool runHost(const QProcessEnvironment &environment, const QByteArray &input, QByteArray &output)
{
    QProcess host;
    host.setProcessEnvironment(environment);
    host.start(executable, {});
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
    HostEnvironment host;
    QByteArray output;
    for (auto _ : state) {
        if (!runHost(host.environment, {}, output)) {
            state.SkipWithError("the host did not end cleanly");
            break;
        }
    }
}
BENCHMARK(BM_HostBareStart)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HostCaptureRoundTrip(benchmark::State &state)
{
    ClipboardOwner clipboard;
    if (!clipboard.isReady()) {
        state.SkipWithError("no X clipboard: run inside scripts/with-desktop-session.sh");
        return;
    }
    HostEnvironment host;
    const QByteArray input = tovra::NativeMessageFraming::encodeFrame(captureMessage());
    QByteArray output;
    for (auto _ : state) {
        state.PauseTiming();
        host.resetLedger();
        state.ResumeTiming();
        if (!runHost(host.environment, input, output) || !output.contains("\"status\":\"stored\"")) {
            state.SkipWithError("the capture was not stored");
            break;
        }
    }
}
BENCHMARK(BM_HostCaptureRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same capture inside this process: ledger already open, clipboard read
// from the X server, one encrypted ledger write.
void BM_ProcessCaptureInProcess(benchmark::State &state)
{
    ClipboardOwner clipboard;
    if (!clipboard.isReady()) {
        state.SkipWithError("no X clipboard: run inside scripts/with-desktop-session.sh");
        return;
    }
    HostEnvironment host;
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
BENCHMARK(BM_ProcessCaptureInProcess)->Unit(benchmark::kMicrosecond);

} // namespace
