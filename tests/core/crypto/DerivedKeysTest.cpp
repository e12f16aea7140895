#include "core/crypto/DerivedKeys.h"
#include "core/crypto/CryptoPrimitives.h"

#include "CryptoTestSupport.h"

#include <gtest/gtest.h>

using namespace tovra;
using Kind = TovraCryptoError::Kind;

namespace {

QByteArray sequentialMasterKey()
{
    QByteArray key(32, Qt::Uninitialized);
    for (int index = 0; index < 32; ++index)
        key[index] = char(index);
    return key;
}

} // namespace

// Pinned values: a change of label, salt or algorithm would make every existing
// ledger and fingerprint unreadable, so it must show up here first.
TEST(DerivedKeysTest, DerivesThePinnedKeysFromAKnownMasterKey)
{
    const DerivedKeys keys = DerivedKeys::derive(sequentialMasterKey());
    EXPECT_EQ(
        keys.ledgerEnvelopeKey.toHex(), "b336617dbd42b674da96dde691668f0451074c253edee895f1c7bf82bcd5bfc8");
    EXPECT_EQ(keys.contentFingerprintKey.toHex(),
        "18f2e08ec82e62d3d9525ba643e52888561fec730f58b0cea90fbf1dcf03751d");
}

TEST(DerivedKeysTest, EachUseHasItsOwnKeyAndTheDerivationIsStable)
{
    const QByteArray master = sequentialMasterKey();
    const DerivedKeys keys = DerivedKeys::derive(master);
    EXPECT_EQ(keys.ledgerEnvelopeKey.size(), 32);
    EXPECT_EQ(keys.contentFingerprintKey.size(), 32);
    EXPECT_NE(keys.ledgerEnvelopeKey, keys.contentFingerprintKey);
    EXPECT_NE(keys.ledgerEnvelopeKey, master);
    EXPECT_NE(keys.contentFingerprintKey, master);
    EXPECT_EQ(DerivedKeys::derive(master), keys);
    EXPECT_EQ(keys.ledgerEnvelopeKey,
        CryptoPrimitives::hkdfSha256(master, {}, DerivedKeys::kLedgerEnvelopeLabel, 32));

    QByteArray otherMaster = master;
    otherMaster[0] = '\x01';
    const DerivedKeys other = DerivedKeys::derive(otherMaster);
    EXPECT_NE(other.ledgerEnvelopeKey, keys.ledgerEnvelopeKey);
    EXPECT_NE(other.contentFingerprintKey, keys.contentFingerprintKey);
}

TEST(DerivedKeysTest, RefusesMasterKeysThatAreNot32Bytes)
{
    for (const qsizetype length : { 0, 1, 16, 31, 33, 64 }) {
        EXPECT_EQ(cryptotest::cryptoErrorKind([&] { DerivedKeys::derive(QByteArray(length, '\x05')); }),
            Kind::invalidKeyLength)
            << length;
    }
}
