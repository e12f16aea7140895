#pragma once

#include <QString>
#include <QStringList>

// Helpers that put arbitrary text into Markdown (CommonMark, as Obsidian reads
// it) so that it shows literally and cannot break the construct around it.
namespace tovra::markdown {

// Text that sits inside a link's brackets or in running text: escapes the
// characters that end a link text early or open a construct that takes
// precedence over links (code spans, autolinks, raw HTML). Emphasis is left
// alone: it cannot reach across a link's brackets and reads the same as the
// text pasted plainly would.
QString escapeText(const QString &text);

// Text that must read exactly as written wherever it stands in a line of
// running text or a heading: on top of escapeText, escapes emphasis, strike-
// through, table cells, entities, math and heading marks.
QString escapeLiteral(const QString &text);

// A URL as a link destination: percent-encodes whitespace, control characters
// and the characters that would end or confuse the destination, so that
// "[t](url)" stays one link in every renderer. Existing escapes are kept.
QString linkDestination(const QString &url);

// "[text](destination)" with both parts made safe.
QString link(const QString &text, const QString &url);

// Whitespace runs (line breaks included) become one space; ends are trimmed.
// For titles and names, which must stay on one line.
QString singleLine(const QString &text);

// The lines of a text, whatever its line endings (LF, CRLF or CR).
QStringList lines(const QString &text);

} // namespace tovra::markdown
