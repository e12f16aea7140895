// From starting the real executable to the first paint of its main window,
// with a ledger of 10,000 trace records and with none, next to a bare start:
// a Qt Widgets program that only shows an empty window of the same size and
// title. Each start gets a home, runtime, data and settings folder of its own;
// the three kinds take turns, so that a slow moment of the machine falls on
// all of them alike. Reported in milliseconds after the start (medians):
//   *_mapped_ms        the window is mapped
//   *_paint_ms         its first frame is on screen
//   ledger_records_ms  the window is painted and its section button reads
//                      "流向记录 10,000" (seen on the accessibility bus): the
//                      records are loaded and counted
// and the ratios of the seeded start to the bare one (paint_ratio,
// records_ratio); against the window with one Chinese label, whose start
// sets up the same fonts, the seeded start's first paint and its records
// count are reported per round as min/median/max, and so is its first paint
// against the empty ledger's. The benchmark's own time is the median first paint of the
// seeded start.
// Run inside scripts/with-desktop-session.sh: it needs an X server without a
// window manager and an enabled accessibility bus.

#include "LedgerSeed.h"
#include "RatioFigures.h"
#include "WindowStartWatcher.h"

#include "core/ledger/TovraPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>

namespace {

using namespace std::chrono_literals;
using tovra::bench::WindowStartTimes;
using tovra::bench::WindowStartWatcher;

const QString appExecutable = QStringLiteral(TOVRA_EXECUTABLE);
const QString bareWindowExecutable = QStringLiteral(TOVRA_BARE_WINDOW_EXECUTABLE);
const QString windowTitle = QStringLiteral("Tovra");
const QByteArray masterKeyHex = QByteArray(64, 'a');
constexpr qint64 seededRecordCount = 10000;
constexpr std::chrono::milliseconds startTimeout = 30s;
constexpr int finishTimeoutMilliseconds = 10000;

enum class StartKind { bareWindow, labelWindow, emptyLedger, seededLedger };
constexpr std::array<StartKind, 4> allKinds { StartKind::bareWindow, StartKind::labelWindow,
    StartKind::emptyLedger, StartKind::seededLedger };

QString recordsButtonName()
{
    // Grouped as the app's Chinese interface writes counts.
    return QStringLiteral("流向记录 ")
        + QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China).toString(seededRecordCount);
}

// The ledger every seeded start begins with, written once.
class SeededLedgerFile {
public:
    SeededLedgerFile()
    {
        tovra::bench::seedLedger(path(), seededRecordCount, QByteArray::fromHex(masterKeyHex));
    }
    QString path() const { return m_folder.filePath(QStringLiteral("ledger.json.enc")); }

private:
    QTemporaryDir m_folder;
};

// The environment of one start, in folders of its own under `root`.
QProcessEnvironment startEnvironment(const QString &root)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *folder : { "home", "runtime", "data", "config" })
        QDir(root).mkpath(QString::fromLatin1(folder));
    QFile::setPermissions(
        root + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    environment.insert(QStringLiteral("HOME"), root + QStringLiteral("/home"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), root + QStringLiteral("/runtime"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), root + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), root + QStringLiteral("/config"));
    environment.insert(QStringLiteral("TOVRA_TESTING"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TOVRA_TEST_MASTER_KEY_HEX"), QString::fromLatin1(masterKeyHex));
    environment.remove(QStringLiteral("TOVRA_NATIVE_HOST_MODE"));
    environment.remove(QStringLiteral("TOVRA_LEDGER_PATH"));
    return environment;
}

// Starts one process of `kind`, watches it until its window is painted (and,
// for the seeded ledger, until the records are counted), then ends it.
// False when it did not get that far in time.
bool startOnce(
    WindowStartWatcher &watcher, StartKind kind, const SeededLedgerFile &ledger, WindowStartTimes &times)
{
    const QTemporaryDir root;
    const QProcessEnvironment environment = startEnvironment(root.path());
    if (kind == StartKind::seededLedger) {
        const QString path = tovra::TovraPaths::defaultLedgerURL(environment);
        QDir().mkpath(QFileInfo(path).path());
        if (!QFile::copy(ledger.path(), path))
            return false;
    }

    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const QString awaitedName = kind == StartKind::seededLedger ? recordsButtonName() : QString();

    watcher.prepare();
    const auto started = std::chrono::steady_clock::now();
    const bool floor = kind == StartKind::bareWindow || kind == StartKind::labelWindow;
    process.start(floor ? bareWindowExecutable : appExecutable,
        kind == StartKind::labelWindow ? QStringList { QStringLiteral("--label") } : QStringList {});
    if (!process.waitForStarted())
        return false;
    times = watcher.watch(process.processId(), windowTitle, awaitedName, started, startTimeout);

    process.terminate();
    if (!process.waitForFinished(finishTimeoutMilliseconds)) {
        process.kill();
        process.waitForFinished();
    }
    watcher.waitForWindowGone(5s);
    return times.mapped && times.painted && (awaitedName.isEmpty() || times.named);
}

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Samples {
    QList<double> mapped;
    QList<double> painted;
    QList<double> named;
};

// state.range(0) starts of each kind, after one untimed start of each.
void BM_MainWindowStartToFirstPaint(benchmark::State &state)
{
    WindowStartWatcher watcher;
    if (!watcher.isReady()) {
        state.SkipWithError("no X display: run inside scripts/with-desktop-session.sh");
        return;
    }
    const SeededLedgerFile ledger;
    std::array<Samples, allKinds.size()> samples;

    for (auto _ : state) {
        WindowStartTimes times;
        for (StartKind kind : allKinds) {
            if (!startOnce(watcher, kind, ledger, times)) {
                state.SkipWithError("a warm-up start did not show its window in time");
                return;
            }
        }
        for (int run = 0; run < state.range(0); ++run) {
            for (StartKind kind : allKinds) {
                if (!startOnce(watcher, kind, ledger, times)) {
                    state.SkipWithError(kind == StartKind::seededLedger
                            ? "the seeded start did not show its window and records in time"
                            : "a start did not show its window in time");
                    return;
                }
                Samples &into = samples[std::size_t(kind)];
                into.mapped.append(*times.mapped);
                into.painted.append(*times.painted);
                // The count is on screen once both happened.
                if (times.named)
                    into.named.append(std::max(*times.named, *times.painted));
            }
        }
        state.SetIterationTime(median(samples[std::size_t(StartKind::seededLedger)].painted) / 1000);
    }

    // Each seeded start against the one-label window of its round.
    const Samples &label = samples[std::size_t(StartKind::labelWindow)];
    QList<double> paintRatios;
    QList<double> recordsRatios;
    // The records must never delay the first paint: the seeded start against
    // the empty one of its round.
    QList<double> ledgerPaintRatios;
    for (qsizetype run = 0; run < label.painted.size(); ++run) {
        ledgerPaintRatios.append(samples[std::size_t(StartKind::seededLedger)].painted.at(run)
            / samples[std::size_t(StartKind::emptyLedger)].painted.at(run));
        paintRatios.append(
            samples[std::size_t(StartKind::seededLedger)].painted.at(run) / label.painted.at(run));
        if (run < samples[std::size_t(StartKind::seededLedger)].named.size())
            recordsRatios.append(
                samples[std::size_t(StartKind::seededLedger)].named.at(run) / label.painted.at(run));
    }
    tovra::bench::reportRow(state, QStringLiteral("paint_10000_vs_paint_0"), ledgerPaintRatios, 1.1);
    tovra::bench::reportRow(state, QStringLiteral("paint_vs_label_window"), paintRatios, 1.5);
    tovra::bench::reportRow(state, QStringLiteral("records_vs_label_window"), recordsRatios, 2.0);
    state.counters["label_paint_ms"] = median(label.painted);

    const Samples &bare = samples[std::size_t(StartKind::bareWindow)];
    const Samples &empty = samples[std::size_t(StartKind::emptyLedger)];
    const Samples &seeded = samples[std::size_t(StartKind::seededLedger)];
    state.counters["bare_mapped_ms"] = median(bare.mapped);
    state.counters["bare_paint_ms"] = median(bare.painted);
    state.counters["empty_mapped_ms"] = median(empty.mapped);
    state.counters["empty_paint_ms"] = median(empty.painted);
    state.counters["ledger_mapped_ms"] = median(seeded.mapped);
    state.counters["ledger_paint_ms"] = median(seeded.painted);
    state.counters["ledger_records_ms"] = median(seeded.named);
    state.counters["paint_ratio"] = median(seeded.painted) / median(bare.painted);
    state.counters["records_ratio"] = median(seeded.named) / median(bare.painted);
}
BENCHMARK(BM_MainWindowStartToFirstPaint)
    ->Arg(9)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace
