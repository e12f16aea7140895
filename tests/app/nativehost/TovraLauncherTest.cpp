#include "app/nativehost/TovraLauncher.h"

#include <gtest/gtest.h>

using tovra::TovraLauncher;

namespace {

QProcessEnvironment environmentWithHostMode(const QString &value)
{
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("TOVRA_NATIVE_HOST_MODE"), value);
    return environment;
}

} // namespace

TEST(TovraLauncher, TheEnvironmentVariableSelectsHostModeOnlyWhenItIsOne)
{
    const QStringList plain { QStringLiteral("/usr/bin/tovra") };
    EXPECT_TRUE(TovraLauncher::isNativeHostInvocation(plain, environmentWithHostMode("1")));
    for (const QString value : { "0", "true", "yes", " 1", "" }) {
        EXPECT_FALSE(TovraLauncher::isNativeHostInvocation(plain, environmentWithHostMode(value)))
            << value.toStdString();
    }
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation(plain, QProcessEnvironment()));
}

TEST(TovraLauncher, AChromeExtensionOriginAfterTheProgramPathSelectsHostMode)
{
    const QProcessEnvironment none;
    EXPECT_TRUE(TovraLauncher::isNativeHostInvocation(
        { "/usr/bin/tovra", "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" }, none));
    // Chrome may put an option of its own before the origin.
    EXPECT_TRUE(TovraLauncher::isNativeHostInvocation(
        { "/usr/bin/tovra", "--parent-window=0", "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" },
        none));

    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({ "chrome-extension://x/" }, none))
        << "the program path itself is not an argument";
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({ "/usr/bin/tovra", "Chrome-Extension://x/" }, none));
    EXPECT_FALSE(
        TovraLauncher::isNativeHostInvocation({ "/usr/bin/tovra", "--open=chrome-extension://x/" }, none));
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({ "/usr/bin/tovra", "tovra://open" }, none));
}

TEST(TovraLauncher, TheNativeHostExecutableNameSelectsHostMode)
{
    const QProcessEnvironment none;
    EXPECT_TRUE(TovraLauncher::isNativeHostInvocation({ "/opt/tovra/bin/TovraNativeHost" }, none));
    EXPECT_TRUE(TovraLauncher::isNativeHostInvocation({ "TovraNativeHost" }, none));
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({ "/opt/tovra/bin/tovranativehost" }, none));
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({ "/opt/tovra/bin/TovraNativeHost.sh" }, none));
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({ "/opt/TovraNativeHost/bin/tovra" }, none));
    EXPECT_FALSE(TovraLauncher::isNativeHostInvocation({}, none));
}
