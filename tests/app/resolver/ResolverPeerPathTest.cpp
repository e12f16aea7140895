#include "app/resolver/ResolverPeerValidator.h"

#include <QDir>

#include <gtest/gtest.h>

namespace tovra {

namespace {

const QString bundle = QStringLiteral("/Applications/Obsidian.app");

bool belongs(const QString &executable, const QString &bundlePath = bundle)
{
    return ResolverPeerValidator::path(executable, bundlePath);
}

} // namespace

TEST(ResolverPeerPath, MainExecutableOfTheBundleIsAccepted)
{
    EXPECT_TRUE(belongs(bundle + "/Contents/MacOS/Obsidian"));
    EXPECT_TRUE(belongs(bundle + "/Contents/MacOS/Obsidian", bundle + "/"));
}

TEST(ResolverPeerPath, HelpersWhoseBundleAndExecutableNamesAgreeAreAccepted)
{
    for (const char *name : { "Obsidian Helper", "Obsidian Helper (Renderer)", "Obsidian Helper (GPU)",
             "Obsidian Helper (Plugin)", "Obsidian Helper ()" }) {
        SCOPED_TRACE(name);
        const QString helper = QString::fromUtf8(name);
        EXPECT_TRUE(belongs(bundle + "/Contents/Frameworks/" + helper + ".app/Contents/MacOS/" + helper));
    }
}

TEST(ResolverPeerPath, MalformedHelpersAreRefused)
{
    const QString frameworks = bundle + "/Contents/Frameworks/";
    const std::vector<QString> refused {
        // names that differ between bundle and executable
        frameworks + "Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper (GPU)",
        frameworks + "Obsidian Helper (Renderer).app/Contents/MacOS/Obsidian Helper",
        frameworks + "Obsidian Helper.app/Contents/MacOS/Obsidian Helper (Renderer)",
        // a fifth piece
        frameworks + "Obsidian Helper.app/Contents/MacOS/Obsidian Helper/extra",
        frameworks + "Obsidian Helper.app/Contents/Resources/MacOS/Obsidian Helper",
        // doubled slashes are empty pieces
        frameworks + "/Obsidian Helper.app/Contents/MacOS/Obsidian Helper",
        frameworks + "Obsidian Helper.app//Contents/MacOS/Obsidian Helper",
        frameworks + "Obsidian Helper.app/Contents/MacOS//Obsidian Helper",
        // no closing parenthesis
        frameworks + "Obsidian Helper (.app/Contents/MacOS/Obsidian Helper (",
        frameworks + "Obsidian Helper (Renderer.app/Contents/MacOS/Obsidian Helper (Renderer",
        // not a helper at all
        frameworks + "Other Helper.app/Contents/MacOS/Other Helper",
        frameworks + "Obsidian Helper Renderer.app/Contents/MacOS/Obsidian Helper Renderer",
        frameworks + "Obsidian Helper/Contents/MacOS/Obsidian Helper",
        frameworks + "Obsidian Helper.bundle/Contents/MacOS/Obsidian Helper",
        // case matters
        frameworks + "obsidian helper.app/Contents/MacOS/obsidian helper",
        frameworks + "Obsidian Helper.app/contents/MacOS/Obsidian Helper",
        frameworks + "Obsidian Helper.app/Contents/macos/Obsidian Helper",
        // too few pieces
        frameworks + "Obsidian Helper.app/Contents/MacOS",
        frameworks + "Obsidian Helper.app",
    };
    for (const QString &executable : refused) {
        SCOPED_TRACE(executable.toStdString());
        EXPECT_FALSE(belongs(executable));
    }
}

TEST(ResolverPeerPath, ExecutablesOutsideTheGivenBundleAreRefused)
{
    const std::vector<QString> refused {
        QStringLiteral("/Applications/Obsidian Copy.app/Contents/MacOS/Obsidian"),
        QStringLiteral("/Applications/Obsidian.app.evil/Contents/MacOS/Obsidian"),
        bundle + "/Contents/MacOS/obsidian",
        bundle + "/Contents/MacOS/Obsidian2",
        bundle + "/Contents/Resources/Obsidian",
        bundle + "/Contents/MacOS//Obsidian",
        bundle + "/Contents/MacOS/../../../Obsidian Copy.app/Contents/MacOS/Obsidian",
        bundle,
        QStringLiteral("/opt/Obsidian/obsidian"),
    };
    for (const QString &executable : refused) {
        SCOPED_TRACE(executable.toStdString());
        EXPECT_FALSE(belongs(executable));
    }
    // The Debian package's layout has no bundle of that shape.
    EXPECT_FALSE(belongs(QStringLiteral("/opt/Obsidian/obsidian"), QStringLiteral("/opt/Obsidian")));
}

TEST(ResolverPeerPath, BothSidesAreStandardisedByTheirText)
{
    EXPECT_TRUE(belongs(bundle + "/Contents/MacOS/../MacOS/Obsidian"));
    EXPECT_TRUE(belongs(bundle + "/./Contents/MacOS/./Obsidian"));
    EXPECT_TRUE(
        belongs(bundle + "/Contents/MacOS/Obsidian", QStringLiteral("/Applications/Tools/../Obsidian.app")));
    EXPECT_TRUE(
        belongs(bundle + "/Contents/Frameworks/Obsidian Helper.app/Contents/MacOS/../MacOS/Obsidian Helper"));
    EXPECT_TRUE(
        belongs(QStringLiteral("Obsidian.app/Contents/MacOS/Obsidian"), QStringLiteral("Obsidian.app")));
    EXPECT_TRUE(belongs(
        QDir::currentPath() + "/Obsidian.app/Contents/MacOS/Obsidian", QStringLiteral("Obsidian.app")));
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
    };
    for (const auto &[input, expected] : cases) {
        SCOPED_TRACE(input.toStdString());
        EXPECT_EQ(ResolverPeerValidator::standardizedPath(input), expected);
    }
    EXPECT_EQ(ResolverPeerValidator::standardizedPath(QStringLiteral("x/../y")), QDir::currentPath() + "/y");
}

} // namespace tovra
