#include "core/crypto/TovraCryptoError.h"

namespace tovra {

TovraCryptoError::TovraCryptoError(Kind kind, QString detail)
    : TovraError(describe(kind, detail))
    , m_kind(kind)
    , m_detail(std::move(detail))
{
}

QString TovraCryptoError::describe(Kind kind, const QString &detail)
{
    switch (kind) {
    case Kind::authenticationFailed:
        return QStringLiteral("The encrypted data could not be opened: the key is wrong or the data has been "
                              "altered.");
    case Kind::truncatedEnvelope:
        return QStringLiteral("The encrypted data is truncated.");
    case Kind::unrecognizedEnvelope:
        return QStringLiteral("The data is not a Tovra encrypted envelope.");
    case Kind::unsupportedEnvelopeVersion:
        return QStringLiteral(
            "The encrypted data uses envelope format version %1, which this version of Tovra "
            "cannot read.")
            .arg(detail);
    case Kind::invalidKeyLength:
        return QStringLiteral("An encryption key must be 32 bytes long; this one is %1 bytes.").arg(detail);
    case Kind::malformedMasterKey:
        return QStringLiteral("The master key from %1 is not a valid 32-byte key.").arg(detail);
    case Kind::testMasterKeyMissing:
        return QStringLiteral("TOVRA_TESTING is 1 but TOVRA_TEST_MASTER_KEY_HEX is not set.");
    case Kind::testModeNotEnabled:
        return QStringLiteral("The test master key is only used when TOVRA_TESTING is 1.");
    case Kind::keyStoreUnavailable:
        return QStringLiteral("The keyring (Secret Service) is not available: %1").arg(detail);
    case Kind::keyStoreLocked:
        return QStringLiteral(
            "The keyring that holds the Tovra master key is locked. Unlock it and try again.");
    case Kind::randomGeneratorFailure:
        return QStringLiteral("The system's secure random generator failed.");
    case Kind::primitiveFailure:
        return QStringLiteral("The cryptographic library failed during %1.").arg(detail);
    }
    return QStringLiteral("Unknown crypto error.");
}

} // namespace tovra
