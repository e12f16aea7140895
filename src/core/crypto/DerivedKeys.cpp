#include "core/crypto/DerivedKeys.h"

#include "core/crypto/CryptoPrimitives.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/crypto/TovraKeyProviding.h"

namespace tovra {

DerivedKeys DerivedKeys::derive(QByteArrayView masterKey)
{
    if (masterKey.size() != kMasterKeyLength)
        throw TovraCryptoError(TovraCryptoError::Kind::invalidKeyLength, QString::number(masterKey.size()));
    const auto expand = [masterKey](const char *label) {
        return CryptoPrimitives::hkdfSha256(
            masterKey, {}, QByteArrayView(label), CryptoPrimitives::kAesKeyLength);
    };
    return DerivedKeys { expand(kLedgerEnvelopeLabel), expand(kContentFingerprintLabel) };
}

} // namespace tovra
