#include "core/ledger/TovraPaths.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tovra::TovraPaths;

namespace {

QProcessEnvironment environment(std::initializer_list<std::pair<const char *, const char *>> values)
{
    QProcessEnvironment result;
    for (const auto &[name, value] : values)
        result.insert(QString::fromUtf8(name), QString::fromUtf8(value));
    return result;
}

} // namespace

TEST(TovraPathsTest, LedgerLivesInTheTovraFolderOfTheDataHome)
{
    EXPECT_EQ(TovraPaths::defaultLedgerURL(environment({ { "HOME", "/home/ada" } })),
        QStringLiteral("/home/ada/.local/share/Tovra/ledger.json.enc"));
    EXPECT_EQ(TovraPaths::defaultLedgerURL(
                  environment({ { "HOME", "/home/ada" }, { "XDG_DATA_HOME", "/data/ada/" } })),
        QStringLiteral("/data/ada/Tovra/ledger.json.enc"));
}

TEST(TovraPathsTest, RelativeDataHomeIsIgnoredAsTheBaseDirectoryRulesRequire)
{
    EXPECT_EQ(
        TovraPaths::defaultLedgerURL(environment({ { "HOME", "/home/ada" }, { "XDG_DATA_HOME", "data" } })),
        QStringLiteral("/home/ada/.local/share/Tovra/ledger.json.enc"));
}

TEST(TovraPathsTest, ExplicitLedgerPathWinsOverTestingAndDataHome)
{
    EXPECT_EQ(TovraPaths::defaultLedgerURL(environment({ { "HOME", "/home/ada" }, { "TOVRA_TESTING", "1" },
                  { "TOVRA_LEDGER_PATH", "/tmp/x/../y/ledger.enc" } })),
        QStringLiteral("/tmp/y/ledger.enc"));
    EXPECT_EQ(TovraPaths::defaultLedgerURL(environment({ { "TOVRA_LEDGER_PATH", "relative/ledger.enc" } })),
        QDir::cleanPath(QDir::currentPath() + QStringLiteral("/relative/ledger.enc")));
}

TEST(TovraPathsTest, TestingSelectsASeparateLedgerAndAnEmptyOverrideIsIgnored)
{
    EXPECT_EQ(TovraPaths::defaultLedgerURL(environment(
                  { { "HOME", "/home/ada" }, { "TOVRA_TESTING", "1" }, { "TOVRA_LEDGER_PATH", "" } })),
        QStringLiteral("/home/ada/.local/share/Tovra/Testing/ledger.json.enc"));
    EXPECT_EQ(
        TovraPaths::defaultLedgerURL(environment({ { "HOME", "/home/ada" }, { "TOVRA_TESTING", "0" } })),
        QStringLiteral("/home/ada/.local/share/Tovra/ledger.json.enc"));
}

TEST(TovraPathsTest, ResolverSocketIsInTheRuntimeFolderAndNothingIsCreated)
{
    const QTemporaryDir home;
    const QString socket
        = TovraPaths::resolverSocketURL(environment({ { "HOME", home.path().toUtf8().constData() } }));
    EXPECT_EQ(socket, home.path() + QStringLiteral("/.local/share/Tovra/runtime/resolver-v1.sock"));
    EXPECT_FALSE(QDir(home.path() + QStringLiteral("/.local")).exists());
    EXPECT_TRUE(TovraPaths::resolverSocketURL().endsWith(QStringLiteral("/Tovra/runtime/resolver-v1.sock")));
}
