#include "core/records/TovraJsonError.h"

namespace tovra {

namespace {

QString quotedPath(const QString &keyPath)
{
    return keyPath.isEmpty() ? QStringLiteral("the top level") : QStringLiteral("\"%1\"").arg(keyPath);
}

} // namespace

TovraJsonError::TovraJsonError(Kind kind, QString keyPath, QString description, QStringList unknownKeys)
    : TovraError(std::move(description))
    , m_kind(kind)
    , m_keyPath(std::move(keyPath))
    , m_unknownKeys(std::move(unknownKeys))
{
}

TovraJsonError TovraJsonError::invalidJson(const QString &parserMessage, qsizetype offset)
{
    return TovraJsonError(Kind::invalidJson, {},
        QStringLiteral("The data is not valid JSON: %1 at offset %2.").arg(parserMessage).arg(offset));
}

TovraJsonError TovraJsonError::missingKey(const QString &keyPath)
{
    return TovraJsonError(
        Kind::missingKey, keyPath, QStringLiteral("Missing required key %1.").arg(quotedPath(keyPath)));
}

TovraJsonError TovraJsonError::typeMismatch(
    const QString &keyPath, const QString &expected, const QString &found)
{
    return TovraJsonError(Kind::typeMismatch, keyPath,
        QStringLiteral("Expected %1 at %2 but found %3.").arg(expected, quotedPath(keyPath), found));
}

TovraJsonError TovraJsonError::invalidValue(const QString &keyPath, const QString &problem)
{
    return TovraJsonError(Kind::invalidValue, keyPath,
        QStringLiteral("Invalid value at %1: %2.").arg(quotedPath(keyPath), problem));
}

TovraJsonError TovraJsonError::unknownKeys(const QString &keyPath, const QStringList &unknownKeys)
{
    return TovraJsonError(Kind::unknownKeys, keyPath,
        QStringLiteral("Unknown keys: ") + unknownKeys.join(QStringLiteral(", ")), unknownKeys);
}

} // namespace tovra
