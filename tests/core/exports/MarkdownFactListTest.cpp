#include "core/exports/MarkdownFactList.h"

#include <gtest/gtest.h>

namespace tovra {
namespace {

TEST(MarkdownFactListTest, OneBulletPerKnownFactInOrderWithTheGivenSeparator)
{
    MarkdownFactList facts(QStringLiteral("："));
    EXPECT_EQ(facts.text(), QString());
    facts.add(QStringLiteral("可信度"), QStringLiteral("verified"));
    facts.add(QStringLiteral("Absent"), std::nullopt);
    facts.add(QStringLiteral("Empty"), QString());
    facts.addLiteral(QStringLiteral("Missing"), std::nullopt);
    facts.addLiteral(QStringLiteral("Blank"), QStringLiteral(" \n\t "));
    facts.add(QStringLiteral("Source"), QStringLiteral("[Page](https://example.org/)"));
    // Literal facts stay on one line and read as written.
    facts.addLiteral(QStringLiteral("Window"), QStringLiteral("  *Draft*\n[notes]  "));
    EXPECT_EQ(facts.text(),
        QStringLiteral(
            "- 可信度：verified\n- Source：[Page](https://example.org/)\n- Window：\\*Draft\\* \\[notes\\]"));
}

} // namespace
} // namespace tovra
