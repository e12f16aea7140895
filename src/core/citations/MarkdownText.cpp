#include "core/citations/MarkdownText.h"

#include <QRegularExpression>

namespace tovra::markdown {

namespace {

bool needsEscapeInText(QChar c)
{
    switch (c.unicode()) {
    case u'\\':
    case u'[':
    case u']':
    case u'`':
    case u'<':
    case u'>':
        return true;
    default:
        return false;
    }
}

bool needsEscapeInLiteral(QChar c)
{
    if (needsEscapeInText(c))
        return true;
    switch (c.unicode()) {
    case u'*':
    case u'_':
    case u'~':
    case u'|':
    case u'&':
    case u'$':
    case u'#':
    case u'=':
        return true;
    default:
        return false;
    }
}

bool needsEncodingInDestination(QChar c)
{
    if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.isSpace())
        return true;
    switch (c.unicode()) {
    case u'(':
    case u')':
    case u'<':
    case u'>':
    case u'\\':
    case u'`':
        return true;
    default:
        return false;
    }
}

void appendPercentEncoded(QString &out, const QString &characters)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    for (char byte : characters.toUtf8()) {
        const auto value = static_cast<unsigned char>(byte);
        out += QLatin1Char('%');
        out += QLatin1Char(hexDigits[value >> 4]);
        out += QLatin1Char(hexDigits[value & 0x0F]);
    }
}

} // namespace

QString escapeText(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (needsEscapeInText(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString escapeLiteral(const QString &text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (QChar c : text) {
        if (needsEscapeInLiteral(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out;
}

QString linkDestination(const QString &url)
{
    QString out;
    out.reserve(url.size() + 8);
    for (qsizetype i = 0; i < url.size(); ++i) {
        const QChar c = url.at(i);
        if (c.isHighSurrogate() && i + 1 < url.size() && url.at(i + 1).isLowSurrogate()) {
            // Astral characters are never whitespace or punctuation that matters here.
            out += c;
            out += url.at(++i);
        } else if (needsEncodingInDestination(c)) {
            appendPercentEncoded(out, QString(c));
        } else {
            out += c;
        }
    }
    return out;
}

QString link(const QString &text, const QString &url)
{
    return QLatin1Char('[') + escapeText(text) + QStringLiteral("](") + linkDestination(url)
        + QLatin1Char(')');
}

QString singleLine(const QString &text)
{
    return text.simplified();
}

QStringList lines(const QString &text)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return text.split(lineBreak);
}

} // namespace tovra::markdown
