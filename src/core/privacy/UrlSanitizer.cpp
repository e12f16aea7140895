#include "core/privacy/UrlSanitizer.h"

#include <QSet>
#include <QStringList>
#include <QUrl>

namespace tovra {

namespace {

// Parses an address this program may keep: http or https with a host.
std::optional<QUrl> parseWebUrl(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    QUrl url(trimmed, QUrl::TolerantMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        return std::nullopt;
    }
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (host.isEmpty()) {
        return std::nullopt;
    }
    url.setScheme(scheme);
    // The host is written back in the encoded form it was read in: read
    // decoded, the "%25" of an IPv6 zone would be escaped again on every pass.
    url.setHost(host, QUrl::TolerantMode);
    if (!url.isValid()) {
        return std::nullopt;
    }
    return url;
}

QString withoutTrackingParameters(const QString &encodedQuery)
{
    QStringList kept;
    for (const QString &piece : encodedQuery.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
        const QString encodedName = piece.section(QLatin1Char('='), 0, 0);
        const QString name = QUrl::fromPercentEncoding(encodedName.toUtf8());
        if (!UrlSanitizer::isTrackingParameter(name)) {
            kept.append(piece);
        }
    }
    return kept.join(QLatin1Char('&'));
}

} // namespace

std::optional<QString> UrlSanitizer::sanitize(const QString &text)
{
    std::optional<QUrl> url = parseWebUrl(text);
    if (!url) {
        return std::nullopt;
    }
    url->setUserInfo(QString());
    url->setFragment(QString());
    if (url->hasQuery()) {
        const QString query = withoutTrackingParameters(url->query(QUrl::FullyEncoded));
        url->setQuery(query.isEmpty() ? QString() : query, QUrl::TolerantMode);
    }
    if (!url->isValid()) {
        return std::nullopt;
    }
    return url->toString(QUrl::FullyEncoded);
}

std::optional<QString> UrlSanitizer::host(const QString &text)
{
    const std::optional<QUrl> url = parseWebUrl(text);
    if (!url) {
        return std::nullopt;
    }
    return url->host(QUrl::FullyEncoded);
}

std::optional<QString> UrlSanitizer::normalizedHost(const QString &name)
{
    QUrl url;
    url.setHost(name.trimmed(), QUrl::TolerantMode);
    const QString host = url.host(QUrl::FullyEncoded).toLower();
    if (!url.isValid() || host.isEmpty()) {
        return std::nullopt;
    }
    if (host.contains(QLatin1Char(':'))) {
        return host;
    }
    // The address parser decodes "xn--" labels only under top-level domains
    // it trusts, and a label it decodes may come back encoded differently
    // ("xn--br" as "xn--bra"); decoding and encoding every label gives each
    // name one spelling, whatever its top-level domain or trailing dot.
    const QByteArray ace
        = QUrl::toAce(QUrl::fromAce(host.toLatin1(), QUrl::IgnoreIDNWhitelist), QUrl::IgnoreIDNWhitelist);
    return ace.isEmpty() ? host : QString::fromLatin1(ace);
}

bool UrlSanitizer::isTrackingParameter(const QString &name)
{
    static const QSet<QString> trackingNames {
        QStringLiteral("fbclid"),
        QStringLiteral("gclid"),
        QStringLiteral("gclsrc"),
        QStringLiteral("dclid"),
        QStringLiteral("gbraid"),
        QStringLiteral("wbraid"),
        QStringLiteral("msclkid"),
        QStringLiteral("mc_cid"),
        QStringLiteral("mc_eid"),
        QStringLiteral("igshid"),
        QStringLiteral("_ga"),
        QStringLiteral("_gl"),
        QStringLiteral("yclid"),
        QStringLiteral("ref_src"),
        QStringLiteral("twclid"),
        QStringLiteral("ttclid"),
        QStringLiteral("li_fat_id"),
        QStringLiteral("_hsenc"),
        QStringLiteral("_hsmi"),
        QStringLiteral("mkt_tok"),
        QStringLiteral("oly_anon_id"),
        QStringLiteral("oly_enc_id"),
        QStringLiteral("vero_id"),
        QStringLiteral("wickedid"),
    };
    const QString lowered = name.toLower();
    return lowered.startsWith(QLatin1String("utm_")) || trackingNames.contains(lowered);
}

} // namespace tovra
