#include "ModelTestSupport.h"

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

// Only a well-formed link costs a read of the records, which then replace
// the listed ones; a failed read keeps them.
TEST(ModelTraceLinkTest, ALinkShowsItsRecordOrWhyItCannot)
{
    const ProvenanceRecord stored = sampleRecord(QStringLiteral("Stored"), SimulatedClock::defaultStart());
    const ProvenanceRecord listed = sampleRecord(QStringLiteral("Listed"), SimulatedClock::defaultStart());
    const QString id = stored.id.toString(QUuid::WithoutBraces);
    const auto found = TraceDetailContent::record(stored);
    const auto unsupported = TraceDetailContent::notFound(QStringLiteral("不支持的Tovra链接。"));
    const auto invalid = TraceDetailContent::notFound(QStringLiteral("溯源记录编号无效。"));
    const struct {
        QString url;
        TraceDetailContent shown;
        bool read = false;
        bool readFails = false;
    } cases[] = {
        { QStringLiteral("tovra://trace/") + id, found, true },
        { QStringLiteral("TOVRA://TRACE/") + id.toUpper(), found, true },
        { QStringLiteral("tovra://trace/") + id + QStringLiteral("/more"), found, true },
        { QStringLiteral("tovra://trace/") + QUuid::createUuid().toString(QUuid::WithoutBraces),
            TraceDetailContent::notFound(QStringLiteral("这条本机记录已删除、过期或不可用。")), true },
        { QStringLiteral("tovra://trace/") + id,
            TraceDetailContent::notFound(QStringLiteral("无法读取本机记录：账本不可读")), true, true },
        { QStringLiteral("tovra://open/") + id, unsupported },
        { QStringLiteral("https://trace/") + id, unsupported },
        { QStringLiteral("tovra:trace/") + id, unsupported },
        { QStringLiteral("tovra://trace"), invalid },
        { QStringLiteral("tovra://trace/{") + id + QStringLiteral("}"), invalid },
        { QStringLiteral("tovra://trace/") + QString(id).remove(QLatin1Char('-')), invalid },
        { QStringLiteral("tovra://trace/notes/") + id, invalid },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        ModelHarness h;
        h.provider->willReturn(op::listRecords, { listed });
        h.finish(h.model().reload());
        if (c.readFails)
            h.provider->willFail(op::listRecords, QStringLiteral("账本不可读"));
        h.provider->willReturn(op::listRecords, { stored });

        h.finish(h.model().handleTraceURL(QUrl(c.url)));
        EXPECT_EQ(h.traceDetails.shown, QList { c.shown });
        EXPECT_EQ(h.provider->callCount(op::listRecords), c.read ? 2 : 1);
        EXPECT_EQ(h.model().state().records, QList { c.read && !c.readFails ? stored : listed });
        EXPECT_EQ(h.model().state().feedback, AppFeedbackState {});
    }
}

// A web page opens in the browser, whatever the letter case of its scheme;
// anything else opens its record in the detail window.
TEST(ModelTraceLinkTest, ASourceOpensInTheBrowserOnlyForAWebPage)
{
    const struct {
        std::optional<QUrl> url;
        bool inBrowser;
    } cases[] = {
        { QUrl(QStringLiteral("https://news.example.org/article")), true },
        { QUrl(QStringLiteral("http://news.example.org/article")), true },
        { QUrl(QStringLiteral("HTTP://news.example.org/article")), true },
        { QUrl(QStringLiteral("file:///home/user/notes.md")), false },
        { std::nullopt, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.url.value_or(QUrl()).toString().toStdString());
        ModelHarness h;
        ProvenanceRecord record = sampleRecord(QStringLiteral("Source"), SimulatedClock::defaultStart());
        record.source.url = c.url;

        h.model().openSource(record);
        EXPECT_EQ(h.desktop.workspace().openedURLs(), c.inBrowser ? QList { *c.url } : QList<QUrl> {});
        EXPECT_EQ(h.traceDetails.shown,
            c.inBrowser ? QList<TraceDetailContent> {} : QList { TraceDetailContent::record(record) });
    }
}

} // namespace
} // namespace tovra::app::testing
