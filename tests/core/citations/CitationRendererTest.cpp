#include "core/citations/CitationRenderer.h"

#include "MarkdownLinkParser.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <functional>

namespace tovra {
namespace {

using namespace Qt::StringLiterals;

const QString traceURL = QStringLiteral("tovra://trace/3f2504e0-4f89-41d3-9a0c-0305e82c3301");
const QString traceLink
    = QStringLiteral("Tovra ID [3f2504e0-4f89-41d3-9a0c-0305e82c3301](") + traceURL + u')';
const QString reference = QStringLiteral("[^tovra-3f2504e0]");
const QString webLink = QStringLiteral("(https://example.com/article)");
const QDateTime capturedAt = QDateTime::fromSecsSinceEpoch(1'721'308'500, QTimeZone::utc());
const QDateTime expiresAt = capturedAt.addSecs(3600);
constexpr auto web = CitationLinkMode::webWhenAvailable;
constexpr auto localOnly = CitationLinkMode::localOnly;

CitationSource chromeSource()
{
    return CitationSource {
        .traceID = QUuid(QStringLiteral("3f2504e0-4f89-41d3-9a0c-0305e82c3301")),
        .sourceID = QUuid(QStringLiteral("9b1deb4d-3b7d-4bad-9bdd-2b0d7b3dcb6d")),
        .captureMethod = CaptureMethod::chromeExtension,
        .sanitizedURL = QStringLiteral("https://example.com/article"),
        .sourceTitle = QStringLiteral("Example Article"),
        .sourceAppName = QStringLiteral("Google Chrome"),
        .capturedAt = capturedAt,
        .expiresAt = expiresAt,
    };
}

CitationSource changed(const std::function<void(CitationSource &)> &change)
{
    CitationSource source = chromeSource();
    change(source);
    return source;
}

QString render(
    const QString &text, const CitationSource &source, CitationFormat format, CitationLinkMode mode = web)
{
    return CitationRenderer::render(text, source, format, mode, QTimeZone::utc());
}

TEST(CitationRendererTest, WebCitationNeedsAChromeCaptureAWebLinkModeAValidAddressAndNoExpiry)
{
    const auto can = [](const CitationSource &source, const QDateTime &now, CitationLinkMode mode = web) {
        return CitationRenderer::canRenderExplicitWebCitation(source, mode, now);
    };
    EXPECT_TRUE(can(chromeSource(), capturedAt));
    EXPECT_FALSE(can(chromeSource(), capturedAt, localOnly));
    for (CaptureMethod method : allCases<CaptureMethod>()) {
        if (method != CaptureMethod::chromeExtension) {
            EXPECT_FALSE(can(changed([&](auto &s) { s.captureMethod = method; }), capturedAt))
                << enumName(method).toStdString();
        }
    }
    for (const std::optional<QString> &url : { std::optional<QString>(), std::optional(QString()),
             std::optional(QStringLiteral("javascript:alert(1)")),
             std::optional(QStringLiteral("file:///etc/passwd")),
             std::optional(QStringLiteral("not a url")) }) {
        EXPECT_FALSE(can(changed([&](auto &s) { s.sanitizedURL = url; }), capturedAt))
            << url.value_or(QStringLiteral("<none>")).toStdString();
    }

    // Citable up to and including the expiry, whatever zone the instant is written in.
    EXPECT_TRUE(can(chromeSource(), expiresAt));
    EXPECT_TRUE(can(chromeSource(), expiresAt.toTimeZone(QTimeZone(8 * 3600))));
    EXPECT_FALSE(can(chromeSource(), expiresAt.addMSecs(1)));
    EXPECT_FALSE(can(changed([](auto &s) { s.expiresAt = QDateTime(); }), capturedAt));
}

TEST(CitationRendererTest, RendersEachFormatForEachKindOfSource)
{
    const QString details = QStringLiteral(" · Google Chrome · 2024-07-18 13:15 · ") + traceLink + u'\n';
    const QString definition
        = QStringLiteral("\n\n") + reference + QStringLiteral(": [Example Article]") + webLink + details;
    const QString calloutEnd = QStringLiteral(">\n> Google Chrome · 2024-07-18 13:15\n");
    const QString header = QStringLiteral("> [!quote] [Example Article]") + webLink + u'\n';
    const auto keyboard = changed([](auto &s) { s.captureMethod = CaptureMethod::keyboardObservation; });
    const auto noTitle = changed([](auto &s) { s.sourceTitle.reset(); });
    const auto blankTitle = changed([](auto &s) { s.sourceTitle = QStringLiteral(" \n\t"); });
    const auto application = changed([](auto &s) {
        s.captureMethod = CaptureMethod::pasteboardInference;
        s.sanitizedURL.reset();
        s.sourceTitle.reset();
        s.sourceAppName = QStringLiteral("Text Editor");
    });
    const auto anonymous = changed([](auto &s) {
        s.captureMethod = CaptureMethod::pasteboardInference;
        s.sanitizedURL.reset();
        s.sourceTitle.reset();
        s.sourceAppName.reset();
    });
    const struct {
        QString text;
        CitationSource source;
        CitationFormat format;
        CitationLinkMode mode;
        QString expected;
    } cases[] = {
        { u"摘录文字"_s, chromeSource(), CitationFormat::inline_, web, u"[摘录文字]"_s + webLink },
        { u"摘录文字"_s, chromeSource(), CitationFormat::footnote, web,
            u"摘录文字"_s + reference + definition },
        { u"摘录文字"_s, chromeSource(), CitationFormat::callout, web,
            header + u"> 摘录文字\n"_s + calloutEnd },
        { u"摘录文字"_s, chromeSource(), CitationFormat::inline_, localOnly,
            u"[摘录文字]("_s + traceURL + u')' },
        { u"摘录文字"_s, chromeSource(), CitationFormat::footnote, localOnly,
            u"摘录文字"_s + reference + u"\n\n"_s + reference + u": Example Article"_s + details },
        { u"摘录文字"_s, chromeSource(), CitationFormat::callout, localOnly,
            u"> [!quote] [Example Article]("_s + traceURL + u")\n> 摘录文字\n"_s + calloutEnd },
        // Sources that are no web citations link the trace.
        { u"t"_s, keyboard, CitationFormat::inline_, web, u"[t]("_s + traceURL + u')' },
        { u"t"_s, changed([](auto &s) { s.sanitizedURL = QStringLiteral("javascript:alert(1)"); }),
            CitationFormat::inline_, web, u"[t]("_s + traceURL + u')' },
        // The link is the address sanitised again, and stays one link with ")" in it.
        { u"t"_s,
            changed([](auto &s) { s.sanitizedURL = u"https://Example.COM/article?utm_source=x&id=7#s"_s; }),
            CitationFormat::inline_, web, u"[t](https://example.com/article?id=7)"_s },
        { u"t"_s, changed([](auto &s) { s.sanitizedURL = u"https://en.wikipedia.org/wiki/Foo_(bar)"_s; }),
            CitationFormat::inline_, web, u"[t](https://en.wikipedia.org/wiki/Foo_%28bar%29)"_s },
        { u"t"_s, changed([](auto &s) { s.sanitizedURL = u"https://example.com/a b/(c)?q=d e"_s; }),
            CitationFormat::inline_, web, u"[t](https://example.com/a%20b/%28c%29?q=d%20e)"_s },
        // An empty title falls back to the host, then to the application, then to Tovra.
        { u"x"_s, noTitle, CitationFormat::callout, web,
            u"> [!quote] [example.com]"_s + webLink + u"\n> x\n"_s + calloutEnd },
        { u"x"_s, blankTitle, CitationFormat::callout, web,
            u"> [!quote] [example.com]"_s + webLink + u"\n> x\n"_s + calloutEnd },
        { u"x"_s, application, CitationFormat::callout, web,
            u"> [!quote] [Text Editor]("_s + traceURL + u")\n> x\n>\n> 2024-07-18 13:15\n"_s },
        { u"x"_s, anonymous, CitationFormat::footnote, web,
            u"x"_s + reference + u"\n\n"_s + reference + u": Tovra · 2024-07-18 13:15 · "_s + traceLink
                + u'\n' },
        { u"x"_s, changed([](auto &s) { s.sourceTitle = QStringLiteral("  Line one\n\nline two  "); }),
            CitationFormat::callout, web,
            u"> [!quote] [Line one line two]"_s + webLink + u"\n> x\n"_s + calloutEnd },
        { u"x"_s, changed([](auto &s) { s.sourceAppName = QStringLiteral("Browser [beta]"); }),
            CitationFormat::callout, web, header + u"> x\n>\n> Browser \\[beta\\] · 2024-07-18 13:15\n"_s },
        { u"a"_s, changed([](auto &s) {
             s.sourceAppName.reset();
             s.capturedAt = QDateTime();
         }),
            CitationFormat::callout, web, header + u"> a\n"_s },
        // Unlinked, a title is escaped all the same so that it cannot form a link.
        { u"x"_s, changed([](auto &s) { s.sourceTitle = QStringLiteral("[Draft] Notes] on [a"); }),
            CitationFormat::footnote, localOnly,
            u"x"_s + reference + u"\n\n"_s + reference + u": \\[Draft\\] Notes\\] on \\[a"_s + details },
        // Text: inline links every non-blank line, or the title when there is none.
        { u"first line\n\n  second  \r\nthird\n"_s, chromeSource(), CitationFormat::inline_, web,
            u"[first line]"_s + webLink + u"\n\n[second]"_s + webLink + u"\n[third]"_s + webLink + u'\n' },
        { u" \n "_s, chromeSource(), CitationFormat::inline_, web, u"[Example Article]"_s + webLink },
        { u"- one\r\n- two\n\n"_s, chromeSource(), CitationFormat::footnote, web,
            u"- one\n- two\n\n"_s + reference + definition },
        // The footnote reference is kept apart from what would capture it.
        { u"see [1]"_s, chromeSource(), CitationFormat::footnote, web,
            u"see [1] "_s + reference + definition },
        { u"wow!"_s, chromeSource(), CitationFormat::footnote, web, u"wow! "_s + reference + definition },
        { u"C:\\"_s, chromeSource(), CitationFormat::footnote, web, u"C:\\ "_s + reference + definition },
        { u"done.  "_s, chromeSource(), CitationFormat::footnote, web, u"done."_s + reference + definition },
        { u"a\n\n  b\r\n\n"_s, chromeSource(), CitationFormat::callout, web,
            header + u"> a\n>\n>   b\n"_s + calloutEnd },
    };
    for (const auto &entry : cases) {
        EXPECT_EQ(render(entry.text, entry.source, entry.format, entry.mode), entry.expected)
            << "case " << (&entry - cases);
    }

    EXPECT_TRUE(
        CitationRenderer::render(u"x"_s, chromeSource(), CitationFormat::callout, web, QTimeZone(8 * 3600))
            .endsWith(u"> Google Chrome · 2024-07-18 21:15\n"_s));
    EXPECT_EQ(CitationRenderer::localTraceURL(QUuid(u"{3F2504E0-4F89-41D3-9A0C-0305E82C3301}"_s)), traceURL);
}

// A CommonMark reader finds exactly one link with the title or text as written.
TEST(CitationRendererTest, BracketsInTitlesAndTextsStayInsideOneLink)
{
    const auto source = changed([](auto &s) { s.sourceTitle = QStringLiteral("[Draft] Notes] on [a"); });
    const QString footnote = render(u"x"_s, source, CitationFormat::footnote);
    qsizetype position = footnote.indexOf(reference + u": "_s) + reference.size() + 2;
    auto parsed = testing::parseLinkAt(footnote, position);
    ASSERT_TRUE(parsed.has_value()) << footnote.toStdString();
    EXPECT_EQ(parsed->text, *source.sourceTitle);
    EXPECT_EQ(parsed->destination, u"https://example.com/article"_s);

    const QString callout = render(u"x"_s, source, CitationFormat::callout);
    position = QStringLiteral("> [!quote] ").size();
    parsed = testing::parseLinkAt(callout, position);
    ASSERT_TRUE(parsed.has_value()) << callout.toStdString();
    EXPECT_EQ(parsed->text, *source.sourceTitle);
    EXPECT_EQ(callout.at(position), u'\n');

    const QString text = QStringLiteral("see [1] and ] or \\ and `code` <b>");
    parsed = testing::parseWholeLink(render(text, chromeSource(), CitationFormat::inline_));
    ASSERT_TRUE(parsed.has_value());
    EXPECT_EQ(parsed->text, text);
}

} // namespace
} // namespace tovra
