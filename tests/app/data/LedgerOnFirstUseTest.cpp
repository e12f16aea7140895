#include "app/data/LedgerOnFirstUse.h"
#include "app/data/LocalStoreError.h"
#include "app/data/UserFacingError.h"
#include "core/crypto/FixedTovraKeyProvider.h"
#include "core/ledger/TovraLedger.h"
#include "core/ledger/TovraLedgerError.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

TEST(LedgerOnFirstUseTest, OpensOnceOnFirstUseAndNotBefore)
{
    QTemporaryDir folder;
    int openings = 0;
    LedgerOnFirstUse ledger([&] {
        ++openings;
        FixedTovraKeyProvider keys(QByteArray(32, '\x21'));
        return TovraLedger::live(folder.filePath(QStringLiteral("ledger.json.enc")), keys);
    });
    EXPECT_EQ(openings, 0);
    EXPECT_FALSE(ledger->isPaused());
    ledger.open();
    EXPECT_FALSE(ledger->isPaused());
    EXPECT_EQ(openings, 1);
}

// A failed opening is not tried again: every use fails with its reason.
TEST(LedgerOnFirstUseTest, AFailedOpeningFailsEveryUseWithItsReason)
{
    int openings = 0;
    LedgerOnFirstUse ledger([&]() -> std::unique_ptr<TovraLedger> {
        ++openings;
        throw TovraLedgerError::undecryptable(QStringLiteral("/tmp/ledger.json.enc"));
    });
    // Told as everywhere else in the app: in Chinese, the detail after it.
    const QString reason = userFacingDescription(
        std::make_exception_ptr(TovraLedgerError::undecryptable(QStringLiteral("/tmp/ledger.json.enc"))));
    ledger.open();
    for (int use = 0; use < 2; ++use) {
        try {
            ledger->isPaused();
            FAIL() << "a ledger that could not be opened was used";
        } catch (const LocalStoreError &error) {
            EXPECT_EQ(error.localizedDescription(),
                LocalStoreError::ledgerUnavailable(reason).localizedDescription());
        }
    }
    EXPECT_EQ(openings, 1);
}

} // namespace
} // namespace tovra::app::testing
