#include "core/citations/CitationRenderer.h"

#include "core/citations/MarkdownText.h"
#include "core/privacy/UrlSanitizer.h"
#include "core/records/TovraJson.h"

#include <QStringList>

namespace tovra {

namespace {

const QString separator = QStringLiteral(" · ");

std::optional<QString> nonBlankLine(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    QString line = markdown::singleLine(*text);
    if (line.isEmpty())
        return std::nullopt;
    return line;
}

// What the citation calls the source: its title, else the page's host, else
// the application's name.
QString displayTitle(const CitationSource &source)
{
    if (const auto title = nonBlankLine(source.sourceTitle))
        return *title;
    if (source.sanitizedURL) {
        if (const auto host = UrlSanitizer::host(*source.sanitizedURL))
            return *host;
    }
    if (const auto appName = nonBlankLine(source.sourceAppName))
        return *appName;
    return QStringLiteral("Tovra");
}

std::optional<QString> timeLabel(const QDateTime &capturedAt, const QTimeZone &timeZone)
{
    if (!capturedAt.isValid())
        return std::nullopt;
    return capturedAt.toTimeZone(timeZone).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString footnoteLabel(const QUuid &traceID)
{
    return QStringLiteral("^tovra-") + TovraJson::formatUuid(traceID).left(8);
}

bool isBlank(const QString &text)
{
    return text.trimmed().isEmpty();
}

QString renderInline(const QString &text, const CitationSource &source, const QString &target)
{
    if (isBlank(text))
        return markdown::link(displayTitle(source), target);
    const QString linkEnd = QStringLiteral("](") + markdown::linkDestination(target) + QLatin1Char(')');
    QString out;
    out.reserve(text.size() + 64);
    bool firstLine = true;
    for (const QString &line : markdown::lines(text)) {
        if (!firstLine)
            out += QLatin1Char('\n');
        firstLine = false;
        const QString content = line.trimmed();
        if (!content.isEmpty())
            out += QLatin1Char('[') + markdown::escapeText(content) + linkEnd;
    }
    return out;
}

QString renderFootnote(const QString &text, const CitationSource &source, const std::optional<QString> &web,
    const QTimeZone &timeZone)
{
    const QString label = footnoteLabel(source.traceID);
    const QString body = markdown::lines(text).join(QLatin1Char('\n'));
    qsizetype end = body.size();
    while (end > 0 && body.at(end - 1).isSpace())
        --end;
    const QString trimmedBody = body.left(end);

    QString out = trimmedBody;
    if (trimmedBody.contains(QLatin1Char('\n'))) {
        out += QStringLiteral("\n\n");
    } else if (!trimmedBody.isEmpty()) {
        // A backslash would escape the reference's bracket; "]" or "!" right
        // before it would read as a reference link or an image.
        const QChar last = trimmedBody.back();
        if (last == QLatin1Char('\\') || last == QLatin1Char(']') || last == QLatin1Char('!'))
            out += QLatin1Char(' ');
    }
    out += QLatin1Char('[') + label + QLatin1Char(']');

    const QString title = displayTitle(source);
    QStringList parts { web ? markdown::link(title, *web) : markdown::escapeText(title) };
    if (const auto appName = nonBlankLine(source.sourceAppName); appName && *appName != title)
        parts.append(markdown::escapeText(*appName));
    if (const auto time = timeLabel(source.capturedAt, timeZone))
        parts.append(*time);
    const QString traceID = TovraJson::formatUuid(source.traceID);
    parts.append(QStringLiteral("Tovra ID ")
        + markdown::link(traceID, CitationRenderer::localTraceURL(source.traceID)));

    out += QStringLiteral("\n\n[") + label + QStringLiteral("]: ") + parts.join(separator)
        + QLatin1Char('\n');
    return out;
}

QString renderCallout(
    const QString &text, const CitationSource &source, const QString &target, const QTimeZone &timeZone)
{
    const QString title = displayTitle(source);
    QStringList out { QStringLiteral("> [!quote] ") + markdown::link(title, target) };

    QStringList bodyLines = markdown::lines(text);
    while (!bodyLines.isEmpty() && isBlank(bodyLines.back()))
        bodyLines.removeLast();
    for (const QString &line : bodyLines)
        out.append(isBlank(line) ? QStringLiteral(">") : QStringLiteral("> ") + line);

    QStringList details;
    if (const auto appName = nonBlankLine(source.sourceAppName); appName && *appName != title)
        details.append(markdown::escapeText(*appName));
    if (const auto time = timeLabel(source.capturedAt, timeZone))
        details.append(*time);
    if (!details.isEmpty()) {
        if (!bodyLines.isEmpty())
            out.append(QStringLiteral(">"));
        out.append(QStringLiteral("> ") + details.join(separator));
    }
    return out.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace

bool CitationRenderer::canRenderExplicitWebCitation(
    const CitationSource &source, CitationLinkMode linkMode, const QDateTime &now)
{
    if (!webURL(source, linkMode))
        return false;
    return source.expiresAt.isValid() && !(source.expiresAt < now);
}

QString CitationRenderer::localTraceURL(const QUuid &traceID)
{
    return QStringLiteral("tovra://trace/") + TovraJson::formatUuid(traceID);
}

QString CitationRenderer::render(const QString &text, const CitationSource &source, CitationFormat format,
    CitationLinkMode linkMode, const QTimeZone &timeZone)
{
    const std::optional<QString> web = webURL(source, linkMode);
    const QString target = web.value_or(localTraceURL(source.traceID));
    switch (format) {
    case CitationFormat::inline_:
        return renderInline(text, source, target);
    case CitationFormat::footnote:
        return renderFootnote(text, source, web, timeZone);
    case CitationFormat::callout:
        return renderCallout(text, source, target, timeZone);
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<QString> CitationRenderer::webURL(const CitationSource &source, CitationLinkMode linkMode)
{
    if (linkMode != CitationLinkMode::webWhenAvailable
        || source.captureMethod != CaptureMethod::chromeExtension || !source.sanitizedURL)
        return std::nullopt;
    return UrlSanitizer::sanitize(*source.sanitizedURL);
}

} // namespace tovra
