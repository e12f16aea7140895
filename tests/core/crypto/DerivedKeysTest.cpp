#include "core/crypto/DerivedKeys.h"

#include <gtest/gtest.h>

using namespace tovra;

// Pinned values: a change of label, salt or algorithm would make every existing
// ledger and fingerprint unreadable, so it must show up here first.
TEST(DerivedKeysTest, DerivesThePinnedKeysFromTheMasterKey)
{
    QByteArray master(32, Qt::Uninitialized);
    for (int index = 0; index < 32; ++index)
        master[index] = char(index);
    const DerivedKeys keys = DerivedKeys::derive(master);
    EXPECT_EQ(
        keys.ledgerEnvelopeKey.toHex(), "b336617dbd42b674da96dde691668f0451074c253edee895f1c7bf82bcd5bfc8");
    EXPECT_EQ(keys.contentFingerprintKey.toHex(),
        "18f2e08ec82e62d3d9525ba643e52888561fec730f58b0cea90fbf1dcf03751d");

    master[0] = '\x01';
    const DerivedKeys other = DerivedKeys::derive(master);
    EXPECT_NE(other.ledgerEnvelopeKey, keys.ledgerEnvelopeKey);
    EXPECT_NE(other.contentFingerprintKey, keys.contentFingerprintKey);
}
