#pragma once

#include <QString>

#include <optional>

namespace tovra::testing {

struct ParsedLink {
    QString text; // with backslash escapes resolved
    QString destination; // as written
};

// Reads one inline link "[text](destination)" the way a CommonMark reader
// does, starting at `position`: the text ends at the first unescaped "]" that
// balances the opening bracket, the destination has no spaces or control
// characters and ends at the first unescaped ")" that balances its "(".
// `position` is moved past the link. None when there is no link there.
std::optional<ParsedLink> parseLinkAt(const QString &markdown, qsizetype &position);

// The link that makes up the whole of `markdown`, none otherwise.
std::optional<ParsedLink> parseWholeLink(const QString &markdown);

} // namespace tovra::testing
