#include "app/model/ModelTestSupport.h"
#include "app/views/records/RecordsControls.h"
#include "app/views/records/RecordsView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

namespace {

using namespace tovra::app;
using namespace tovra::app::testing;

QList<ProvenanceRecord> records(int count, const QDateTime &now)
{
    QList<ProvenanceRecord> list;
    list.reserve(count);
    for (int index = 0; index < count; ++index) {
        ProvenanceRecord record
            = sampleRecord(QStringLiteral("Article %1 about the news").arg(index), now.addSecs(-60 * index));
        record.source.domain = QStringLiteral("site%1.example.org").arg(index % 40);
        record.source.url
            = QUrl(QStringLiteral("https://%1/articles/%2").arg(record.source.domain).arg(index));
        record.destination.applicationName = QStringLiteral("Editor %1").arg(index % 7);
        record.destination.windowTitle = QStringLiteral("Notes %1").arg(index % 300);
        list.append(record);
    }
    return list;
}

// One keystroke in the records search box, as the user types it, with the
// whole section (filters and list) painted again before the next one. The
// keystrokes alternate between narrowing the list ("article 1", about a
// ninth of the records) and widening it back ("article ", all of them).
void searchKeystrokeAndRepaint(benchmark::State &state)
{
    ModelHarness harness;
    harness.provider->willReturn(
        op::listRecords, records(int(state.range(0)), harness.desktop.clock().now()));
    harness.finish(harness.model().reload());

    QWidget section;
    auto *column = new QVBoxLayout(&section);
    column->addWidget(new views::RecordsControls(harness.model(), &section));
    column->addWidget(new views::RecordsView(harness.model(), &section));
    section.resize(440, 560);
    section.show();
    auto *search = section.findChild<QLineEdit *>();
    QTest::keyClicks(search, QStringLiteral("article "));
    QApplication::processEvents();

    bool narrowing = true;
    for (auto _ : state) {
        if (narrowing)
            QTest::keyClick(search, Qt::Key_1);
        else
            QTest::keyClick(search, Qt::Key_Backspace);
        narrowing = !narrowing;
        section.repaint();
    }
    state.counters["shown"] = double(harness.model().filteredRecords().size());
}

BENCHMARK(searchKeystrokeAndRepaint)->Arg(10'000)->Unit(benchmark::kMillisecond);

} // namespace

// Widgets need an application object; the offscreen platform paints without
// a display.
int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
