#include "core/citations/MarkdownText.h"

#include "MarkdownLinkParser.h"

#include <QUrl>

#include <gtest/gtest.h>

namespace tovra {
namespace {

using namespace markdown;

TEST(MarkdownTextTest, EscapesWhatWouldEndALinkTextOrTakePrecedenceOverIt)
{
    for (const auto &[text, escaped] : { std::pair { u"[Draft] a]b", u"\\[Draft\\] a\\]b" },
             std::pair { u"C:\\temp", u"C:\\\\temp" }, std::pair { u"use `x` <b>", u"use \\`x\\` \\<b\\>" },
             std::pair { u"plain *text* 文字", u"plain *text* 文字" }, std::pair { u"", u"" } }) {
        EXPECT_EQ(escapeText(QString::fromUtf16(text)), QString::fromUtf16(escaped));
    }
}

TEST(MarkdownTextTest, DestinationEncodesOnlySpacesParenthesesAndControlCharacters)
{
    for (const auto &[url, destination] : {
             std::pair {
                 u"https://en.wikipedia.org/wiki/Foo_(bar)", u"https://en.wikipedia.org/wiki/Foo_%28bar%29" },
             std::pair { u"https://x.test/a b?q=c d", u"https://x.test/a%20b?q=c%20d" },
             std::pair { u"https://x.test/<a>\\`\t\n", u"https://x.test/%3Ca%3E%5C%60%09%0A" },
             // A full-width space is white space too; it is written as its UTF-8 bytes.
             std::pair { u"https://x.test/a\u3000b", u"https://x.test/a%E3%80%80b" },
             std::pair { u"https://x.test/%E6%96%87?a=1&b=%20#frag[0]",
                 u"https://x.test/%E6%96%87?a=1&b=%20#frag[0]" },
             std::pair { u"https://例子.测试/路径", u"https://例子.测试/路径" },
             std::pair { u"https://x.test/😀", u"https://x.test/😀" },
         }) {
        EXPECT_EQ(linkDestination(QString::fromUtf16(url)), QString::fromUtf16(destination));
    }
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

TEST(MarkdownTextTest, SingleLineAndLinesHandleEveryKindOfWhiteSpaceAndLineEnding)
{
    EXPECT_EQ(singleLine(QStringLiteral("  A\n\tB\r\n\u3000C  ")), QStringLiteral("A B C"));
    EXPECT_EQ(singleLine(QStringLiteral(" \n ")), QString());
    EXPECT_EQ(lines(QStringLiteral("a\r\nb\rc\nd")),
        (QStringList { QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d") }));
    EXPECT_EQ(lines(QStringLiteral("a\n")), (QStringList { QStringLiteral("a"), QString() }));
    EXPECT_EQ(lines(QString()), QStringList { QString() });
}

} // namespace
} // namespace tovra
