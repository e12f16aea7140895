#include "core/privacy/SanitizedUrlForm.h"

#include "core/privacy/UrlSanitizer.h"

#include <QUrl>

namespace tovra {

namespace {

constexpr qsizetype maximumLabelLength = 63;
constexpr qsizetype maximumHostLength = 253;

bool isLowerAlpha(QChar c)
{
    return c >= u'a' && c <= u'z';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isAlphaNumeric(QChar c)
{
    return isLowerAlpha(c) || isDigit(c) || (c >= u'A' && c <= u'Z');
}

int hexValue(QChar c)
{
    if (isDigit(c))
        return c.unicode() - u'0';
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1; // lower-case digits are written in upper case by the parser
}

bool isUnreserved(char16_t c)
{
    return isAlphaNumeric(QChar(c)) || c == u'-' || c == u'.' || c == u'_' || c == u'~';
}

// A host label the address parser keeps as written: lower-case letters,
// digits and inner hyphens, never the "ab--" of an encoded international
// label, whose spelling the parser may change.
bool isPlainLabel(QStringView label)
{
    if (label.isEmpty() || label.size() > maximumLabelLength || label.front() == u'-'
        || label.back() == u'-') {
        return false;
    }
    if (label.size() >= 4 && label[2] == u'-' && label[3] == u'-')
        return false;
    for (QChar c : label) {
        if (!isLowerAlpha(c) && !isDigit(c) && c != u'-')
            return false;
    }
    return true;
}

// A host of plain labels whose last one begins with a letter, so that it is
// never read as an IPv4 address in another spelling.
bool isPlainHost(QStringView host)
{
    if (host.isEmpty() || host.size() > maximumHostLength)
        return false;
    qsizetype start = 0;
    for (;;) {
        const qsizetype dot = host.indexOf(u'.', start);
        const QStringView label = host.mid(start, dot < 0 ? host.size() - start : dot - start);
        if (!isPlainLabel(label))
            return false;
        if (dot < 0)
            return isLowerAlpha(label.front());
        start = dot + 1;
    }
}

// A character of a path or query piece that the parser writes back as it is:
// unreserved, a sub-delimiter, ':', '@', '/', or an escape in upper case of
// anything but an unreserved character (those it would decode).
qsizetype keptLength(QStringView text, qsizetype at)
{
    const char16_t c = text[at].unicode();
    if (isUnreserved(c))
        return 1;
    switch (c) {
    case u'!':
    case u'$':
    case u'&':
    case u'\'':
    case u'(':
    case u')':
    case u'*':
    case u'+':
    case u',':
    case u';':
    case u'=':
    case u':':
    case u'@':
    case u'/':
        return 1;
    case u'%': {
        if (at + 2 >= text.size())
            return 0;
        const int high = hexValue(text[at + 1]);
        const int low = hexValue(text[at + 2]);
        if (high < 0 || low < 0 || isUnreserved(char16_t(high * 16 + low)))
            return 0;
        return 3;
    }
    default:
        return 0;
    }
}

bool isKeptText(QStringView text)
{
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = keptLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// A path whose every segment is kept as written, "." and ".." left out.
bool isKeptPath(QStringView path)
{
    for (QStringView segment : path.tokenize(u'/')) {
        if (segment == u"." || segment == u"..")
            return false;
    }
    return isKeptText(path);
}

// A query the sanitiser leaves alone: not empty, no empty piece, no second
// '?', and no tracking parameter.
bool isKeptQuery(QStringView query)
{
    if (query.isEmpty() || !isKeptText(query))
        return false;
    for (QStringView piece : query.tokenize(u'&')) {
        if (piece.isEmpty())
            return false;
        const QStringView name = piece.left(piece.indexOf(u'='));
        const QString decoded
            = name.contains(u'%') ? QUrl::fromPercentEncoding(name.toUtf8()) : name.toString();
        if (UrlSanitizer::isTrackingParameter(decoded))
            return false;
    }
    return true;
}

} // namespace

std::optional<QString> SanitizedUrlForm::host(QStringView url)
{
    qsizetype at = 0;
    if (url.startsWith(u"https://"))
        at = 8;
    else if (url.startsWith(u"http://"))
        at = 7;
    else
        return std::nullopt;

    const qsizetype pathStart = [&] {
        for (qsizetype index = at; index < url.size(); ++index) {
            if (url[index] == u'/' || url[index] == u'?')
                return index;
        }
        return url.size();
    }();
    const QStringView host = url.mid(at, pathStart - at);
    if (!isPlainHost(host))
        return std::nullopt;

    const qsizetype queryStart = url.indexOf(u'?', pathStart);
    const QStringView path = url.mid(pathStart, (queryStart < 0 ? url.size() : queryStart) - pathStart);
    if (!isKeptPath(path))
        return std::nullopt;
    if (queryStart >= 0 && !isKeptQuery(url.mid(queryStart + 1)))
        return std::nullopt;
    return host.toString();
}

} // namespace tovra
