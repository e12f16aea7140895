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
        // the Debian package's layout has no bundle of that shape
        { "/opt/Obsidian/obsidian", false, "/opt/Obsidian" },
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
