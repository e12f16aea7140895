#include "app/data/UserFacingError.h"
#include "app/data/LocalStoreError.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/TovraLedgerError.h"

#include <QStringList>

#include <cerrno>
#include <stdexcept>

#include <gtest/gtest.h>

namespace tovra::app {
namespace {

bool startsInChinese(const QString &text)
{
    return !text.isEmpty() && text.front().script() == QChar::Script_Han;
}

// A user reads Chinese first; the path and the errno stay after it for
// whoever helps them.
TEST(UserFacingErrorTest, CoreErrorsAreToldInChineseWithTheirDetailAfter)
{
    const QString lock = QStringLiteral("/home/user/.local/share/Tovra/lock");
    const QString ledger = QStringLiteral("/home/user/.local/share/Tovra/ledger.json.enc");
    const struct {
        std::exception_ptr error;
        QStringList kept;
    } cases[] = {
        { std::make_exception_ptr(
              TovraLedgerError::fileSystemFailure(QStringLiteral("open the lock file"), lock, EACCES)),
            { lock, QStringLiteral("errno %1").arg(EACCES) } },
        { std::make_exception_ptr(
              TovraLedgerError::corrupted(ledger, QStringLiteral("unexpected end of data"))),
            { ledger, QStringLiteral("unexpected end of data") } },
        { std::make_exception_ptr(TovraLedgerError::undecryptable(ledger)), { ledger } },
        { std::make_exception_ptr(TovraLedgerError::readOnly(ledger)), { ledger } },
        { std::make_exception_ptr(TovraCryptoError(
              TovraCryptoError::Kind::keyStoreUnavailable, QStringLiteral("no Secret Service"))),
            { QStringLiteral("no Secret Service") } },
        { std::make_exception_ptr(std::runtime_error("bad state")), { QStringLiteral("bad state") } },
    };
    for (const auto &c : cases) {
        const QString told = userFacingDescription(c.error);
        SCOPED_TRACE(told.toStdString());
        EXPECT_TRUE(startsInChinese(told));
        for (const QString &detail : c.kept)
            EXPECT_TRUE(told.contains(detail));
        EXPECT_GT(told.indexOf(c.kept.first()), told.indexOf(QStringLiteral("（")));
    }
}

// The app's own errors are Chinese already and stay as they are.
TEST(UserFacingErrorTest, TheAppsOwnErrorsAreLeftAsTheyAre)
{
    const LocalStoreError error = LocalStoreError::ledgerUnavailable(QStringLiteral("账本文件已损坏。"));
    EXPECT_EQ(userFacingDescription(std::make_exception_ptr(error)), error.localizedDescription());
}

} // namespace
} // namespace tovra::app
