#include "OffscreenApplication.h"
#include "app/views/SymbolIcons.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// What a row or a button pays for its symbol: making the icon and painting it
// at the size the panel shows it, in the palette's colour and in a fixed one.
namespace {

using tovra::app::SymbolIcons;

void symbolIconMadeAndPainted(benchmark::State &state)
{
    tovra::bench::ensureOffscreenApplication();
    const bool fixedColor = state.range(0) != 0;
    const QStringList names { QStringLiteral("trash"), QStringLiteral("globe"), QStringLiteral("eye"),
        QStringLiteral("doc.on.clipboard") };
    qsizetype next = 0;
    for (auto _ : state) {
        const QString &name = names.at(next++ % names.size());
        const QIcon icon
            = fixedColor ? SymbolIcons::icon(name, QColor(0x12, 0x80, 0xEE)) : SymbolIcons::icon(name);
        benchmark::DoNotOptimize(icon.pixmap(16, 16));
    }
}
BENCHMARK(symbolIconMadeAndPainted)->ArgName("fixedColor")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
