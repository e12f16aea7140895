#pragma once

#include "core/records/TovraError.h"

#include <QString>

namespace tovra {

// Every failure of the crypto layer and of the key sources. Descriptions never
// contain key material: the payload is at most a number, the name of a key
// source or a message from the key store.
class TovraCryptoError : public TovraError {
public:
    enum class Kind {
        authenticationFailed,
        truncatedEnvelope,
        unrecognizedEnvelope,
        unsupportedEnvelopeVersion,
        invalidKeyLength,
        malformedMasterKey,
        testMasterKeyMissing,
        testModeNotEnabled,
        keyStoreUnavailable,
        keyStoreLocked,
        randomGeneratorFailure,
        primitiveFailure,
    };

    // `detail` is the payload of the kinds whose description names something:
    // the version number, the key length, the key source, the key store's
    // message or the failed operation.
    explicit TovraCryptoError(Kind kind, QString detail = {});

    Kind kind() const noexcept { return m_kind; }
    const QString &detail() const noexcept { return m_detail; }

    static QString describe(Kind kind, const QString &detail);

private:
    Kind m_kind;
    QString m_detail;
};

} // namespace tovra
