#include "core/nativehost/NativeMessagingError.h"

namespace tovra {

NativeMessagingError::NativeMessagingError(Kind kind, QString description)
    : TovraError(std::move(description))
    , m_kind(kind)
{
}

NativeMessagingError NativeMessagingError::malformedRequest(const QString &detail)
{
    return { Kind::malformedRequest, detail };
}

NativeMessagingError NativeMessagingError::unsupportedSchemaVersion(qint64 version)
{
    return { Kind::unsupportedSchemaVersion,
        QStringLiteral("Unsupported schema version %1; this host speaks version 1.").arg(version) };
}

NativeMessagingError NativeMessagingError::messageTooLarge(quint64 byteCount)
{
    return { Kind::messageTooLarge,
        QStringLiteral("Message of %1 bytes exceeds the limit of 1048576 bytes.").arg(byteCount) };
}

NativeMessagingError NativeMessagingError::ledgerUnavailable(const QString &detail)
{
    return { Kind::ledgerUnavailable, QStringLiteral("The ledger is unavailable: %1").arg(detail) };
}

NativeMessagingError NativeMessagingError::internalError(const QString &detail)
{
    return { Kind::internalError, QStringLiteral("Internal error: %1").arg(detail) };
}

QString NativeMessagingError::code(Kind kind)
{
    switch (kind) {
    case Kind::malformedRequest:
        return QStringLiteral("malformed_request");
    case Kind::unsupportedSchemaVersion:
        return QStringLiteral("unsupported_schema_version");
    case Kind::messageTooLarge:
        return QStringLiteral("message_too_large");
    case Kind::ledgerUnavailable:
        return QStringLiteral("ledger_unavailable");
    case Kind::internalError:
        return QStringLiteral("internal_error");
    }
    return QStringLiteral("internal_error");
}

} // namespace tovra
