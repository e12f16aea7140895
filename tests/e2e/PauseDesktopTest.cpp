// Pausing from the app's main window: the browser host and the hot key both
// stop recording, and resuming brings both back.
#include "BrowserExtension.h"
#include "DesktopScenario.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace tovra::testing;

namespace {

class PauseDesktop : public DesktopScenario { };

TEST_F(PauseDesktop, PauseButtonMakesTheHostAnswerPausedAndTheHotKeyRecordNothingUntilResumed)
{
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow browser(QStringLiteral("webbrowser"));
    ClientWindow notes(QStringLiteral("notes"));
    ASSERT_TRUE(browser.start());
    ASSERT_TRUE(notes.start());
    BrowserExtension extension(app.hostEnvironment());

    // 1. The user presses Pause in the main window.
    ASSERT_TRUE(appTree().waitAndPress(QStringLiteral("暂停Tovra")));
    ASSERT_TRUE(appTree().waitForName(QStringLiteral("恢复Tovra")));

    // 2. The host reports the pause and refuses a capture for it.
    const QString paused = QStringLiteral("Copied while paused.");
    ASSERT_TRUE(browser.copyText(paused));
    EXPECT_EQ(extension.status().value(QStringLiteral("paused")), true);
    const QJsonObject refused
        = extension.capture(QStringLiteral("https://news.example.org/paused"), QStringLiteral("Paused"), paused);
    EXPECT_EQ(refused.value(QStringLiteral("reason")).toString(), QStringLiteral("paused"))
        << QJsonDocument(refused).toJson().constData();

    // 3. Alt+Shift+V is answered with the pause, not a trace.
    ASSERT_TRUE(notes.focus("plain"));
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra test client")));
    desktop::pressKeys(QStringLiteral("alt+shift+v"));
    EXPECT_TRUE(appTree().waitForName(QStringLiteral("提示：Tovra当前已暂停。")));
    ASSERT_TRUE(notes.clearField("plain"));

    // 4. Resume: the host stores a capture again and the hot key traces it.
    ASSERT_TRUE(appTree().waitAndPress(QStringLiteral("恢复Tovra")));
    ASSERT_TRUE(appTree().waitForName(QStringLiteral("暂停Tovra")));
    EXPECT_EQ(extension.status().value(QStringLiteral("paused")), false);
    const QString resumed = QStringLiteral("Copied after resuming.");
    ASSERT_TRUE(browser.copyText(resumed));
    const QJsonObject stored
        = extension.capture(QStringLiteral("https://news.example.org/resumed"), QStringLiteral("Resumed"), resumed);
    ASSERT_EQ(stored.value(QStringLiteral("status")).toString(), QStringLiteral("stored"))
        << QJsonDocument(stored).toJson().constData();
    ASSERT_TRUE(tracedPaste(notes, resumed)) << notes.fieldText("plain")->toStdString();

    // 5. Only the trace made after resuming is recorded.
    ASSERT_NO_FATAL_FAILURE(showRecords());
    const AccessibleTree tree = appTree();
    EXPECT_FALSE(tree.waitForListItem({ QStringLiteral("Resumed，") }).isEmpty())
        << tree.listItemNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tree.listItemNames().size(), 1);
    EXPECT_EQ(app.terminate(), 0);
}

} // namespace
