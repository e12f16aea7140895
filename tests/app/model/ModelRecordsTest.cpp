#include "ModelTestSupport.h"
#include "app/data/AppJson.h"
#include "app/data/ExportRenderer.h"
#include "app/model/RecordFilter.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

const QDateTime now(QDate(2025, 3, 10), QTime(12, 0), Qt::UTC);

ProvenanceRecord record(const QString &title, const QString &domain, const QString &destination,
    const QDateTime &pastedAt, TraceConfidence confidence)
{
    ProvenanceRecord made = sampleRecord(title, pastedAt);
    made.source.domain = domain;
    made.source.url = QUrl(QStringLiteral("https://") + domain + QStringLiteral("/page"));
    made.destination.applicationName = destination;
    made.confidence = confidence;
    return made;
}

// In loaded order; `rust` and `terminal` were pasted at the same time.
const ProvenanceRecord qtDocs
    = record("QSaveFile", "doc.qt.io", "Text Editor", now.addDays(-7), TraceConfidence::observed);
const ProvenanceRecord rust
    = record("Async in depth", "rust-lang.org", "Obsidian", now.addSecs(-3600), TraceConfidence::verified);
const ProvenanceRecord subdomain = record(
    "Blog", "blog.rust-lang.org", "Obsidian", now.addDays(-7).addSecs(-1), TraceConfidence::inferred);
const ProvenanceRecord terminal = [] {
    ProvenanceRecord made = record("", "", "Obsidian", now.addSecs(-3600), TraceConfidence::inferred);
    made.source.url.reset();
    made.source.applicationName = QStringLiteral("Terminal");
    made.destination.windowTitle = QStringLiteral("draft.md");
    return made;
}();
const QList<ProvenanceRecord> loaded { qtDocs, rust, subdomain, terminal };

RecordFilterCriteria filters(const QString &search, const std::optional<QString> &domain = {},
    const std::optional<QString> &application = {}, std::optional<TraceConfidence> confidence = {},
    RecordDateFilter date = RecordDateFilter::all)
{
    return RecordFilterCriteria { search, domain, application, confidence, date };
}

QStringList titles(const QList<ProvenanceRecord> &records)
{
    QStringList result;
    for (const ProvenanceRecord &listed : records)
        result.append(listed.source.title.isEmpty() ? listed.source.applicationName : listed.source.title);
    return result;
}

TEST(ModelRecordsTest, FiltersMatchTheirFieldsAndKeepPasteOrder)
{
    using enum RecordDateFilter;
    const QStringList everything { "Async in depth", "Terminal", "QSaveFile", "Blog" };
    const struct {
        const char *name;
        RecordFilterCriteria criteria;
        QStringList expected;
        bool active;
    } cases[] = {
        { "nothing set: newest first, ties in loaded order", filters({}), everything, false },
        { "blank search", filters(QStringLiteral(" \n\t ")), everything, false },
        { "padded search", filters(QStringLiteral("  qsavefile\n")), { "QSaveFile" }, true },
        { "source application in other case", filters(QStringLiteral("TERMINAL")), { "Terminal" }, true },
        { "destination window title", filters(QStringLiteral("draft.md")), { "Terminal" }, true },
        { "address", filters(QStringLiteral("https://blog.")), { "Blog" }, true },
        { "across two fields", filters(QStringLiteral("qsavefile\nDOC.qt")), { "QSaveFile" }, true },
        { "domain is exact", filters({}, QStringLiteral("rust-lang.org")), { "Async in depth" }, true },
        { "empty domain", filters({}, QString()), { "Terminal" }, true },
        { "application is exact", filters({}, {}, QStringLiteral("obsidian")), {}, true },
        { "application", filters({}, {}, QStringLiteral("Text Editor")), { "QSaveFile" }, true },
        { "confidence", filters({}, {}, {}, TraceConfidence::inferred), { "Terminal", "Blog" }, true },
        { "today", filters({}, {}, {}, {}, today), { "Async in depth", "Terminal" }, true },
        { "seven days includes its bound", filters({}, {}, {}, {}, sevenDays), everything.mid(0, 3), true },
        { "thirty days", filters({}, {}, {}, {}, thirtyDays), everything, true },
        { "all together",
            filters(QStringLiteral("rust"), QStringLiteral("rust-lang.org"), QStringLiteral("Obsidian"),
                TraceConfidence::verified, today),
            { "Async in depth" }, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(titles(filterRecords(loaded, c.criteria, now, QTimeZone::utc())), c.expected);
        EXPECT_EQ(hasActiveFilters(c.criteria), c.active);
    }
}

// After "已删除" or "已清空" the list no longer shows what the ledger removed;
// after a failure it still shows everything.
TEST(ModelRecordsTest, DeletedAndClearedRecordsLeaveTheListOnlyWhenTheLedgerRemovedThem)
{
    const struct {
        const char *name;
        bool clear;
        bool fails;
        QList<ProvenanceRecord> listed;
        QString notice;
        QString failure;
    } cases[] = {
        { "delete", false, false, { qtDocs, subdomain, terminal }, QStringLiteral("已删除一条溯源记录。"),
            {} },
        { "delete fails", false, true, loaded, {}, QStringLiteral("删除失败") },
        { "clear", true, false, {}, QStringLiteral("本地溯源记录已清空。"), {} },
        { "clear fails", true, true, loaded, {}, QStringLiteral("清空失败") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.provider->willReturn(op::listRecords, loaded);
        h.finish(h.model().reload());
        if (c.fails)
            h.provider->willFail(
                c.clear ? op::clearRecords : op::deleteRecord, QStringLiteral("账本无法写入"));
        if (c.clear) {
            h.model().clearAllRecords();
        } else {
            h.model().setPendingDeletion(rust);
            h.model().confirmDelete();
        }
        h.settle();

        const auto &state = h.model().state();
        EXPECT_EQ(state.records, c.listed);
        EXPECT_EQ(state.feedback.notice ? state.feedback.notice->message : QString(), c.notice);
        EXPECT_EQ(state.feedback.failure ? state.feedback.failure->title : QString(), c.failure);
    }
}

// The notice counts the records written, which are those the filters pass.
TEST(ModelRecordsTest, ExportsTheFilteredRecordsWhereTheUserChose)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("export"));
    const QString missingFolder = folder.filePath(QStringLiteral("gone/export"));
    const QList<ProvenanceRecord> obsidian = { rust, terminal, subdomain };
    const struct {
        const char *name;
        ExportFormat format;
        QString search;
        std::optional<QString> answer;
        QByteArray written;
        QString notice;
        bool fails = false;
    } cases[] = {
        { "markdown", ExportFormat::markdown, {}, path, ExportRenderer::markdown(obsidian).toUtf8(),
            QStringLiteral("已导出 3 条 Markdown 记录。") },
        { "csv", ExportFormat::csv, {}, path, ExportRenderer::csv(obsidian).toUtf8(),
            QStringLiteral("已导出 3 条 CSV 记录。") },
        { "json", ExportFormat::json, {}, path, AppJson::encode(obsidian),
            QStringLiteral("已导出 3 条 JSON 记录。") },
        { "cancelled", ExportFormat::csv, {}, std::nullopt, {}, {} },
        { "folder does not exist", ExportFormat::json, {}, missingFolder, {}, {}, true },
        { "nothing to export", ExportFormat::csv, QStringLiteral("nowhere"), path, {},
            QStringLiteral("当前没有可导出的记录。") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        ModelHarness h;
        h.provider->willReturn(op::listRecords, loaded);
        h.finish(h.model().reload());
        h.model().setSelectedApplication(QStringLiteral("Obsidian"));
        h.model().setSearchText(c.search);
        h.savePanel.scriptAnswer(c.answer);
        QFile::remove(path);

        h.model().exportRecords(c.format);
        h.settle();
        const SavePanelRequest asked { QStringLiteral("导出Tovra记录"),
            QStringLiteral("tovra-export-2025-01-01.")
                + QStringList { "md", "csv", "json" }.at(int(c.format)),
            TovraAppModel::contentType(c.format) };
        EXPECT_EQ(h.savePanel.requests(), c.search.isEmpty() ? QList { asked } : QList<SavePanelRequest> {});
        const auto &state = h.model().state();
        EXPECT_FALSE(state.isExporting);
        QFile file(c.answer.value_or(path));
        EXPECT_EQ(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), c.written);
        EXPECT_EQ(state.feedback.notice ? state.feedback.notice->message : QString(), c.notice);
        EXPECT_EQ(state.feedback.failure ? std::optional(state.feedback.failure->recovery) : std::nullopt,
            c.fails ? std::optional(AppRecoveryAction::retryExport(c.format)) : std::nullopt);
    }
}

// The file is rendered and written off the GUI thread: until that work has
// run, the export is still under way and nothing is announced.
TEST(ModelRecordsTest, AnExportIsWrittenInTheBackgroundAndAnnouncedOnceWritten)
{
    QTemporaryDir folder;
    for (const bool fails : { false, true }) {
        SCOPED_TRACE(fails);
        const QString path
            = folder.filePath(fails ? QStringLiteral("gone/export") : QStringLiteral("export"));
        ModelHarness h;
        h.provider->willReturn(op::listRecords, loaded);
        h.finish(h.model().reload());
        h.savePanel.scriptAnswer(path);
        h.backgroundWork->hold();

        h.model().exportRecords(ExportFormat::csv);
        h.settle();
        EXPECT_TRUE(h.model().state().isExporting);
        EXPECT_EQ(h.backgroundWork->waitingCount(), 1);
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_FALSE(h.model().state().feedback.notice.has_value());

        h.backgroundWork->release();
        h.settle();
        const auto &state = h.model().state();
        EXPECT_FALSE(state.isExporting);
        EXPECT_EQ(QFile::exists(path), !fails);
        EXPECT_EQ(state.feedback.notice.has_value(), !fails);
        EXPECT_EQ(state.feedback.failure.has_value(), fails);
    }
}

} // namespace
} // namespace tovra::app::testing
