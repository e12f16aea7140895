#include "HostProcess.h"

#include "app/nativehost/ChromeNativeHostManifestInstaller.h"
#include "app/shell/TovraLauncher.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using tovra::ChromeNativeHostManifestInstaller;
using tovra::testing::HostProcess;

// `cmake --install` into ~/.local of a throw-away home: the program and its
// app module land in a stable place, the URL scheme is registered, the
// program runs as the host from there, and the manifest installed for it
// says so.
TEST(InstallTarget, InstallsARunnableHostAndTheDesktopEntryIntoAStablePrefix)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString prefix = home.filePath(".local");

    QProcess install;
    install.start(QStringLiteral(TOVRA_CMAKE_COMMAND),
        { "--install", QStringLiteral(TOVRA_BUILD_DIR), "--prefix", prefix });
    ASSERT_TRUE(install.waitForFinished(120000));
    ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().constData();

    const QString executable = prefix + "/bin/tovra";
    ASSERT_TRUE(QFileInfo(executable).isExecutable());
    // The app itself is the module the installed launcher looks for.
    EXPECT_TRUE(QFileInfo(tovra::TovraLauncher::appModulePath(executable)).isFile());

    QFile entry(prefix + "/share/applications/tovra.desktop");
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray desktopEntry = entry.readAll();
    EXPECT_TRUE(desktopEntry.startsWith("[Desktop Entry]\n"));
    for (const char *line :
        { "\nType=Application\n", "\nExec=tovra %u\n", "\nMimeType=x-scheme-handler/tovra;\n" }) {
        EXPECT_TRUE(desktopEntry.contains(line)) << line;
    }

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.remove("XDG_CONFIG_HOME");
    environment.insert("TOVRA_TESTING", "1");
    environment.insert("TOVRA_TEST_MASTER_KEY_HEX", QString(64, '1'));
    environment.insert("TOVRA_LEDGER_PATH", home.filePath("ledger.json.enc"));
    HostProcess host(executable, { "chrome-extension://abcdefghijklmnopabcdefghijklmnop/" }, environment);
    host.send(
        R"({"schemaVersion":1,"type":"get_status","requestId":"9d8c7b6a-5f4e-4d3c-8b2a-190817263544"})");
    EXPECT_EQ(host.finish(), 0);
    EXPECT_TRUE(host.unreadOutput().contains(R"("type":"status")"));

    ChromeNativeHostManifestInstaller installer(executable, environment);
    const auto installation = installer.install("abcdefghijklmnopabcdefghijklmnop");
    EXPECT_TRUE(installation.isStableApplicationLocation);
    EXPECT_EQ(installation.executableURL.toLocalFile(), QFileInfo(executable).canonicalFilePath());
}
