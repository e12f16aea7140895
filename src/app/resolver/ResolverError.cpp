#include "app/resolver/ResolverError.h"

namespace tovra {

ResolverError::ResolverError(Kind kind, QString description)
    : TovraError(std::move(description))
    , m_kind(kind)
{
}

ResolverError ResolverError::resolverUnavailable()
{
    return { Kind::resolverUnavailable,
        QStringLiteral("The Obsidian resolver is not available in this version.") };
}

ResolverError ResolverError::unsupportedRequest(ResolverRequestType type)
{
    return { Kind::unsupportedRequest,
        QStringLiteral("The request type \"%1\" is not supported in this version.").arg(enumName(type)) };
}

QString ResolverError::code(Kind kind)
{
    switch (kind) {
    case Kind::resolverUnavailable:
        return QStringLiteral("resolver_unavailable");
    case Kind::unsupportedRequest:
        return QStringLiteral("unsupported_request");
    }
    return QStringLiteral("unsupported_request");
}

} // namespace tovra
