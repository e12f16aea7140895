#include "app/data/UserFacingError.h"
#include "app/data/LocalStoreError.h"
#include "core/crypto/TovraCryptoError.h"
#include "core/ledger/TovraLedgerError.h"

#include "app/LogCapture.h"

#include <QRegularExpression>
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

// Whatever is shown is Chinese; only the path and the errno may follow it,
// for whoever helps the user. The core's English description is written to
// the log line, where it belongs.
TEST(UserFacingErrorTest, CoreErrorsAreToldInChineseWithTheirEnglishOnlyInTheLog)
{
    const QString lock = QStringLiteral("/home/user/.local/share/Tovra/lock");
    const QString ledger = QStringLiteral("/home/user/.local/share/Tovra/ledger.json.enc");
    const struct {
        std::exception_ptr error;
        QStringList kept;
        QString logged;
    } cases[] = {
        { std::make_exception_ptr(
              TovraLedgerError::fileSystemFailure(QStringLiteral("open the lock file"), lock, EACCES)),
            { lock, QStringLiteral("errno %1").arg(EACCES) }, QStringLiteral("open the lock file") },
        { std::make_exception_ptr(
              TovraLedgerError::corrupted(ledger, QStringLiteral("unexpected end of data"))),
            { ledger }, QStringLiteral("unexpected end of data") },
        { std::make_exception_ptr(TovraLedgerError::undecryptable(ledger)), { ledger },
            QStringLiteral("cannot be decrypted") },
        { std::make_exception_ptr(TovraLedgerError::readOnly(ledger)),
            { ledger, QStringLiteral("errno %1").arg(EROFS) }, QStringLiteral("read-only file system") },
        { std::make_exception_ptr(TovraCryptoError(TovraCryptoError::Kind::keyStoreUnavailable,
              QStringLiteral("The keyring (Secret Service) is gone"))),
            {}, QStringLiteral("The keyring (Secret Service) is gone") },
        { std::make_exception_ptr(std::runtime_error("bad state")), {}, QStringLiteral("bad state") },
    };
    for (const auto &c : cases) {
        const testing::LogCapture log;
        const QString told = userFacingDescription(c.error);
        SCOPED_TRACE(told.toStdString());
        EXPECT_TRUE(startsInChinese(told));
        QString rest = told;
        for (const QString &detail : c.kept) {
            EXPECT_GT(told.indexOf(detail), told.indexOf(QStringLiteral("（")));
            rest.remove(detail);
        }
        EXPECT_FALSE(rest.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))));
        EXPECT_TRUE(log.lines().join(QLatin1Char('\n')).contains(c.logged));
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
