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

TEST(TovraPathsTest, LedgerLocationFollowsOverrideTestingAndDataHome)
{
    const QString home = QStringLiteral("/home/ada/.local/share/Tovra/");
    const std::pair<QProcessEnvironment, QString> cases[] = {
        { environment({ { "HOME", "/home/ada" } }), home + QStringLiteral("ledger.json.enc") },
        { environment({ { "HOME", "/home/ada" }, { "XDG_DATA_HOME", "/data/ada/" } }),
            QStringLiteral("/data/ada/Tovra/ledger.json.enc") },
        // A relative data home is ignored, as the base directory rules require.
        { environment({ { "HOME", "/home/ada" }, { "XDG_DATA_HOME", "data" } }),
            home + QStringLiteral("ledger.json.enc") },
        { environment({ { "HOME", "/home/ada" }, { "TOVRA_TESTING", "1" },
              { "TOVRA_LEDGER_PATH", "/tmp/x/../y/ledger.enc" } }),
            QStringLiteral("/tmp/y/ledger.enc") },
        { environment({ { "TOVRA_LEDGER_PATH", "relative/ledger.enc" } }),
            QDir::cleanPath(QDir::currentPath() + QStringLiteral("/relative/ledger.enc")) },
        { environment({ { "HOME", "/home/ada" }, { "TOVRA_TESTING", "1" }, { "TOVRA_LEDGER_PATH", "" } }),
            home + QStringLiteral("Testing/ledger.json.enc") },
        { environment({ { "HOME", "/home/ada" }, { "TOVRA_TESTING", "0" } }),
            home + QStringLiteral("ledger.json.enc") },
    };
    for (const auto &[variables, expected] : cases)
        EXPECT_EQ(TovraPaths::defaultLedgerURL(variables), expected)
            << variables.toStringList().join(u' ').toStdString();
}

TEST(TovraPathsTest, ResolverSocketIsInTheRuntimeFolderAndNothingIsCreated)
{
    const QTemporaryDir home;
    const QString socket
        = TovraPaths::resolverSocketURL(environment({ { "HOME", home.path().toUtf8().constData() } }));
    EXPECT_EQ(socket, home.path() + QStringLiteral("/.local/share/Tovra/runtime/resolver-v1.sock"));
    EXPECT_FALSE(QDir(home.path() + QStringLiteral("/.local")).exists());
}
