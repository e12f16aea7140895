#include "RecordTestFixtures.h"

#include "core/records/TraceFilter.h"

#include <gtest/gtest.h>

using namespace tovra;
using namespace tovra::testing;

TEST(TraceFilter, EmptyFilterMatchesEverything)
{
    TraceRecord bare = verifiedTrace();
    bare.source.reset();
    EXPECT_TRUE(TraceFilter {}.matches(verifiedTrace()));
    EXPECT_TRUE(TraceFilter {}.matches(bare));
}

TEST(TraceFilter, QuerySearchesBothEndsIgnoringCase)
{
    const TraceRecord trace = verifiedTrace();
    const auto matching = [&](const char *query) {
        TraceFilter filter;
        filter.query = QString::fromUtf8(query);
        return filter.matches(trace);
    };
    EXPECT_TRUE(matching("EXAMPLE.COM")) << "source address";
    EXPECT_TRUE(matching("标题")) << "source page title";
    EXPECT_TRUE(matching("chrome")) << "source application";
    EXPECT_TRUE(matching("obsidian")) << "destination application";
    EXPECT_TRUE(matching("vault")) << "destination window";
    EXPECT_TRUE(matching("   ")) << "a blank query is no condition";
    EXPECT_FALSE(matching("spreadsheet"));
    EXPECT_FALSE(matching("md.obsidian")) << "bundle identifiers are not searched";

    TraceRecord bare = trace;
    bare.source.reset();
    TraceFilter filter;
    filter.query = QStringLiteral("chrome");
    EXPECT_FALSE(filter.matches(bare));
}

TEST(TraceFilter, ConfidenceAndSinceMustBothHold)
{
    const TraceRecord trace = verifiedTrace();
    TraceFilter filter;
    filter.confidence = TraceConfidence::verified;
    filter.since = trace.paste.pastedAt;
    EXPECT_TRUE(filter.matches(trace)) << "since includes its own instant";
    filter.since = trace.paste.pastedAt.addMSecs(1);
    EXPECT_FALSE(filter.matches(trace));
    filter.since.reset();
    filter.confidence = TraceConfidence::inferred;
    EXPECT_FALSE(filter.matches(trace));
    filter.confidence.reset();
    filter.limit = 0;
    EXPECT_TRUE(filter.matches(trace)) << "the limit is applied to the list, not to a record";
}
