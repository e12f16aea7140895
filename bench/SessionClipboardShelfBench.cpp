#include "core/clipboard/SessionClipboardShelf.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

using namespace tovra;

// Long enough that nothing expires however many iterations run.
constexpr std::chrono::hours benchLifetime { 24 * 365 };

QDateTime startTime()
{
    return QDateTime::fromSecsSinceEpoch(1'721'308'500, Qt::UTC);
}

PendingSource sourceFor(const QString &fingerprint)
{
    PendingSource source;
    source.id = QUuid::createUuid();
    source.captureMethod = CaptureMethod::pasteboardInference;
    source.contentFingerprint = fingerprint;
    source.sourceAppName = QStringLiteral("Editor");
    source.capturedAt = startTime();
    source.expiresAt = startTime().addSecs(3600);
    return source;
}

struct Copy {
    PendingSource source;
    QString text;
};

// Distinct copies of `bytes` bytes each, many more than the history holds, so
// that cycling through them always stores new content.
std::vector<Copy> distinctCopies(int count, qsizetype bytes)
{
    std::vector<Copy> copies;
    copies.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        QString text = QString::number(i).leftJustified(bytes, QLatin1Char('x'));
        copies.push_back({ sourceFor(QStringLiteral("fp-%1").arg(i)), std::move(text) });
    }
    return copies;
}

void fill(SessionClipboardShelf &shelf, const std::vector<Copy> &copies, QDateTime &now)
{
    for (int i = 0; i < SessionClipboardShelf::defaultMaximumItemCount; ++i) {
        const Copy &copy = copies[size_t(i)];
        auto task = shelf.upsert(copy.source, copy.text, i, now);
        now = now.addMSecs(1);
    }
}

SessionClipboardShelf fullSizeShelf()
{
    return SessionClipboardShelf(SessionClipboardShelf::defaultMaximumItemCount,
        SessionClipboardShelf::defaultMaximumTotalBytes, SessionClipboardShelf::defaultMaximumItemBytes,
        SessionClipboardShelf::defaultMaximumImageCount, SessionClipboardShelf::defaultMaximumTotalImageBytes,
        SessionClipboardShelf::defaultMaximumImageBytes, benchLifetime);
}

// A new copy into a full history: look for a repeat, insert, trim the oldest.
void BM_UpsertNewTextIntoFullShelf(benchmark::State &state)
{
    const std::vector<Copy> copies = distinctCopies(1024, state.range(0));
    SessionClipboardShelf shelf = fullSizeShelf();
    QDateTime now = startTime();
    fill(shelf, copies, now);
    size_t next = SessionClipboardShelf::defaultMaximumItemCount;
    for (auto _ : state) {
        const Copy &copy = copies[next++ % copies.size()];
        auto task = shelf.upsert(copy.source, copy.text, qint64(next), now);
        benchmark::DoNotOptimize(task);
        now = now.addMSecs(1);
    }
}
BENCHMARK(BM_UpsertNewTextIntoFullShelf)->Arg(64)->Arg(4096)->Arg(262'144);

// A repeated copy of content the full history already holds.
void BM_UpsertRepeatedTextIntoFullShelf(benchmark::State &state)
{
    const std::vector<Copy> copies = distinctCopies(SessionClipboardShelf::defaultMaximumItemCount, 64);
    SessionClipboardShelf shelf = fullSizeShelf();
    QDateTime now = startTime();
    fill(shelf, copies, now);
    size_t next = 0;
    for (auto _ : state) {
        const Copy &copy = copies[next++ % copies.size()];
        auto task = shelf.upsert(copy.source, copy.text, qint64(next), now);
        benchmark::DoNotOptimize(task);
        now = now.addMSecs(1);
    }
}
BENCHMARK(BM_UpsertRepeatedTextIntoFullShelf);

// Reading the list of a full history, texts and images.
void BM_ItemsOfFullShelf(benchmark::State &state)
{
    const std::vector<Copy> copies = distinctCopies(SessionClipboardShelf::defaultMaximumItemCount, 4096);
    SessionClipboardShelf shelf = fullSizeShelf();
    QDateTime now = startTime();
    fill(shelf, copies, now);
    for (int i = 0; i < SessionClipboardShelf::defaultMaximumImageCount; ++i) {
        const SessionClipboardImage image(
            QByteArray(65'536, char('a' + i)), QStringLiteral("public.png"), 128, 128);
        auto task = shelf.upsert(sourceFor(QString()), image, image.sessionFingerprint(), i, now);
        now = now.addMSecs(1);
    }
    for (auto _ : state) {
        auto task = shelf.items(now);
        benchmark::DoNotOptimize(task);
    }
}
BENCHMARK(BM_ItemsOfFullShelf);

} // namespace
