// Traces as a user makes and finds them on a desktop: the real app, the
// browser extension's host, client windows, keys typed through XTest, and the
// app's windows read over the accessibility bus.
#include "BrowserExtension.h"
#include "DesktopScenario.h"

#include <QDeadlineTimer>
#include <QJsonDocument>

#include <gtest/gtest.h>

using namespace tovra::testing;

namespace {

class TraceDesktop : public DesktopScenario { };

// Copy on a web page (the browser window holds the text, the extension sends
// the capture to the host), then Alt+Shift+V in another application's field:
// the text arrives and the records list shows one trace from the page's
// address to that application.
TEST_F(TraceDesktop, PageCapturedByTheHostThenHotKeyPasteInAnotherAppShowsOneTraceFromThePageToThatApp)
{
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow browser(QStringLiteral("webbrowser"));
    ClientWindow notes(QStringLiteral("notes"));
    ASSERT_TRUE(browser.start());
    ASSERT_TRUE(notes.start());

    // 1. The page's text is on the clipboard, put there by the browser.
    const QString quote = QStringLiteral("Rivers carry the mountains to the sea, grain by grain.");
    ASSERT_TRUE(browser.copyText(quote));
    // 2. The extension reports the copy; the host keeps it as a source.
    BrowserExtension extension(app.hostEnvironment());
    const QJsonObject captured = extension.capture(
        QStringLiteral("https://news.example.org/rivers"), QStringLiteral("Rivers"), quote);
    ASSERT_EQ(captured.value(QStringLiteral("status")).toString(), QStringLiteral("stored"))
        << QJsonDocument(captured).toJson().constData();

    // 3. Alt+Shift+V in the notes application's field pastes the text.
    ASSERT_TRUE(tracedPaste(notes, quote)) << notes.fieldText("plain")->toStdString();

    // 4. The records list holds that one trace: page → notes.
    ASSERT_NO_FATAL_FAILURE(showRecords());
    const AccessibleTree tree = appTree();
    const QString row = tree.waitForListItem(
        { QStringLiteral("Rivers，"), QStringLiteral("news.example.org"), QStringLiteral("粘贴到 notes") });
    EXPECT_FALSE(row.isEmpty()) << tree.listItemNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tree.listItemNames().size(), 1);
    EXPECT_EQ(app.terminate(), 0);
}

// Ctrl+C in one application (the app observes the copy keys), Alt+Shift+V in
// another: the record names the first as the source and the second as the
// destination.
TEST_F(TraceDesktop, CtrlCInOneAppThenHotKeyPasteInAnotherRecordsTheFirstAsSourceAndTheSecondAsDestination)
{
    app.setSetting(QStringLiteral("tovra.v02.observationEnabled"), true);
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow editor(QStringLiteral("editor"));
    ClientWindow mail(QStringLiteral("mail"));
    ASSERT_TRUE(editor.start());
    ASSERT_TRUE(mail.start());

    // 1. The user selects a line in the editor and presses Ctrl+C; the copy
    // reaches the app's history. 2. Alt+Shift+V in the mail application's field.
    ASSERT_NO_FATAL_FAILURE(
        copyThenPasteTraced(editor, mail, QStringLiteral("Meeting moved to Thursday, 10:00.")));

    // 3. One record: editor → mail.
    ASSERT_NO_FATAL_FAILURE(showRecords());
    const AccessibleTree tree = appTree();
    const QString row = tree.waitForListItem({ QStringLiteral("editor，editor 粘贴到 mail") });
    EXPECT_FALSE(row.isEmpty()) << tree.listItemNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(tree.listItemNames().size(), 1);
    EXPECT_EQ(app.terminate(), 0);
}

// A second start with a trace link (as a citation's link would start it)
// opens the running app's detail window for that record; a malformed id is
// answered in the same place.
TEST_F(TraceDesktop, TraceLinkFromASecondStartOpensTheRecordOrSaysTheIdIsInvalid)
{
    // 1. A trace exists: page → notes, pasted with Alt+Shift+V.
    ASSERT_NO_FATAL_FAILURE(startApp());
    ClientWindow browser(QStringLiteral("webbrowser"));
    ClientWindow notes(QStringLiteral("notes"));
    ASSERT_TRUE(browser.start());
    ASSERT_TRUE(notes.start());
    const QString quote = QStringLiteral("A line worth tracing back.");
    ASSERT_TRUE(browser.copyText(quote));
    BrowserExtension extension(app.hostEnvironment());
    ASSERT_EQ(extension.capture(QStringLiteral("https://docs.example.com/a"), QStringLiteral("A"), quote)
                  .value(QStringLiteral("status")),
        QStringLiteral("stored"));
    ASSERT_TRUE(tracedPaste(notes, quote));
    QList<QUuid> ids;
    const QDeadlineTimer deadline(std::chrono::seconds(10));
    while (ids.isEmpty() && !deadline.hasExpired())
        ids = recordIds();
    ASSERT_EQ(ids.size(), 1);
    const QString id = ids.first().toString(QUuid::WithoutBraces);

    // 2. The link with its id opens the record's detail window, which shows
    //    the id.
    ASSERT_EQ(app.startAgain({ QStringLiteral("tovra://trace/") + id }), 0);
    EXPECT_TRUE(desktop::waitForVisibleWindow(QStringLiteral("本机溯源记录")));
    EXPECT_TRUE(appTree().waitForName(id));

    // 3. A link whose id is not an id says so.
    ASSERT_EQ(app.startAgain({ QStringLiteral("tovra://trace/not-a-trace-id") }), 0);
    EXPECT_TRUE(desktop::waitForVisibleWindow(QStringLiteral("溯源记录不可用")));
    EXPECT_TRUE(appTree().waitForName(QStringLiteral("溯源记录编号无效。")));
    EXPECT_TRUE(app.isRunning());
    EXPECT_EQ(app.terminate(), 0);
}

} // namespace
