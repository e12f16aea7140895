#include "app/model/ModelTestSupport.h"
#include "OffscreenApplication.h"
#include "NoisePicture.h"
#include "app/model/UserDefaultsKeys.h"
#include "platform/PasteboardChangeObserver.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardType.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QRandomGenerator>

#include <benchmark/benchmark.h>

// The model's own work on the main thread, on the simulated desktop with a
// ledger that answers at once: the waits of a paste (activation checks, the
// 0.3 s before the pasteboard comes back) are stepped away, so what is left
// is what the user interface is held up for.
namespace {

using namespace tovra;
using namespace tovra::app;
using namespace tovra::app::testing;
using namespace std::chrono_literals;

PendingSource applicationSource(const QString &fingerprint)
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = CaptureMethod::pasteboardInference;
    source.contentFingerprint = fingerprint;
    source.capturedAt = SimulatedClock::defaultStart();
    source.expiresAt = source.capturedAt.addSecs(3600);
    return source;
}

// A started model over a desktop with an editor and Obsidian, observation on.
struct Desk {
    Desk()
    {
        tovra::bench::ensureOffscreenApplication();
        editor = h.desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
        notes = h.desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian.Obsidian"));
        h.settings->setValue(userDefaultsKeys::observationEnabled, true);
        h.finish(h.model().start());
        observer = h.model().findChild<PasteboardChangeObserver *>();
    }

    ModelHarness h;
    ProcessIdentifier editor = 0;
    ProcessIdentifier notes = 0;
    PasteboardChangeObserver *observer = nullptr;
};

// Hot key to commit: inspection, activation, the destination tests, the
// preflight, the paste and the commit; with a citation also the rendering,
// the temporary pasteboard and its restoration.
void tracePaste(benchmark::State &state)
{
    const bool cited = state.range(0) != 0;
    Desk desk;
    desk.h.model().setObsidianCitationEnabled(cited);
    desk.h.desktop.pasteboard().setText(QStringLiteral("A paragraph worth citing, with a few words more."));
    const ProcessIdentifier target = cited ? desk.notes : desk.editor;
    desk.h.desktop.switchTo(target);
    PendingSource web = applicationSource(QStringLiteral("web"));
    web.captureMethod = CaptureMethod::chromeExtension;
    web.sanitizedURL = QStringLiteral("https://news.example.org/article");
    web.expiresAt = web.capturedAt.addYears(1);
    const CitationSource citation = CitationSource::from(QUuid::createUuid(), web);
    SimulatedElement &field = *desk.h.desktop.workspace().application(target).focused();
    for (auto _ : state) {
        if (cited)
            desk.h.provider->willReturn(op::resolveCitationSource, citation);
        desk.h.model().requestTracePaste();
        desk.h.desktop.advance(140ms);
        if (cited)
            desk.h.desktop.advance(300ms);
        if (desk.h.model().state().isPasting || field.text.isEmpty()
            || desk.h.provider->callCount(op::commitTracePaste) != 1)
            state.SkipWithError("the paste did not finish");
        field.text.clear();
        desk.h.provider->forgetCalls();
    }
}
BENCHMARK(tracePaste)->ArgName("cited")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// From the pasteboard change to the history item, and the two enrichment
// passes after it, for a text at the history's limit.
void captureText(benchmark::State &state)
{
    Desk desk;
    const QString text(256 * 1024, QLatin1Char('x'));
    desk.h.desktop.switchTo(desk.editor);
    for (auto _ : state) {
        desk.h.provider->willReturn(op::captureApplicationSource, applicationSource(QStringLiteral("text")));
        desk.h.desktop.pasteboard().setText(text);
        desk.observer->poll();
        desk.h.desktop.advance(750ms);
        if (desk.h.provider->callCount(op::captureApplicationSource) != 1
            || desk.h.model().state().clipboardItems.size() != 1)
            state.SkipWithError("the copy was not kept");
        desk.h.provider->forgetCalls();
    }
}
BENCHMARK(captureText)->Unit(benchmark::kMillisecond);

// The whole copy of such a picture, and apart from it the decoding (with
// preview and fingerprint) that the platform does once per copy: the
// difference is the model's own cost.
void captureImage(benchmark::State &state)
{
    const bool decodeOnly = state.range(0) != 0;
    Desk desk;
    const QByteArray png = bench::largestPicture();
    if (png.size() > 20'971'520) {
        state.SkipWithError("the picture is over the limit");
        return;
    }
    desk.h.desktop.switchTo(desk.editor);
    desk.h.desktop.pasteboard().setImage(png, PasteboardType::png);
    for (auto _ : state) {
        if (decodeOnly) {
            benchmark::DoNotOptimize(
                PasteboardImageSnapshot::capture(desk.h.desktop.pasteboard(), 20'971'520));
            continue;
        }
        desk.h.provider->willReturn(
            op::captureApplicationImageSource, applicationSource(QStringLiteral("image")));
        desk.h.desktop.pasteboard().setImage(png, PasteboardType::png);
        desk.observer->poll();
        if (desk.h.provider->callCount(op::captureApplicationImageSource) != 1
            || desk.h.model().state().clipboardItems.size() != 1)
            state.SkipWithError("the copy was not kept");
        desk.h.provider->forgetCalls();
    }
    state.counters["bytes"] = double(png.size());
}
BENCHMARK(captureImage)->ArgName("decodeOnly")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
