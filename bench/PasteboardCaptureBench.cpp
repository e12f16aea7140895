#include "platform/PasteboardArchive.h"
#include "platform/PasteboardImageSnapshot.h"
#include "platform/PasteboardType.h"
#include "platform/simulated/SimulatedPasteboard.h"

#include <QBuffer>
#include <QImage>

#include <benchmark/benchmark.h>

using namespace tovra;

namespace {

QByteArray screenshotPNG(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = qRgb((x * 7) & 0xff, (y * 3) & 0xff, ((x ^ y) * 5) & 0xff);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// A copied image is read, decoded, given its thumbnail and fingerprinted:
// what a copy of a screenshot costs the thread that captures it.
void captureCopiedScreenshot(benchmark::State &state)
{
    SimulatedPasteboard pasteboard;
    const QByteArray png = screenshotPNG(int(state.range(0)), int(state.range(0)) * 10 / 16);
    pasteboard.setImage(png, PasteboardType::png);
    for (auto _ : state) {
        const auto result = PasteboardImageSnapshot::capture(pasteboard, 20'971'520);
        if (result.kind() != PasteboardImageCaptureResult::Kind::captured)
            state.SkipWithError("the screenshot was not captured");
        benchmark::DoNotOptimize(result);
    }
    state.SetBytesProcessed(state.iterations() * png.size());
}
BENCHMARK(captureCopiedScreenshot)->Arg(800)->Arg(1920)->Arg(3840)->Unit(benchmark::kMillisecond);

// Archiving precedes every temporary replacement: a rich copy with an image.
void archiveRichCopy(benchmark::State &state)
{
    SimulatedPasteboard pasteboard;
    pasteboard.setContents({ PasteboardItem { {
        PasteboardRepresentation { PasteboardType::plainText, QByteArray(64 * 1024, 'a') },
        PasteboardRepresentation { QStringLiteral("text/html"), QByteArray(256 * 1024, 'b') },
        PasteboardRepresentation { PasteboardType::png, screenshotPNG(1920, 1200) },
    } } });
    for (auto _ : state) {
        const PasteboardArchive archive = PasteboardArchive::capture(pasteboard);
        benchmark::DoNotOptimize(archive);
    }
}
BENCHMARK(archiveRichCopy);

} // namespace
