#include "core/citations/CitationRenderer.h"

#include "MarkdownLinkParser.h"

#include <QTimeZone>
#include <QUrl>

#include <gtest/gtest.h>

namespace tovra {
namespace {

const QUuid traceID(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301"));
const QString traceURL = QStringLiteral("tovra://trace/3f2504e0-4f89-41d3-9a0c-0305e82c3301");
const QString traceLink = QStringLiteral(
    "Tovra ID [3f2504e0-4f89-41d3-9a0c-0305e82c3301](tovra://trace/3f2504e0-4f89-41d3-9a0c-0305e82c3301)");
const QDateTime capturedAt = QDateTime::fromSecsSinceEpoch(1'721'308'500, QTimeZone::utc());
const QDateTime expiresAt = QDateTime::fromSecsSinceEpoch(1'721'312'100, QTimeZone::utc());
const QTimeZone utc = QTimeZone::utc();

CitationSource chromeSource()
{
    return CitationSource {
        .traceID = traceID,
        .sourceID = QUuid(QStringLiteral("9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d")),
        .captureMethod = CaptureMethod::chromeExtension,
        .sanitizedURL = QStringLiteral("https://example.com/article"),
        .sourceTitle = QStringLiteral("Example Article"),
        .sourceAppName = QStringLiteral("Google Chrome"),
        .capturedAt = capturedAt,
        .expiresAt = expiresAt,
    };
}

QString render(const QString &text, const CitationSource &source, CitationFormat format,
    CitationLinkMode mode = CitationLinkMode::webWhenAvailable)
{
    return CitationRenderer::render(text, source, format, mode, utc);
}

TEST(CitationRendererTest, LocalTraceURLIsLowerCaseWithoutBraces)
{
    EXPECT_EQ(
        CitationRenderer::localTraceURL(QUuid(QStringLiteral("{3F2504E0-4F89-41D3-9A0C-0305E82C3301}"))),
        traceURL);
}

TEST(CitationRendererTest, WebCitationNeedsAChromeCaptureAWebLinkModeAndAValidAddress)
{
    const QDateTime now = capturedAt.addSecs(60);
    EXPECT_TRUE(CitationRenderer::canRenderExplicitWebCitation(
        chromeSource(), CitationLinkMode::webWhenAvailable, now));
    EXPECT_FALSE(
        CitationRenderer::canRenderExplicitWebCitation(chromeSource(), CitationLinkMode::localOnly, now));

    for (CaptureMethod method : allCases<CaptureMethod>()) {
        if (method == CaptureMethod::chromeExtension)
            continue;
        CitationSource source = chromeSource();
        source.captureMethod = method;
        EXPECT_FALSE(
            CitationRenderer::canRenderExplicitWebCitation(source, CitationLinkMode::webWhenAvailable, now))
            << enumName(method).toStdString();
    }

    for (const std::optional<QString> &url : { std::optional<QString>(), std::optional<QString>(QString()),
             std::optional<QString>(QStringLiteral("javascript:alert(1)")),
             std::optional<QString>(QStringLiteral("file:///etc/passwd")),
             std::optional<QString>(QStringLiteral("not a url")) }) {
        CitationSource source = chromeSource();
        source.sanitizedURL = url;
        EXPECT_FALSE(
            CitationRenderer::canRenderExplicitWebCitation(source, CitationLinkMode::webWhenAvailable, now))
            << url.value_or(QStringLiteral("<none>")).toStdString();
    }
}

TEST(CitationRendererTest, SourceStaysCitableUpToAndIncludingItsExpiry)
{
    const auto can = [](const QDateTime &now) {
        return CitationRenderer::canRenderExplicitWebCitation(
            chromeSource(), CitationLinkMode::webWhenAvailable, now);
    };
    EXPECT_TRUE(can(expiresAt.addMSecs(-1)));
    EXPECT_TRUE(can(expiresAt));
    // The same instant written in another zone is still not after the expiry.
    EXPECT_TRUE(can(expiresAt.toTimeZone(QTimeZone(8 * 3600))));
    EXPECT_FALSE(can(expiresAt.addMSecs(1)));

    CitationSource noExpiry = chromeSource();
    noExpiry.expiresAt = QDateTime();
    EXPECT_FALSE(CitationRenderer::canRenderExplicitWebCitation(
        noExpiry, CitationLinkMode::webWhenAvailable, capturedAt));
}

TEST(CitationRendererTest, InlineMakesTheTextTheLinkAndAddsNothingElse)
{
    EXPECT_EQ(render(QStringLiteral("摘录文字"), chromeSource(), CitationFormat::inline_),
        QStringLiteral("[摘录文字](https://example.com/article)"));
}

TEST(CitationRendererTest, FootnoteCarriesTitleApplicationTimeAndTraceLink)
{
    EXPECT_EQ(render(QStringLiteral("摘录文字"), chromeSource(), CitationFormat::footnote),
        QStringLiteral(
            "摘录文字[^tovra-3f2504e0]\n\n[^tovra-3f2504e0]: [Example Article](https://example.com/article)"
            " · Google Chrome · 2024-07-18 13:15 · ")
            + traceLink + QLatin1Char('\n'));
}

TEST(CitationRendererTest, CalloutQuotesTheTextUnderTheLinkedTitle)
{
    EXPECT_EQ(render(QStringLiteral("摘录文字"), chromeSource(), CitationFormat::callout),
        QStringLiteral("> [!quote] [Example Article](https://example.com/article)\n"
                       "> 摘录文字\n"
                       ">\n"
                       "> Google Chrome · 2024-07-18 13:15\n"));
}

TEST(CitationRendererTest, CaptureTimeIsShownInTheGivenZone)
{
    const QString rendered = CitationRenderer::render(QStringLiteral("x"), chromeSource(),
        CitationFormat::callout, CitationLinkMode::webWhenAvailable, QTimeZone(8 * 3600));
    EXPECT_TRUE(rendered.endsWith(QStringLiteral("> Google Chrome · 2024-07-18 21:15\n")))
        << rendered.toStdString();
}

TEST(CitationRendererTest, LocalOnlyLinksTheTraceInsteadOfThePage)
{
    const CitationSource source = chromeSource();
    EXPECT_EQ(
        render(QStringLiteral("摘录文字"), source, CitationFormat::inline_, CitationLinkMode::localOnly),
        QStringLiteral("[摘录文字](") + traceURL + QLatin1Char(')'));
    EXPECT_EQ(
        render(QStringLiteral("摘录文字"), source, CitationFormat::footnote, CitationLinkMode::localOnly),
        QStringLiteral("摘录文字[^tovra-3f2504e0]\n\n[^tovra-3f2504e0]: Example Article"
                       " · Google Chrome · 2024-07-18 13:15 · ")
            + traceLink + QLatin1Char('\n'));
    EXPECT_EQ(
        render(QStringLiteral("摘录文字"), source, CitationFormat::callout, CitationLinkMode::localOnly),
        QStringLiteral("> [!quote] [Example Article](") + traceURL
            + QStringLiteral(")\n> 摘录文字\n>\n> Google Chrome · 2024-07-18 13:15\n"));
    for (CitationFormat format : allCases<CitationFormat>()) {
        EXPECT_FALSE(render(QStringLiteral("摘录文字"), source, format, CitationLinkMode::localOnly)
                         .contains(QStringLiteral("example.com/article")))
            << enumName(format).toStdString();
    }
}

TEST(CitationRendererTest, SourcesThatAreNotWebCitationsLinkTheTrace)
{
    CitationSource application = chromeSource();
    application.captureMethod = CaptureMethod::keyboardObservation;
    EXPECT_EQ(render(QStringLiteral("t"), application, CitationFormat::inline_),
        QStringLiteral("[t](") + traceURL + QLatin1Char(')'));

    CitationSource invalid = chromeSource();
    invalid.sanitizedURL = QStringLiteral("javascript:alert(1)");
    EXPECT_EQ(render(QStringLiteral("t"), invalid, CitationFormat::inline_),
        QStringLiteral("[t](") + traceURL + QLatin1Char(')'));
}

TEST(CitationRendererTest, WebLinkIsTheAddressSanitisedAgain)
{
    CitationSource source = chromeSource();
    source.sanitizedURL = QStringLiteral("https://Example.COM/article?utm_source=x&id=7#section");
    EXPECT_EQ(render(QStringLiteral("t"), source, CitationFormat::inline_),
        QStringLiteral("[t](https://example.com/article?id=7)"));
}

TEST(CitationRendererTest, TitleWithBracketsStaysOneLinkInEveryFormat)
{
    CitationSource source = chromeSource();
    source.sourceTitle = QStringLiteral("[Draft] Notes] on [a");
    const QString footnote = render(QStringLiteral("x"), source, CitationFormat::footnote);
    const QString definition = QStringLiteral("[^tovra-3f2504e0]: ");
    qsizetype position = footnote.indexOf(definition);
    ASSERT_GE(position, 0);
    position += definition.size();
    auto parsed = testing::parseLinkAt(footnote, position);
    ASSERT_TRUE(parsed.has_value()) << footnote.toStdString();
    EXPECT_EQ(parsed->text, *source.sourceTitle);
    EXPECT_EQ(parsed->destination, QStringLiteral("https://example.com/article"));

    const QString callout = render(QStringLiteral("x"), source, CitationFormat::callout);
    const QString header = QStringLiteral("> [!quote] ");
    ASSERT_TRUE(callout.startsWith(header));
    position = header.size();
    parsed = testing::parseLinkAt(callout, position);
    ASSERT_TRUE(parsed.has_value()) << callout.toStdString();
    EXPECT_EQ(parsed->text, *source.sourceTitle);
    EXPECT_EQ(callout.at(position), QLatin1Char('\n'));

    // Unlinked, the title is escaped all the same so that it cannot form a link.
    const QString local
        = render(QStringLiteral("x"), source, CitationFormat::footnote, CitationLinkMode::localOnly);
    EXPECT_TRUE(local.contains(QStringLiteral(": \\[Draft\\] Notes\\] on \\[a · "))) << local.toStdString();
}

TEST(CitationRendererTest, TextWithBracketsAndBackslashesStaysOneInlineLink)
{
    const QString text = QStringLiteral("see [1] and ] or \\ and `code` <b>");
    const auto parsed = testing::parseWholeLink(render(text, chromeSource(), CitationFormat::inline_));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->text, text);
    EXPECT_EQ(parsed->destination, QStringLiteral("https://example.com/article"));
}

TEST(CitationRendererTest, AddressWithParenthesesAndSpacesStaysOneLink)
{
    CitationSource source = chromeSource();
    source.sanitizedURL = QStringLiteral("https://en.wikipedia.org/wiki/Foo_(bar)");
    auto parsed = testing::parseWholeLink(render(QStringLiteral("t"), source, CitationFormat::inline_));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->destination, QStringLiteral("https://en.wikipedia.org/wiki/Foo_%28bar%29"));
    EXPECT_EQ(QUrl(parsed->destination).path(QUrl::FullyDecoded), QStringLiteral("/wiki/Foo_(bar)"));

    source.sanitizedURL = QStringLiteral("https://example.com/a b/(c)?q=d e");
    const QString rendered = render(QStringLiteral("t"), source, CitationFormat::inline_);
    parsed = testing::parseWholeLink(rendered);
    ASSERT_TRUE(parsed.has_value()) << rendered.toStdString();
    const QUrl linked(parsed->destination, QUrl::StrictMode);
    ASSERT_TRUE(linked.isValid());
    EXPECT_EQ(linked.host(), QStringLiteral("example.com"));
    EXPECT_EQ(linked.path(QUrl::FullyDecoded), QStringLiteral("/a b/(c)"));
    EXPECT_EQ(linked.query(QUrl::FullyDecoded), QStringLiteral("q=d e"));
}

TEST(CitationRendererTest, EmptyTitleFallsBackToTheHostThenTheApplication)
{
    for (const std::optional<QString> &title : { std::optional<QString>(), std::optional<QString>(QString()),
             std::optional<QString>(QStringLiteral(" \n\t")) }) {
        CitationSource source = chromeSource();
        source.sourceTitle = title;
        EXPECT_EQ(render(QStringLiteral("x"), source, CitationFormat::callout),
            QStringLiteral("> [!quote] [example.com](https://example.com/article)\n> x\n>\n"
                           "> Google Chrome · 2024-07-18 13:15\n"));
    }

    CitationSource application = chromeSource();
    application.captureMethod = CaptureMethod::pasteboardInference;
    application.sanitizedURL.reset();
    application.sourceTitle.reset();
    application.sourceAppName = QStringLiteral("Text Editor");
    // The application already names the source, so it is not repeated.
    EXPECT_EQ(render(QStringLiteral("x"), application, CitationFormat::callout),
        QStringLiteral("> [!quote] [Text Editor](") + traceURL
            + QStringLiteral(")\n> x\n>\n> 2024-07-18 13:15\n"));

    application.sourceAppName.reset();
    EXPECT_EQ(render(QStringLiteral("x"), application, CitationFormat::footnote),
        QStringLiteral("x[^tovra-3f2504e0]\n\n[^tovra-3f2504e0]: Tovra · 2024-07-18 13:15 · ") + traceLink
            + QLatin1Char('\n'));
}

TEST(CitationRendererTest, TitleOnSeveralLinesIsPutOnOne)
{
    CitationSource source = chromeSource();
    source.sourceTitle = QStringLiteral("  Line one\n\nline two  ");
    EXPECT_TRUE(
        render(QStringLiteral("x"), source, CitationFormat::callout)
            .startsWith(QStringLiteral("> [!quote] [Line one line two](https://example.com/article)\n")));
}

TEST(CitationRendererTest, ApplicationNameIsEscaped)
{
    CitationSource source = chromeSource();
    source.sourceAppName = QStringLiteral("Browser [beta]");
    EXPECT_TRUE(render(QStringLiteral("x"), source, CitationFormat::callout)
                    .endsWith(QStringLiteral("> Browser \\[beta\\] · 2024-07-18 13:15\n")));
}

TEST(CitationRendererTest, InlineLinksEveryNonBlankLineAndKeepsParagraphs)
{
    EXPECT_EQ(render(QStringLiteral("first line\n\n  second  \r\nthird\n"), chromeSource(),
                  CitationFormat::inline_),
        QStringLiteral("[first line](https://example.com/article)\n\n"
                       "[second](https://example.com/article)\n"
                       "[third](https://example.com/article)\n"));
}

TEST(CitationRendererTest, InlineWithoutVisibleTextLinksTheTitle)
{
    EXPECT_EQ(render(QStringLiteral(" \n "), chromeSource(), CitationFormat::inline_),
        QStringLiteral("[Example Article](https://example.com/article)"));
}

TEST(CitationRendererTest, FootnoteOfMultiLineTextStandsInItsOwnParagraph)
{
    EXPECT_EQ(render(QStringLiteral("- one\r\n- two\n\n"), chromeSource(), CitationFormat::footnote),
        QStringLiteral("- one\n- two\n\n[^tovra-3f2504e0]\n\n[^tovra-3f2504e0]: [Example Article]"
                       "(https://example.com/article) · Google Chrome · 2024-07-18 13:15 · ")
            + traceLink + QLatin1Char('\n'));
}

TEST(CitationRendererTest, FootnoteReferenceIsKeptApartFromCharactersThatWouldCaptureIt)
{
    EXPECT_TRUE(render(QStringLiteral("see [1]"), chromeSource(), CitationFormat::footnote)
                    .startsWith(QStringLiteral("see [1] [^tovra-3f2504e0]\n")));
    EXPECT_TRUE(render(QStringLiteral("wow!"), chromeSource(), CitationFormat::footnote)
                    .startsWith(QStringLiteral("wow! [^tovra-3f2504e0]\n")));
    EXPECT_TRUE(render(QStringLiteral("C:\\"), chromeSource(), CitationFormat::footnote)
                    .startsWith(QStringLiteral("C:\\ [^tovra-3f2504e0]\n")));
    EXPECT_TRUE(render(QStringLiteral("done.  "), chromeSource(), CitationFormat::footnote)
                    .startsWith(QStringLiteral("done.[^tovra-3f2504e0]\n")));
}

TEST(CitationRendererTest, CalloutQuotesEveryLineAndKeepsBlankLinesInside)
{
    EXPECT_EQ(render(QStringLiteral("a\n\n  b\r\n\n"), chromeSource(), CitationFormat::callout),
        QStringLiteral("> [!quote] [Example Article](https://example.com/article)\n"
                       "> a\n"
                       ">\n"
                       ">   b\n"
                       ">\n"
                       "> Google Chrome · 2024-07-18 13:15\n"));
}

TEST(CitationRendererTest, CalloutWithoutDetailsEndsWithTheText)
{
    CitationSource source = chromeSource();
    source.sourceAppName.reset();
    source.capturedAt = QDateTime();
    EXPECT_EQ(render(QStringLiteral("a"), source, CitationFormat::callout),
        QStringLiteral("> [!quote] [Example Article](https://example.com/article)\n> a\n"));
}

} // namespace
} // namespace tovra
