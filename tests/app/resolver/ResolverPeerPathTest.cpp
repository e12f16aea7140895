#include "app/resolver/ResolverPeerValidator.h"

#include <QDir>

#include <gtest/gtest.h>

namespace tovra {

TEST(ResolverPeerPath, ExecutableBelongsToTheBundleByItsExactLayout)
{
    const QString bundle = QStringLiteral("/Applications/Obsidian.app");
    const QString frameworks = bundle + "/Contents/Frameworks/";
    struct Case {
        QString executable;
        bool accepted;
        QString bundlePath = QStringLiteral("/Applications/Obsidian.app");
    };
    const std::vector<Case> cases {
        { bundle + "/Contents/MacOS/Obsidian", true },
        { bundle + "/Contents/MacOS/Obsidian", true, bundle + "/" },
        // helpers whose bundle and executable names agree
        { frameworks + "Obsidian Helper.app/Contents/MacOS/Obsidian Helper", true },
        { frameworks + "Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper (Renderer)", true },
        { frameworks + "Obsidian Helper (GPU).app/Contents/MacOS/Obsidian Helper (GPU)", true },
        { frameworks + "Obsidian Helper ().app/Contents/MacOS/Obsidian Helper ()", true },
        // both sides are standardised by their text
        { bundle + "/Contents/MacOS/../MacOS/Obsidian", true },
        { bundle + "/./Contents/MacOS/./Obsidian", true },
        { bundle + "/Contents/MacOS/Obsidian", true, "/Applications/Tools/../Obsidian.app" },
        { frameworks + "Obsidian Helper.app/Contents/MacOS/../MacOS/Obsidian Helper", true },
        { "Obsidian.app/Contents/MacOS/Obsidian", true, "Obsidian.app" },
        { QDir::currentPath() + "/Obsidian.app/Contents/MacOS/Obsidian", true, "Obsidian.app" },
        // helper names that differ between bundle and executable
        { frameworks + "Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper (GPU)", false },
        { frameworks + "Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper", false },
        { frameworks + "Obsidian Helper.app/Contents/MacOS/Obsidian Helper (Renderer)", false },
        // a fifth piece, or too few
        { frameworks + "Obsidian Helper.app/Contents/MacOS/Obsidian Helper/extra", false },
        { frameworks + "Obsidian Helper.app/Contents/Resources/MacOS/Obsidian Helper", false },
        { frameworks + "Obsidian Helper.app/Contents/MacOS", false },
        { frameworks + "Obsidian Helper.app", false },
        // doubled slashes are empty pieces
        { frameworks + "/Obsidian Helper.app/Contents/MacOS/Obsidian Helper", false },
        { frameworks + "Obsidian Helper.app//Contents/MacOS/Obsidian Helper", false },
        { frameworks + "Obsidian Helper.app/Contents/MacOS//Obsidian Helper", false },
        { bundle + "/Contents/MacOS//Obsidian", false },
        // no closing parenthesis, or not a helper at all
        { frameworks + "Obsidian Helper (.app/Contents/MacOS/Obsidian Helper (", false },
        { frameworks + "Obsidian Helper (Renderer.app/Contents/MacOS/Obsidian Helper (Renderer", false },
        { frameworks + "Other Helper.app/Contents/MacOS/Other Helper", false },
        { frameworks + "Obsidian Helper Renderer.app/Contents/MacOS/Obsidian Helper Renderer", false },
        { frameworks + "Obsidian Helper/Contents/MacOS/Obsidian Helper", false },
        { frameworks + "Obsidian Helper.bundle/Contents/MacOS/Obsidian Helper", false },
        // case matters
        { frameworks + "obsidian helper.app/Contents/MacOS/obsidian helper", false },
        { frameworks + "Obsidian Helper.app/contents/MacOS/Obsidian Helper", false },
        { frameworks + "Obsidian Helper.app/Contents/macos/Obsidian Helper", false },
        { bundle + "/Contents/MacOS/obsidian", false },
        // outside the given bundle
        { "/Applications/Obsidian Copy.app/Contents/MacOS/Obsidian", false },
        { "/Applications/Obsidian.app.evil/Contents/MacOS/Obsidian", false },
        { bundle + "/Contents/MacOS/Obsidian2", false },
        { bundle + "/Contents/Resources/Obsidian", false },
        { bundle + "/Contents/MacOS/../../../Obsidian Copy.app/Contents/MacOS/Obsidian", false },
        { bundle, false },
        { "/opt/Obsidian/obsidian", false },
        // a macOS bundle is no Linux installation folder
        { bundle + "/Contents/Resources/app.asar", false },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE((testCase.executable + " in " + testCase.bundlePath).toStdString());
        EXPECT_EQ(ResolverPeerValidator::path(testCase.executable, testCase.bundlePath), testCase.accepted);
    }
}

TEST(ResolverPeerPath, LinuxExecutableLiesInsideTheRunningInstallationFolder)
{
    const QString package = QStringLiteral("/opt/Obsidian");
    const QString appImage = QStringLiteral("/tmp/.mount_ObsidiAb12Cd");
    const QString flatpakApps = QStringLiteral("/var/lib/flatpak/app/");
    const QString flatpak = flatpakApps + "md.obsidian.Obsidian/x86_64/stable/0123abcd/files";
    struct Case {
        QString executable;
        QString bundlePath;
        bool accepted;
    };
    const std::vector<Case> cases {
        // the Debian package: the main executable and the Electron helpers beside it
        { package + "/obsidian", package, true },
        { package + "/chrome-sandbox", package, true },
        { package + "/chrome_crashpad_handler", package, true },
        { package + "/resources/app.asar.unpacked/tool", package, true },
        { package + "/obsidian", package + "/", true },
        { package + "/obsidian", "/opt//Obsidian", true },
        { package + "/obsidian", "/opt/Tools/../Obsidian", true },
        { package + "//obsidian", package, true },
        { package + "/./obsidian", package, true },
        // look-alikes of the package folder
        { "/opt/Obsidian-evil/obsidian", package, false },
        { "/opt/ObsidianX/obsidian", package, false },
        { package + "/../Obsidian-evil/obsidian", package, false },
        { package + "//../Obsidian-evil/obsidian", package, false },
        { package + "/resources/../../Slack/slack", package, false },
        { "/opt/Slack/slack", package, false },
        { "/opt/obsidian/obsidian", package, false },
        { "/usr/bin/obsidian", package, false },
        { package, package, false },
        { package + "/", package, false },
        // folders shared with other programs are no installation
        { "/opt/obsidian", "/opt", false },
        { "/opt/Obsidian/obsidian", "/opt/..", false },
        { "/opt/Obsidian/obsidian", "/", false },
        { "/usr/bin/obsidian", "/usr/bin", false },
        { "/home/me/Obsidian/obsidian", "/home/me/Obsidian", false },
        // the AppImage's mount folder
        { appImage + "/obsidian", appImage, true },
        { appImage + "/chrome-sandbox", appImage, true },
        { appImage + "/chrome_crashpad_handler", appImage, true },
        { appImage + "2/obsidian", appImage, false },
        { "/tmp/.mount_ObsidiEvil1/obsidian", appImage, false },
        { appImage + "/../.mount_ObsidiEvil1/obsidian", appImage, false },
        { "/tmp/.mount_Obsidi/obsidian", "/tmp/.mount_Obsidi", false },
        { "/tmp/.mount_SlackXy12Zw/slack", "/tmp/.mount_SlackXy12Zw", false },
        { "/tmp/evil/.mount_ObsidiAb12Cd/obsidian", "/tmp/evil/.mount_ObsidiAb12Cd", false },
        { "/tmp/obsidian", "/tmp", false },
        // the Flatpak's deployed files, whichever folder holds the main executable
        { flatpak + "/obsidian", flatpak, true },
        { flatpak + "/bin/obsidian", flatpak + "/bin", true },
        { flatpak + "/obsidian/chrome_crashpad_handler", flatpak + "/bin", true },
        { flatpak + "/bin/zypak-helper", flatpak + "/obsidian", true },
        { "/opt/flatpak/app/md.obsidian.Obsidian/x86_64/stable/89ef/files/obsidian/obsidian",
            "/opt/flatpak/app/md.obsidian.Obsidian/x86_64/stable/89ef/files/bin", true },
        { "/home/me/.local/share/flatpak/app/md.obsidian.Obsidian/x86_64/stable/4567/files/obsidian",
            "/home/me/.local/share/flatpak/app/md.obsidian.Obsidian/x86_64/stable/4567/files", true },
        { flatpakApps + "md.obsidian.Obsidian/x86_64/stable/ffff/files/obsidian", flatpak, false },
        { flatpak + "-evil/obsidian", flatpak, false },
        { flatpak + "/../metadata", flatpak, false },
        { flatpak + "/../../../../../org.evil.App/x86_64/stable/1/files/evil", flatpak, false },
        { flatpakApps + "org.evil.App/x86_64/stable/1/files/bin/evil",
            flatpakApps + "org.evil.App/x86_64/stable/1/files/bin", false },
        { flatpakApps + "md.obsidian.obsidian/x86_64/stable/1/files/obsidian",
            flatpakApps + "md.obsidian.obsidian/x86_64/stable/1/files", false },
        { flatpakApps + "md.obsidian.Obsidian/x86_64/stable/files/obsidian",
            flatpakApps + "md.obsidian.Obsidian/x86_64/stable/files", false },
        // a sandbox's own view names no application
        { "/app/obsidian", "/app", false },
        { "/app/bin/evil", "/app/bin", false },
    };
    for (const Case &testCase : cases) {
        SCOPED_TRACE((testCase.executable + " in " + testCase.bundlePath).toStdString());
        EXPECT_EQ(ResolverPeerValidator::path(testCase.executable, testCase.bundlePath), testCase.accepted);
    }
}

TEST(ResolverPeerPath, StandardisationKeepsEmptySegmentsAndResolvesDots)
{
    const std::vector<std::pair<QString, QString>> cases {
        { "/a/b/c", "/a/b/c" },
        { "/a/./b", "/a/b" },
        { "/a/b/../c", "/a/c" },
        { "/a/b/..", "/a" },
        { "/a/b/.", "/a/b" },
        { "/a//b", "/a//b" },
        { "/a//../b", "/a/b" },
        { "/../a", "/a" },
        { "/a/b/", "/a/b" },
        { "/", "/" },
        { "/..", "/" },
        { "/a/..", "/" },
        { "/a/...", "/a/..." },
        { "/a/..b/c", "/a/..b/c" },
        { "x/../y", QDir::currentPath() + "/y" },
    };
    for (const auto &[input, expected] : cases) {
        SCOPED_TRACE(input.toStdString());
        EXPECT_EQ(ResolverPeerValidator::standardizedPath(input), expected);
    }
}

} // namespace tovra
