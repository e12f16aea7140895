// The traced paste where people paste most and where it can go wrong: a note
// editor built on Chromium (Obsidian as its Linux packages install it, with
// citations on), a window brought forward while the hot key's Alt and Shift
// are still held, and a copy followed at once by the hot key.
#include "BrowserExtension.h"
#include "PasteScenario.h"
#include "WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QThread>

#include <gtest/gtest.h>

#include <iostream>

using namespace tovra::testing;
using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds arrivalTimeout = 15s;

const QString tracedNotice
    = QStringLiteral("提示：已发送粘贴动作并记录来源与目标；目标 App 未回执实际写入。");
const QString citedNotice
    = QStringLiteral("提示：已发送包含 Markdown 来源的粘贴动作并记录 App 流向；Obsidian 尚未回执实际写入。");
const QString refusedTitle = QStringLiteral("错误：带溯源粘贴未执行");
const QString targetChangedMessage
    = QStringLiteral("目标 App 或输入焦点已变化；为避免粘贴到错误位置，本次已取消。");

class WebPasteDesktop : public PasteScenario {
protected:
    void TearDown() override
    {
        if (HasFailure())
            std::cout << "The app's standard error:\n" << app.standardError().constData() << std::endl;
    }
};

// Obsidian's desktop entry as its own packages install it ("obsidian") and as
// Flathub does ("md.obsidian.Obsidian"), each naming the window class
// "obsidian"; the hot key held briefly and as a person holds it.
struct ObsidianCase {
    const char *name;
    const char *desktopEntryID;
    std::chrono::milliseconds hold;
};

void PrintTo(const ObsidianCase &obsidianCase, std::ostream *stream)
{
    *stream << obsidianCase.name;
}

class ObsidianPaste : public WebPasteDesktop, public ::testing::WithParamInterface<ObsidianCase> { };

TEST_P(ObsidianPaste, AQuoteFromAPageArrivesWithItsCitationAndOneRecord)
{
    const ObsidianCase &obsidianCase = GetParam();
    const QString applications
        = app.environment().value(QStringLiteral("XDG_DATA_HOME")) + QStringLiteral("/applications");
    ASSERT_TRUE(QDir().mkpath(applications));
    QFile entry(applications + QLatin1Char('/') + QString::fromLatin1(obsidianCase.desktopEntryID)
        + QStringLiteral(".desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write(
        "[Desktop Entry]\nType=Application\nName=Obsidian\nExec=obsidian %U\nStartupWMClass=obsidian\n");
    entry.close();
    app.setSetting(QStringLiteral("tovra.v02.obsidianCitationEnabled"), true);
    ASSERT_NO_FATAL_FAILURE(startApp());

    const QString quote = QStringLiteral("Rivers carry the mountains to the sea, grain by grain.");
    ClientWindow browser(QStringLiteral("webbrowser"));
    ASSERT_TRUE(browser.start());
    ASSERT_TRUE(browser.copyText(quote));
    BrowserExtension extension(app.hostEnvironment());
    const QJsonObject captured = extension.capture(
        QStringLiteral("https://news.example.org/rivers"), QStringLiteral("Rivers"), quote);
    ASSERT_EQ(captured.value(QStringLiteral("status")).toString(), QStringLiteral("stored"))
        << QJsonDocument(captured).toJson().constData();

    BrowserStart editorStart;
    editorStart.page = QStringLiteral("editor.html");
    editorStart.applicationClass = QStringLiteral("obsidian");
    BrowserTarget editor(editorStart);
    ASSERT_TRUE(editor.start(Field::plain));
    ASSERT_TRUE(editor.focus(Field::plain));
    // The editor's window is of the class the desktop entry names.
    const auto windowClass = runTool(QStringLiteral("xprop"),
        { QStringLiteral("-id"), QString::number(editor.window()), QStringLiteral("WM_CLASS") });
    ASSERT_TRUE(windowClass.value_or(QByteArray()).trimmed().endsWith(", \"obsidian\""))
        << windowClass.value_or(QByteArray()).constData();
    holdHotKey(obsidianCase.hold);

    EXPECT_TRUE(waitUntil(
        [&] {
            const QString note = editor.plainText().value_or(QString());
            return note.contains(quote) && note.contains(QStringLiteral("(https://news.example.org/rivers)"));
        },
        arrivalTimeout))
        << editor.describe(Field::plain).toStdString() << "\n"
        << editor.plainText().value_or(QString()).toStdString() << "\n"
        << appFeedback().toStdString();
    EXPECT_TRUE(appTree().waitForName(citedNotice)) << appFeedback().toStdString();
    EXPECT_TRUE(waitUntil([this] { return recordIds().size() == 1; }, 10s)) << recordIds().size();
    EXPECT_EQ(app.terminate(), 0);
}

constexpr ObsidianCase obsidianCases[] = {
    { "PackagedEntry30ms", "obsidian", 30ms },
    { "PackagedEntry300ms", "obsidian", 300ms },
    { "FlatpakEntry30ms", "md.obsidian.Obsidian", 30ms },
    { "FlatpakEntry300ms", "md.obsidian.Obsidian", 300ms },
};

INSTANTIATE_TEST_SUITE_P(Entries, ObsidianPaste, ::testing::ValuesIn(obsidianCases),
    [](const ::testing::TestParamInfo<ObsidianCase> &info) { return std::string(info.param.name); });

class HeldHotKey : public WebPasteDesktop,
                   public ::testing::WithParamInterface<std::chrono::milliseconds> { };

// V comes up, then the user brings another window forward with Alt and Shift
// still down, then lets go of them: the paste was meant for the first window
// and goes nowhere, and nothing is recorded.
TEST_P(HeldHotKey, AnotherWindowBroughtForwardBeforeAltAndShiftAreReleasedGetsNothing)
{
    const QString text = QStringLiteral("Meter reading 0042 at the north gate");
    ASSERT_NO_FATAL_FAILURE(startObservingApp());
    ASSERT_NO_FATAL_FAILURE(copyInAnotherApp(text));
    ClientWindow target(QStringLiteral("notes"));
    ClientWindow other(QStringLiteral("mailer"));
    ASSERT_TRUE(target.start());
    ASSERT_TRUE(other.start());
    ASSERT_TRUE(target.focus("plain"));
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == target.windowId(); }, 10s));

    xdotool({ QStringLiteral("keydown"), QStringLiteral("alt+shift+v") });
    QThread::msleep(GetParam().count());
    xdotool({ QStringLiteral("keyup"), QStringLiteral("v") });
    // Long enough for the app to have confirmed the target and to be waiting
    // for the modifiers.
    QThread::msleep(1000);
    xdotool({ QStringLiteral("windowactivate"), QString::number(other.windowId()) });
    ASSERT_TRUE(waitUntil([&] { return activeWindow() == other.windowId(); }, 10s));
    xdotool({ QStringLiteral("keyup"), QStringLiteral("alt+shift") });

    const AccessibleTree tree = appTree();
    EXPECT_TRUE(tree.waitForName(refusedTitle)) << appFeedback().toStdString();
    EXPECT_TRUE(tree.hasShowingName(targetChangedMessage)) << appFeedback().toStdString();
    // The app decided before any key went out.
    EXPECT_EQ(target.fieldText("plain"), QString());
    EXPECT_EQ(other.fieldText("plain"), QString());
    EXPECT_TRUE(recordIds().isEmpty());
    EXPECT_EQ(app.terminate(), 0);
}

// Ctrl+C and the hot key in one go, with no pause between them: the copy is
// still being handled when the hot key comes, and the paste is traced to it.
TEST_P(HeldHotKey, ACopyFollowedAtOnceByTheHotKeyIsRecorded)
{
    const QString text = QStringLiteral("Batch 7 passed inspection");
    ASSERT_NO_FATAL_FAILURE(startObservingApp());
    ASSERT_TRUE(copier.start());
    ASSERT_TRUE(copier.focus("plain"));
    ASSERT_TRUE(waitUntil([this] { return activeWindow() == copier.windowId(); }, 10s));
    ASSERT_TRUE(copier.selectText("plain", text));

    // One run of xdotool: the copy, the cursor to the end of the field, the
    // hot key, with no time between them.
    const double holdSeconds = GetParam().count() / 1000.0;
    const QString noDelay = QStringLiteral("--delay=0");
    ASSERT_TRUE(xdotool({ QStringLiteral("key"), noDelay, QStringLiteral("ctrl+c"), QStringLiteral("End"),
        QStringLiteral("keydown"), noDelay, QStringLiteral("alt+shift+v"), QStringLiteral("sleep"),
        QString::number(holdSeconds), QStringLiteral("keyup"), QStringLiteral("v"), QStringLiteral("keyup"),
        QStringLiteral("alt+shift") }));

    EXPECT_TRUE(waitUntil([&] { return copier.fieldText("plain") == text + text; }, arrivalTimeout))
        << copier.fieldText("plain").value_or(QString()).toStdString();
    EXPECT_TRUE(appTree().waitForName(tracedNotice)) << appFeedback().toStdString();
    EXPECT_TRUE(waitUntil([this] { return recordIds().size() == 1; }, 10s)) << recordIds().size();
    EXPECT_EQ(app.terminate(), 0);
}

INSTANTIATE_TEST_SUITE_P(Holds, HeldHotKey, ::testing::Values(30ms, 300ms),
    [](const ::testing::TestParamInfo<std::chrono::milliseconds> &info) {
        return std::to_string(info.param.count()) + "ms";
    });

} // namespace
