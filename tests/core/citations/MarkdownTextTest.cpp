#include "core/citations/MarkdownText.h"

#include "MarkdownLinkParser.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace tovra {
namespace {

using markdown::escapeText;
using markdown::link;
using markdown::linkDestination;

TEST(MarkdownTextTest, EscapesWhatWouldEndALinkTextOrTakePrecedenceOverIt)
{
    EXPECT_EQ(escapeText(QStringLiteral("[Draft] a]b")), QStringLiteral("\\[Draft\\] a\\]b"));
    EXPECT_EQ(escapeText(QStringLiteral("C:\\temp")), QStringLiteral("C:\\\\temp"));
    EXPECT_EQ(escapeText(QStringLiteral("use `x` <b>")), QStringLiteral("use \\`x\\` \\<b\\>"));
    EXPECT_EQ(escapeText(QStringLiteral("plain *text* 文字")), QStringLiteral("plain *text* 文字"));
    EXPECT_EQ(escapeText(QString()), QString());
}

TEST(MarkdownTextTest, DestinationEncodesSpacesParenthesesAndControlCharacters)
{
    EXPECT_EQ(linkDestination(QStringLiteral("https://en.wikipedia.org/wiki/Foo_(bar)")),
        QStringLiteral("https://en.wikipedia.org/wiki/Foo_%28bar%29"));
    EXPECT_EQ(linkDestination(QStringLiteral("https://x.test/a b?q=c d")),
        QStringLiteral("https://x.test/a%20b?q=c%20d"));
    EXPECT_EQ(linkDestination(QStringLiteral("https://x.test/<a>\\`\t\n")),
        QStringLiteral("https://x.test/%3Ca%3E%5C%60%09%0A"));
    // A full-width space is whitespace too; it is written as its UTF-8 bytes.
    EXPECT_EQ(linkDestination(QStringLiteral("https://x.test/a\u3000b")),
        QStringLiteral("https://x.test/a%E3%80%80b"));
}

TEST(MarkdownTextTest, DestinationKeepsExistingEscapesAndOrdinaryCharacters)
{
    const QString url = QStringLiteral("https://x.test/%E6%96%87?a=1&b=%20#frag[0]");
    EXPECT_EQ(linkDestination(url), url);
    EXPECT_EQ(
        linkDestination(QStringLiteral("https://例子.测试/路径")), QStringLiteral("https://例子.测试/路径"));
    EXPECT_EQ(linkDestination(QStringLiteral("https://x.test/😀")), QStringLiteral("https://x.test/😀"));
}

TEST(MarkdownTextTest, LinkReadsBackAsOneLinkWithTheOriginalTextAndAddress)
{
    const QString text = QStringLiteral("a [b] c] \\ `d` <e> (f)");
    const QString url = QStringLiteral("https://x.test/p (1)/q?r=s t");
    const auto parsed = testing::parseWholeLink(link(text, url));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->text, text);
    EXPECT_EQ(QUrl::fromPercentEncoding(parsed->destination.toUtf8()), url);
}

TEST(MarkdownTextTest, SingleLineCollapsesEveryKindOfWhitespace)
{
    EXPECT_EQ(markdown::singleLine(QStringLiteral("  A\n\tB\r\n\u3000C  ")), QStringLiteral("A B C"));
    EXPECT_EQ(markdown::singleLine(QStringLiteral(" \n ")), QString());
}

TEST(MarkdownTextTest, LinesSplitOnEveryLineEnding)
{
    EXPECT_EQ(markdown::lines(QStringLiteral("a\r\nb\rc\nd")),
        (QStringList { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") }));
    EXPECT_EQ(markdown::lines(QStringLiteral("a\n")), (QStringList { QStringLiteral("a"), QString() }));
    EXPECT_EQ(markdown::lines(QString()), (QStringList { QString() }));
}

} // namespace
} // namespace tovra
