#include "core/exports/MarkdownFactList.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(MarkdownFactListTest, OneBulletPerKnownFactInOrderWithTheGivenSeparator)
{
    MarkdownFactList english(QStringLiteral(": "));
    english.add(QStringLiteral("Trace ID"), QStringLiteral("3f2504e0"));
    english.add(QStringLiteral("Source"), QStringLiteral("[Page](https://example.org/)"));
    EXPECT_EQ(english.text(), QStringLiteral("- Trace ID: 3f2504e0\n- Source: [Page](https://example.org/)"));

    MarkdownFactList chinese(QStringLiteral("："));
    chinese.add(QStringLiteral("可信度"), QStringLiteral("verified"));
    EXPECT_EQ(chinese.text(), QStringLiteral("- 可信度：verified"));

    EXPECT_EQ(MarkdownFactList(QStringLiteral(": ")).text(), QString());
}

TEST(MarkdownFactListTest, AbsentEmptyAndBlankFactsLeaveNoLine)
{
    MarkdownFactList facts(QStringLiteral(": "));
    facts.add(QStringLiteral("Absent"), std::nullopt);
    facts.add(QStringLiteral("Empty"), QString());
    facts.addLiteral(QStringLiteral("Missing"), std::nullopt);
    facts.addLiteral(QStringLiteral("Blank"), QStringLiteral(" \n\t "));
    facts.add(QStringLiteral("Kept"), QStringLiteral("yes"));
    EXPECT_EQ(facts.text(), QStringLiteral("- Kept: yes"));
}

TEST(MarkdownFactListTest, LiteralFactsStayOnOneLineAndReadAsWritten)
{
    MarkdownFactList facts(QStringLiteral(": "));
    facts.addLiteral(QStringLiteral("Window"), QStringLiteral("  *Draft*\n[notes]  "));
    EXPECT_EQ(facts.text(), QStringLiteral("- Window: \\*Draft\\* \\[notes\\]"));
}

} // namespace
} // namespace tovra
