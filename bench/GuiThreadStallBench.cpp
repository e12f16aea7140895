// How long the GUI thread stops answering while the app does its heaviest
// work, watched by a 60 Hz timer: the worst lateness of a tick is the longest
// stall the user could see. The model runs over the simulated desktop with
// the real data store on a ledger of 10,000 trace records:
//   image_capture           a copied 20 MiB picture, from the pasteboard
//                           change to the history item
//   image_capture_in_place  the same with the picture decoded on the GUI
//                           thread, as it was before the decoding moved off it
//   commit_10000            a traced paste committed to the ledger
//   export_10000            the 10,000 records exported as CSV
// Each is reported as its worst stall (min/median/max over the runs) against
// the 16 ms of one frame, and the capture also by its whole duration.
// A second benchmark reads the same picture from another X client (xclip)
// through the X11 pasteboard, as a copy in another application is captured:
//   x11_image_capture       from the request to the decoded picture
// Run it inside scripts/with-desktop-session.sh.

#include "LedgerSeed.h"
#include "OffscreenApplication.h"
#include "NoisePicture.h"
#include "RatioFigures.h"

#include "app/data/TovraAppDataStoreFactory.h"
#include "app/model/ModelTestSupport.h"
#include "app/model/UserDefaultsKeys.h"
#include "core/clipboard/SessionClipboardShelf.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "platform/BackgroundWork.h"
#include "platform/PasteboardChangeObserver.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/SystemClock.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11Pasteboard.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <functional>

namespace {

using namespace tovra;
using namespace tovra::app;
using namespace tovra::app::testing;
using namespace std::chrono_literals;

constexpr qint64 seededRecordCount = 10000;
constexpr std::chrono::milliseconds frame = 16ms;
const QByteArray masterKey(32, '\x5a');

// A 60 Hz timer on the GUI thread and the longest it was late.
class StallWatch {
public:
    StallWatch()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(frame);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 elapsed = m_sinceTick.restart();
            m_worstMs = std::max(m_worstMs, double(elapsed) - double(frame.count()));
        });
    }
    void start()
    {
        m_worstMs = 0;
        m_sinceTick.start();
        m_timer.start();
    }
    // A stall that is still running, or ended after the last tick, counts too.
    double stop()
    {
        m_timer.stop();
        return std::max(m_worstMs, double(m_sinceTick.elapsed()) - double(frame.count()));
    }

private:
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    double m_worstMs = 0;
};

// Runs the event loop until `done`, for at most `limit`, with `step` after
// each round; false when it ran out.
bool runUntil(const std::function<bool()> &done, const std::function<void()> &step = {},
    std::chrono::milliseconds limit = 30s)
{
    QElapsedTimer waited;
    waited.start();
    while (!done()) {
        if (waited.elapsed() > limit.count())
            return false;
        QEventLoop loop;
        QTimer::singleShot(1ms, &loop, &QEventLoop::quit);
        loop.exec();
        if (step)
            step();
    }
    return true;
}

// The model over the simulated desktop and the real store on a seeded ledger,
// started, with its records loaded.
struct Desk {
    explicit Desk(std::shared_ptr<BackgroundWork> decoding)
    {
        tovra::bench::ensureOffscreenApplication();
        bench::seedLedger(ledgerFolder.filePath("ledger.json.enc"), seededRecordCount, masterKey);
        QProcessEnvironment environment;
        environment.insert("TOVRA_LEDGER_PATH", ledgerFolder.filePath("ledger.json.enc"));
        store = TovraAppDataStoreFactory::make(
            environment, std::make_unique<FixedTovraKeyProvider>(masterKey), std::make_shared<SystemClock>());
        editor = h.desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
        h.settings->setValue(userDefaultsKeys::observationEnabled, true);
        TovraAppModelServices services = h.services();
        services.dataProvider = store;
        services.backgroundWork = std::move(decoding);
        model = std::make_unique<TovraAppModel>(std::move(services));
        starting.emplace(model->start());
        // The start's later steps wait on the simulated clock.
        ready = runUntil(
            [this] {
                return model->state().records.size() == seededRecordCount && model->isFollowingPasteboard();
            },
            [this] { h.desktop.advance(10ms); });
        observer = model->findChild<PasteboardChangeObserver *>();
    }

    QTemporaryDir ledgerFolder;
    ModelHarness h;
    std::shared_ptr<TovraAppDataProviding> store;
    std::unique_ptr<TovraAppModel> model;
    std::optional<QCoro::Task<void>> starting;
    ProcessIdentifier editor = 0;
    PasteboardChangeObserver *observer = nullptr;
    bool ready = false;
};

QCoro::Task<void> commitOnce(TovraAppDataProviding &store, bool &done)
{
    DestinationSnapshot destination;
    destination.applicationName = QStringLiteral("Editor");
    destination.bundleIdentifier = QStringLiteral("org.example.Editor");
    destination.pastedAt = QDateTime::currentDateTimeUtc();
    co_await store.commitTracePaste(
        destination, QStringLiteral("A pasted paragraph."), std::nullopt, std::nullopt);
    done = true;
}

void BM_GuiThreadStall(benchmark::State &state)
{
    const int runs = int(state.range(0));
    const QByteArray picture = bench::largestPicture();
    QList<double> captureStall, captureInPlaceStall, captureMs, commitStall, exportStall;
    QTemporaryDir exports;
    for (auto _ : state) {
        for (const bool inPlace : { false, true }) {
            Desk desk(inPlace ? std::make_shared<tovra::testing::HeldBackgroundWork>() : nullptr);
            if (!desk.ready) {
                state.SkipWithError("the records did not load");
                return;
            }
            desk.h.desktop.switchTo(desk.editor);
            StallWatch watch;
            for (int run = 0; run < runs; ++run) {
                desk.h.desktop.pasteboard().setText(QStringLiteral("before %1").arg(run));
                desk.h.desktop.pasteboard().setImage(picture, PasteboardType::png);
                QElapsedTimer took;
                watch.start();
                took.start();
                desk.observer->poll();
                // The change clears the current item at once; the kept copy becomes it.
                if (!runUntil([&] { return desk.model->state().currentClipboardItemID.has_value(); })) {
                    state.SkipWithError("the picture did not reach the history");
                    return;
                }
                (inPlace ? captureInPlaceStall : captureStall).append(watch.stop());
                if (!inPlace)
                    captureMs.append(double(took.elapsed()));
            }
            if (inPlace)
                continue;

            for (int run = 0; run < runs; ++run) {
                bool done = false;
                watch.start();
                QCoro::Task<void> commit = commitOnce(*desk.store, done);
                if (!runUntil([&] { return done; })) {
                    state.SkipWithError("the commit did not end");
                    return;
                }
                commitStall.append(watch.stop());
            }
            for (int run = 0; run < runs; ++run) {
                desk.h.savePanel.scriptAnswer(exports.filePath(QStringLiteral("export-%1.csv").arg(run)));
                watch.start();
                desk.model->exportRecords(tovra::app::ExportFormat::csv);
                if (!runUntil([&] { return !desk.model->state().isExporting; })
                    || QFileInfo(exports.filePath(QStringLiteral("export-%1.csv").arg(run))).size() == 0) {
                    state.SkipWithError("the export did not end with a file");
                    return;
                }
                exportStall.append(watch.stop());
            }
        }
    }
    const double frameMs = double(frame.count());
    bench::reportRow(state, QStringLiteral("image_capture_stall_ms"), captureStall, frameMs);
    bench::reportRow(state, QStringLiteral("image_capture_in_place_stall_ms"), captureInPlaceStall, frameMs);
    bench::reportRow(state, QStringLiteral("image_capture_ms"), captureMs, 100);
    bench::reportRow(state, QStringLiteral("commit_10000_stall_ms"), commitStall, frameMs);
    bench::reportRow(state, QStringLiteral("export_10000_stall_ms"), exportStall, frameMs);
}
BENCHMARK(BM_GuiThreadStall)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_GuiThreadStallReadingX11Picture(benchmark::State &state)
{
    tovra::bench::ensureOffscreenApplication();
    X11Connection connection;
    if (!connection.isUsable()) {
        state.SkipWithError("no X display: run inside scripts/with-desktop-session.sh");
        return;
    }
    X11Pasteboard pasteboard(connection);
    PooledBackgroundWork work;
    QTemporaryDir folder;
    const QString picturePath = folder.filePath(QStringLiteral("picture.png"));
    const QByteArray picture = bench::largestPicture();
    QFile file(picturePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(picture) != picture.size()) {
        state.SkipWithError("the picture could not be written");
        return;
    }
    file.close();

    QList<double> stall, took;
    StallWatch watch;
    for (auto _ : state) {
        for (int run = 0; run < state.range(0); ++run) {
            // A new owner for every run, as a copy in another application.
            QProcess owner;
            const qint64 before = pasteboard.changeCount();
            owner.start(QStringLiteral("xclip"),
                { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"),
                    PasteboardType::png, QStringLiteral("-quiet"), QStringLiteral("-i"), picturePath });
            if (!owner.waitForStarted() || !runUntil([&] { return pasteboard.changeCount() > before; })) {
                state.SkipWithError("xclip did not take the clipboard");
                return;
            }
            QElapsedTimer elapsed;
            watch.start();
            elapsed.start();
            QFuture<PasteboardImageCaptureResult> capture = PasteboardImageSnapshot::captureDecodingThrough(
                work, pasteboard, SessionClipboardShelf::defaultMaximumImageBytes);
            const bool ended = runUntil([&] { return capture.isFinished(); });
            stall.append(watch.stop());
            took.append(double(elapsed.elapsed()));
            owner.kill();
            owner.waitForFinished();
            if (!ended || capture.result().kind() != PasteboardImageCaptureResult::Kind::captured
                || capture.result().snapshot()->image.data() != picture) {
                state.SkipWithError("the picture was not read whole");
                return;
            }
        }
    }
    bench::reportRow(state, QStringLiteral("x11_image_capture_stall_ms"), stall, double(frame.count()));
    bench::reportRow(state, QStringLiteral("x11_image_capture_ms"), took);
}
BENCHMARK(BM_GuiThreadStallReadingX11Picture)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
