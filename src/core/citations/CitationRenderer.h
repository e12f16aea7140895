#pragma once

#include "core/citations/CitationFormat.h"
#include "core/citations/CitationSource.h"

#include <QDateTime>
#include <QString>
#include <QTimeZone>
#include <QUuid>

#include <optional>

namespace tovra {

// Turns a pasted text and its source into the Markdown that is pasted instead.
//
// The link of a citation points at the source page only for a web citation: a
// capture of the browser extension whose address is still a valid sanitised
// URL, with link mode `webWhenAvailable`. Every other case links the local
// trace ("tovra://trace/<id>"), so `localOnly` never writes a web address as a
// link target.
//
// - inline: the text itself becomes the link, nothing is added. A link text
//   cannot span paragraphs, so every non-blank line becomes its own link to the
//   same target, trimmed, with blank lines kept between them; a text without
//   any visible character links the source's title instead.
// - footnote: the text as it is, followed by a footnote reference; the
//   footnote names the title (linked to the page for a web citation), the
//   application, the capture time and the trace ID linked to the local trace.
//   A single-line text carries the reference at its end, a multi-line text in
//   a paragraph of its own, where no paragraph of the text can swallow it; a
//   code block or HTML block that the text leaves open still would, as it
//   would swallow whatever follows the paste in the note.
// - callout: an Obsidian quote callout whose header is the linked title,
//   whose body is the text line by line, and whose last line names the
//   application and the capture time.
//
// Titles and names are put on one line and escaped, and link targets are
// percent-encoded where Markdown would misread them, so that brackets in a
// title or parentheses and spaces in a URL still give one correct link.
class CitationRenderer {
public:
    // True only when `render` would link the source page and the source has not
    // expired at `now` (a source is still valid at exactly its expiry time).
    static bool canRenderExplicitWebCitation(
        const CitationSource &source, CitationLinkMode linkMode, const QDateTime &now);

    // "tovra://trace/" followed by the lower-case canonical UUID.
    static QString localTraceURL(const QUuid &traceID);

    // Capture times are shown in `timeZone`, as "yyyy-MM-dd HH:mm".
    static QString render(const QString &text, const CitationSource &source, CitationFormat format,
        CitationLinkMode linkMode, const QTimeZone &timeZone = QTimeZone::systemTimeZone());

private:
    // The sanitised page address a web citation links, none when the source
    // or the link mode do not allow one.
    static std::optional<QString> webURL(const CitationSource &source, CitationLinkMode linkMode);
};

} // namespace tovra
