#include "core/citations/CitationFormat.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(CitationFormatTest, CasesInPickerOrderWithTheirNames)
{
    const auto cases = allCases<CitationFormat>();
    ASSERT_EQ(cases.size(), 3u);
    EXPECT_EQ(cases[0], CitationFormat::inline_);
    EXPECT_EQ(cases[1], CitationFormat::footnote);
    EXPECT_EQ(cases[2], CitationFormat::callout);
    EXPECT_EQ(enumName(CitationFormat::inline_), QStringLiteral("inline"));
    EXPECT_EQ(enumName(CitationFormat::footnote), QStringLiteral("footnote"));
    EXPECT_EQ(enumName(CitationFormat::callout), QStringLiteral("callout"));
}

TEST(CitationFormatTest, NamesReadBackExactlyAndNothingElse)
{
    for (CitationFormat format : allCases<CitationFormat>())
        EXPECT_EQ(enumFromName<CitationFormat>(enumName(format)), format);
    EXPECT_FALSE(enumFromName<CitationFormat>(u"Inline").has_value());
    EXPECT_FALSE(enumFromName<CitationFormat>(u"inline_").has_value());
    EXPECT_FALSE(enumFromName<CitationFormat>(u"").has_value());
}

TEST(CitationLinkModeTest, CasesAndNames)
{
    const auto cases = allCases<CitationLinkMode>();
    ASSERT_EQ(cases.size(), 2u);
    EXPECT_EQ(enumName(cases[0]), QStringLiteral("webWhenAvailable"));
    EXPECT_EQ(enumName(cases[1]), QStringLiteral("localOnly"));
    EXPECT_EQ(enumFromName<CitationLinkMode>(u"localOnly"), CitationLinkMode::localOnly);
    EXPECT_EQ(enumFromName<CitationLinkMode>(u"webWhenAvailable"), CitationLinkMode::webWhenAvailable);
    EXPECT_FALSE(enumFromName<CitationLinkMode>(u"localonly").has_value());
}

} // namespace
} // namespace tovra
