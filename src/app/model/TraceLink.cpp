#include "app/model/TraceLink.h"

#include <QRegularExpression>

namespace tovra::app {

namespace {

bool isCanonicalUuid(const QString &text)
{
    static const QRegularExpression canonical(
        QStringLiteral("\\A[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}\\z"));
    return canonical.match(text).hasMatch();
}

} // namespace

TraceLink TraceLink::parse(const QUrl &url)
{
    if (url.scheme().toLower() != QLatin1String("tovra") || url.host().toLower() != QLatin1String("trace"))
        return { std::nullopt, traceLinkMessages::unsupported };
    // The first component after the root; anything further is ignored.
    const QString identifier
        = url.path(QUrl::FullyDecoded).split(QLatin1Char('/'), Qt::SkipEmptyParts).value(0);
    if (!isCanonicalUuid(identifier))
        return { std::nullopt, traceLinkMessages::invalidIdentifier };
    return { QUuid::fromString(identifier), QString() };
}

} // namespace tovra::app
