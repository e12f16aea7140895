// The shell as a user meets it on a desktop: the real executable, a tray, a
// second start, links, and the end.
#include "AppUnderTest.h"

#include <QUuid>

#include <gtest/gtest.h>

using namespace tovra::testing;

namespace {

const QString mainWindow = QStringLiteral("Tovra");

} // namespace

TEST(ShellDesktop, WithoutATrayTheMainWindowShowsAtLaunchAndSigtermEndsTheAppCleanly)
{
    AppUnderTest app;
    app.start();
    EXPECT_TRUE(desktop::waitForVisibleWindow(mainWindow)) << app.standardError().constData();
    EXPECT_EQ(app.terminate(), 0);
    EXPECT_TRUE(desktop::waitForNoVisibleWindow(mainWindow));
}

TEST(ShellDesktop, WithATrayTheIconDocksAndAClickTogglesTheMainWindow)
{
    const desktop::WindowManager windowManager;
    const desktop::TrayHost tray;
    ASSERT_TRUE(tray.isRunning());
    AppUnderTest app;
    app.start();
    // With a tray the app starts as its icon alone.
    ASSERT_TRUE(tray.waitForDockedIcon());
    ASSERT_TRUE(desktop::waitForNoVisibleWindow(mainWindow, std::chrono::seconds(2)));

    tray.clickFirstIcon();
    EXPECT_TRUE(desktop::waitForVisibleWindow(mainWindow));
    // Only a window the user is working in is hidden by the next click.
    ASSERT_TRUE(desktop::waitForActiveWindow(mainWindow));
    tray.clickFirstIcon();
    EXPECT_TRUE(desktop::waitForNoVisibleWindow(mainWindow));
    EXPECT_EQ(app.terminate(), 0);
}

TEST(ShellDesktop, ASecondStartHandsItsLinksToTheFirstAndEndsWithZero)
{
    const desktop::TrayHost tray;
    AppUnderTest app;
    app.start();
    ASSERT_TRUE(desktop::waitForNoVisibleWindow(mainWindow, std::chrono::seconds(2)));

    EXPECT_EQ(app.startAgain({ QStringLiteral("tovra://open") }), 0);
    EXPECT_TRUE(desktop::waitForVisibleWindow(mainWindow));

    // A trace link reaches the model, which answers in the detail window.
    const QString unknownTrace = QStringLiteral("tovra://trace/") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    EXPECT_EQ(app.startAgain({ unknownTrace }), 0);
    EXPECT_TRUE(desktop::waitForVisibleWindow(QStringLiteral("溯源记录不可用")));
    EXPECT_TRUE(app.isRunning());
    EXPECT_EQ(app.terminate(), 0);
}
