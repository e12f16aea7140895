#pragma once

#include <QString>

#include <optional>

namespace tovra::testing {

struct ParsedLink {
    QString text; // with backslash escapes resolved
    QString destination; // as written
};

namespace detail {

inline bool isAsciiPunctuation(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 0x21 && u <= 0x2F) || (u >= 0x3A && u <= 0x40) || (u >= 0x5B && u <= 0x60)
        || (u >= 0x7B && u <= 0x7E);
}

} // namespace detail

// Reads one inline link "[text](destination)" the way a CommonMark reader
// does, starting at `position`: the text ends at the first unescaped "]" that
// balances the opening bracket, the destination has no spaces or control
// characters and ends at the first unescaped ")" that balances its "(".
// `position` is moved past the link. None when there is no link there.
inline std::optional<ParsedLink> parseLinkAt(const QString &markdown, qsizetype &position)
{
    qsizetype i = position;
    if (i >= markdown.size() || markdown.at(i) != QLatin1Char('['))
        return std::nullopt;
    ++i;
    ParsedLink link;
    int depth = 1;
    while (i < markdown.size()) {
        const QChar c = markdown.at(i);
        if (c == QLatin1Char('\\') && i + 1 < markdown.size()
            && detail::isAsciiPunctuation(markdown.at(i + 1))) {
            link.text += markdown.at(i + 1);
            i += 2;
            continue;
        }
        // Code spans, autolinks and raw HTML would take precedence over the link.
        if (c == QLatin1Char('`') || c == QLatin1Char('<'))
            return std::nullopt;
        if (c == QLatin1Char('['))
            ++depth;
        if (c == QLatin1Char(']') && --depth == 0)
            break;
        link.text += c;
        ++i;
    }
    if (i >= markdown.size() || i + 1 >= markdown.size() || markdown.at(i + 1) != QLatin1Char('('))
        return std::nullopt;
    i += 2;
    int parens = 1;
    while (i < markdown.size()) {
        const QChar c = markdown.at(i);
        if (c.unicode() <= 0x20 || c.isSpace())
            return std::nullopt;
        if (c == QLatin1Char('\\') && i + 1 < markdown.size()
            && detail::isAsciiPunctuation(markdown.at(i + 1))) {
            link.destination += markdown.at(i + 1);
            i += 2;
            continue;
        }
        if (c == QLatin1Char('('))
            ++parens;
        if (c == QLatin1Char(')') && --parens == 0)
            break;
        link.destination += c;
        ++i;
    }
    if (i >= markdown.size())
        return std::nullopt;
    position = i + 1;
    return link;
}

// The link that makes up the whole of `markdown`, none otherwise.
inline std::optional<ParsedLink> parseWholeLink(const QString &markdown)
{
    qsizetype position = 0;
    auto link = parseLinkAt(markdown, position);
    if (!link || position != markdown.size())
        return std::nullopt;
    return link;
}

} // namespace tovra::testing
