#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace tovra {

// The working keys, each derived from the 32-byte master key with HKDF-SHA256
// (empty salt) and a label of its own as `info`, so that no key serves two
// purposes and a key for one use reveals nothing about the other. Changing a
// label changes the key: the ledger file and every stored fingerprint depend
// on them, so a new label needs a new version suffix and a migration.
struct DerivedKeys {
    static constexpr char kLedgerEnvelopeLabel[] = "tovra.ledger.envelope.v1";
    static constexpr char kContentFingerprintLabel[] = "tovra.content-fingerprint.v1";

    QByteArray ledgerEnvelopeKey;
    QByteArray contentFingerprintKey;

    // Throws TovraCryptoError (invalidKeyLength) unless the master key is 32 bytes.
    static DerivedKeys derive(QByteArrayView masterKey);

    bool operator==(const DerivedKeys &) const = default;
};

} // namespace tovra
