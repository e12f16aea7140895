#include "core/crypto/EnvironmentTovraKeyProvider.h"

#include "core/crypto/MasterKeyHex.h"
#include "core/crypto/TovraCryptoError.h"

namespace tovra {

EnvironmentTovraKeyProvider::EnvironmentTovraKeyProvider(QProcessEnvironment environment)
    : m_environment(std::move(environment))
{
}

bool EnvironmentTovraKeyProvider::isTesting(const QProcessEnvironment &environment)
{
    return environment.value(QString::fromLatin1(kTestingVariable)) == QLatin1String("1");
}

QByteArray EnvironmentTovraKeyProvider::masterKey()
{
    using Kind = TovraCryptoError::Kind;
    if (!isTesting(m_environment))
        throw TovraCryptoError(Kind::testModeNotEnabled);
    const QString text = m_environment.value(QString::fromLatin1(kKeyVariable));
    if (text.isEmpty())
        throw TovraCryptoError(Kind::testMasterKeyMissing);
    // Non-Latin-1 characters become '?' here and are refused with the rest.
    if (auto key = decodeMasterKeyHex(text.toLatin1()))
        return *key;
    throw TovraCryptoError(Kind::malformedMasterKey,
        QStringLiteral("%1 (64 hexadecimal digits expected)").arg(QLatin1String(kKeyVariable)));
}

} // namespace tovra
