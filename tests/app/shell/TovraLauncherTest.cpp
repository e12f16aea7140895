#include "app/shell/TovraLauncher.h"

#include <gtest/gtest.h>

using tovra::TovraLauncher;

TEST(TovraLauncher, HostModeIsSelectedByTheVariableTheOriginArgumentOrTheHostName)
{
    const QString origin = QStringLiteral("chrome-extension://abcdefghijklmnopabcdefghijklmnop/");
    const struct {
        QStringList arguments;
        std::optional<QString> hostModeVariable;
        bool isHost;
    } cases[] = {
        { { "/usr/bin/tovra" }, "1", true },
        { { "/usr/bin/tovra" }, "0", false },
        { { "/usr/bin/tovra" }, "true", false },
        { { "/usr/bin/tovra" }, " 1", false },
        { { "/usr/bin/tovra" }, "", false },
        { { "/usr/bin/tovra" }, std::nullopt, false },
        { { "/usr/bin/tovra", origin }, std::nullopt, true },
        // Chrome may put an option of its own before the origin.
        { { "/usr/bin/tovra", "--parent-window=0", origin }, std::nullopt, true },
        // The program path itself is not an argument.
        { { origin }, std::nullopt, false },
        { { "/usr/bin/tovra", "Chrome-Extension://x/" }, std::nullopt, false },
        { { "/usr/bin/tovra", "--open=chrome-extension://x/" }, std::nullopt, false },
        { { "/usr/bin/tovra", "tovra://open" }, std::nullopt, false },
        { { "/opt/tovra/bin/TovraNativeHost" }, std::nullopt, true },
        { { "TovraNativeHost" }, std::nullopt, true },
        { { "/opt/tovra/bin/tovranativehost" }, std::nullopt, false },
        { { "/opt/tovra/bin/TovraNativeHost.sh" }, std::nullopt, false },
        { { "/opt/TovraNativeHost/bin/tovra" }, std::nullopt, false },
        { {}, std::nullopt, false },
    };
    for (const auto &testCase : cases) {
        QProcessEnvironment environment;
        if (testCase.hostModeVariable) {
            environment.insert(QStringLiteral("TOVRA_NATIVE_HOST_MODE"), *testCase.hostModeVariable);
        }
        EXPECT_EQ(TovraLauncher::isNativeHostInvocation(testCase.arguments, environment), testCase.isHost)
            << testCase.arguments.join(' ').toStdString() << " / "
            << testCase.hostModeVariable.value_or("-").toStdString();
    }
}
