// The hot key and the history's paste-back on the applications users paste
// into: GTK 3, GTK 4, Qt and Tk windows, two terminal emulators and a browser
// page, each a real program on the test desktop. The hot key is held down as
// long as a quick tap, a normal press and a hesitant one; each toolkit shows
// the field's focus differently while the key is down.
#include "PasteScenario.h"
#include "WaitUntil.h"

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <memory>
#include <optional>

using namespace tovra::testing;
using namespace std::chrono_literals;

namespace {

const QString tracedNotice
    = QStringLiteral("提示：已发送粘贴动作并记录来源与目标；目标 App 未回执实际写入。");
const QString sensitiveNotice = QStringLiteral(
    "提示：已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标是敏感或安全输入框）。"
    "目标 App 未回执实际写入。");
const QString deniedNotice
    = QStringLiteral("提示：已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标 App 位于排除列表）。"
                     "目标 App 未回执实际写入。");
const QString undisclosedNotice
    = QStringLiteral("提示：已发送普通粘贴动作；未读取剪贴板用于匹配，也未建立记录（目标 App "
                     "未公开输入框信息，无法确认是否为密码框）。目标 App 未回执实际写入。");
const QString refusedTitle = QStringLiteral("错误：带溯源粘贴未执行");
const QString refusedMessage = QStringLiteral("目标 App 没有已知的剪贴板粘贴快捷键；本次未发送粘贴。");

constexpr std::chrono::milliseconds arrivalTimeout = 15s;

// What the app does with the hot key in that field.
enum class Outcome {
    // The text arrives and one trace is committed.
    traced,
    // A plain paste, nothing read or recorded: a password field.
    plainSensitive,
    // A plain paste, nothing read or recorded: a terminal, a denied application.
    plainDenied,
    // A plain paste, nothing read or recorded: the application describes no
    // field, which may be a password field.
    plainUndisclosed,
    // No paste at all, and the app says why.
    refused,
};

struct PasteCase {
    const char *name;
    Client client;
    Field field;
    std::chrono::milliseconds hold;
    Outcome expected;
};

void PrintTo(const PasteCase &pasteCase, std::ostream *stream)
{
    *stream << pasteCase.name;
}

class ToolkitHotKeyPaste : public PasteScenario, public ::testing::WithParamInterface<PasteCase> { };

TEST_P(ToolkitHotKeyPaste, TextCopiedElsewhereArrivesTracedOrPlainAsTheTargetAllows)
{
    const PasteCase &pasteCase = GetParam();
    const QString text
        = QStringLiteral("Invoice 4471: net 30 days, ref %1").arg(QString::fromLatin1(pasteCase.name));
    ASSERT_NO_FATAL_FAILURE(startObservingApp());
    ASSERT_NO_FATAL_FAILURE(copyInAnotherApp(text));

    const std::unique_ptr<PasteTarget> target = makeTarget(pasteCase.client);
    ASSERT_TRUE(target->start(pasteCase.field)) << "the target application did not start";
    ASSERT_TRUE(target->focus(pasteCase.field)) << "the target application did not come to the front";
    // The browser runs as people start it, and Tk is on no accessibility
    // bus: whatever the app learns of the field, it found out itself.
    if (pasteCase.client == Client::chromium) {
        ASSERT_FALSE(commandLineOf(target->processId()).contains("accessibility"));
    }
    if (pasteCase.client == Client::tk) {
        ASSERT_TRUE(AccessibleTree(target->processId()).showingNames().isEmpty());
    }
    holdHotKey(pasteCase.hold);

    const AccessibleTree tree = appTree();
    const Field field = pasteCase.field;
    switch (pasteCase.expected) {
    case Outcome::traced: {
        EXPECT_TRUE(waitUntil([&] { return target->holds(field, text); }, arrivalTimeout))
            << target->describe(field).toStdString() << "\n"
            << appFeedback().toStdString();
        EXPECT_TRUE(waitUntil([this] { return recordIds().size() == 1; }, 10s)) << recordIds().size();
        EXPECT_TRUE(tree.waitForName(tracedNotice)) << appFeedback().toStdString();
        break;
    }
    case Outcome::plainSensitive:
    case Outcome::plainDenied:
    case Outcome::plainUndisclosed: {
        const QString notice = pasteCase.expected == Outcome::plainSensitive ? sensitiveNotice
            : pasteCase.expected == Outcome::plainDenied                     ? deniedNotice
                                                                             : undisclosedNotice;
        EXPECT_TRUE(tree.waitForName(notice)) << appFeedback().toStdString();
        EXPECT_TRUE(waitUntil([&] { return target->holds(field, text); }, arrivalTimeout))
            << target->describe(field).toStdString();
        EXPECT_TRUE(recordIds().isEmpty());
        EXPECT_FALSE(tree.hasShowingName(tracedNotice));
        break;
    }
    case Outcome::refused: {
        EXPECT_TRUE(tree.waitForName(refusedTitle)) << appFeedback().toStdString();
        EXPECT_TRUE(tree.hasShowingName(refusedMessage)) << appFeedback().toStdString();
        // The app decided before any key went out; nothing is on its way.
        EXPECT_TRUE(target->holds(field, QString())) << target->describe(field).toStdString();
        const QStringList sent = appTree().showingNames().filter(QStringLiteral("已发送"));
        EXPECT_TRUE(sent.isEmpty()) << sent.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(recordIds().isEmpty());
        break;
    }
    }
    if (HasFailure())
        std::cout << "The app's standard error:\n" << app.standardError().constData() << std::endl;
    EXPECT_EQ(app.terminate(), 0) << app.standardError().constData();
}

// Every client with every hold: a quick tap, a brisk press, a hesitant one;
// and the press a person usually makes, about 0.3 s, on the real toolkits.
constexpr PasteCase pasteCases[] = {
    { "Gtk3Plain30ms", Client::gtk3, Field::plain, 30ms, Outcome::traced },
    { "Gtk3Plain150ms", Client::gtk3, Field::plain, 150ms, Outcome::traced },
    { "Gtk3Plain300ms", Client::gtk3, Field::plain, 300ms, Outcome::traced },
    { "Gtk3Plain1500ms", Client::gtk3, Field::plain, 1500ms, Outcome::traced },
    { "Gtk3Password30ms", Client::gtk3, Field::password, 30ms, Outcome::plainSensitive },
    { "Gtk3Password150ms", Client::gtk3, Field::password, 150ms, Outcome::plainSensitive },
    { "Gtk3Password300ms", Client::gtk3, Field::password, 300ms, Outcome::plainSensitive },
    { "Gtk3Password1500ms", Client::gtk3, Field::password, 1500ms, Outcome::plainSensitive },
    { "Gtk4Plain30ms", Client::gtk4, Field::plain, 30ms, Outcome::traced },
    { "Gtk4Plain150ms", Client::gtk4, Field::plain, 150ms, Outcome::traced },
    { "Gtk4Plain300ms", Client::gtk4, Field::plain, 300ms, Outcome::traced },
    { "Gtk4Plain1500ms", Client::gtk4, Field::plain, 1500ms, Outcome::traced },
    { "Gtk4Password30ms", Client::gtk4, Field::password, 30ms, Outcome::plainSensitive },
    { "Gtk4Password150ms", Client::gtk4, Field::password, 150ms, Outcome::plainSensitive },
    { "Gtk4Password300ms", Client::gtk4, Field::password, 300ms, Outcome::plainSensitive },
    { "Gtk4Password1500ms", Client::gtk4, Field::password, 1500ms, Outcome::plainSensitive },
    { "QtPlain30ms", Client::qt, Field::plain, 30ms, Outcome::traced },
    { "QtPlain150ms", Client::qt, Field::plain, 150ms, Outcome::traced },
    { "QtPlain1500ms", Client::qt, Field::plain, 1500ms, Outcome::traced },
    { "QtPassword30ms", Client::qt, Field::password, 30ms, Outcome::plainSensitive },
    { "QtPassword150ms", Client::qt, Field::password, 150ms, Outcome::plainSensitive },
    { "QtPassword1500ms", Client::qt, Field::password, 1500ms, Outcome::plainSensitive },
    { "XfceTerminal30ms", Client::xfceTerminal, Field::plain, 30ms, Outcome::plainDenied },
    { "XfceTerminal150ms", Client::xfceTerminal, Field::plain, 150ms, Outcome::plainDenied },
    { "XfceTerminal300ms", Client::xfceTerminal, Field::plain, 300ms, Outcome::plainDenied },
    { "XfceTerminal1500ms", Client::xfceTerminal, Field::plain, 1500ms, Outcome::plainDenied },
    { "Xterm30ms", Client::xterm, Field::plain, 30ms, Outcome::refused },
    { "Xterm150ms", Client::xterm, Field::plain, 150ms, Outcome::refused },
    { "Xterm300ms", Client::xterm, Field::plain, 300ms, Outcome::refused },
    { "Xterm1500ms", Client::xterm, Field::plain, 1500ms, Outcome::refused },
    { "ChromiumForcedTextArea30ms", Client::chromiumForced, Field::plain, 30ms, Outcome::traced },
    { "ChromiumForcedTextArea150ms", Client::chromiumForced, Field::plain, 150ms, Outcome::traced },
    { "ChromiumForcedTextArea300ms", Client::chromiumForced, Field::plain, 300ms, Outcome::traced },
    { "ChromiumForcedTextArea1500ms", Client::chromiumForced, Field::plain, 1500ms, Outcome::traced },
    { "ChromiumForcedPassword30ms", Client::chromiumForced, Field::password, 30ms, Outcome::plainSensitive },
    { "ChromiumForcedPassword150ms", Client::chromiumForced, Field::password, 150ms,
        Outcome::plainSensitive },
    { "ChromiumForcedPassword300ms", Client::chromiumForced, Field::password, 300ms,
        Outcome::plainSensitive },
    { "ChromiumForcedPassword1500ms", Client::chromiumForced, Field::password, 1500ms,
        Outcome::plainSensitive },
    // Chromium as people start it, without accessibility flags.
    { "ChromiumTextArea30ms", Client::chromium, Field::plain, 30ms, Outcome::traced },
    { "ChromiumTextArea300ms", Client::chromium, Field::plain, 300ms, Outcome::traced },
    { "ChromiumPassword30ms", Client::chromium, Field::password, 30ms, Outcome::plainSensitive },
    { "ChromiumPassword300ms", Client::chromium, Field::password, 300ms, Outcome::plainSensitive },
    { "TkPassword30ms", Client::tk, Field::password, 30ms, Outcome::plainUndisclosed },
    { "TkPassword300ms", Client::tk, Field::password, 300ms, Outcome::plainUndisclosed },
};

INSTANTIATE_TEST_SUITE_P(Clients, ToolkitHotKeyPaste, ::testing::ValuesIn(pasteCases),
    [](const ::testing::TestParamInfo<PasteCase> &info) { return std::string(info.param.name); });

// Paste-back from the history: the user copies in one application, puts the
// cursor in another application's field, brings the app's window forward and
// presses "回粘所选"; the text arrives in that field.
class HistoryPasteBack : public PasteScenario, public ::testing::WithParamInterface<Client> { };

TEST_P(HistoryPasteBack, SelectedCopyArrivesInTheFieldOfTheAppThatWasInFront)
{
    const QString text = QStringLiteral("Parcel 88 left the depot at 06:40.");
    ASSERT_NO_FATAL_FAILURE(startObservingApp());
    ASSERT_NO_FATAL_FAILURE(copyInAnotherApp(text));

    const std::unique_ptr<PasteTarget> target = makeTarget(GetParam());
    ASSERT_TRUE(target->start(Field::plain)) << "the target application did not start";
    ASSERT_TRUE(target->focus(Field::plain)) << "the target application did not come to the front";

    // A second start brings the running app's window forward, as the
    // launcher would.
    ASSERT_EQ(app.startAgain({ QStringLiteral("tovra://open") }), 0);
    ASSERT_TRUE(desktop::waitForActiveWindow(QStringLiteral("Tovra")));
    // The page's title says where its focus is: it changes as the page's
    // window loses the front and again as it gets it back.
    if (GetParam() == Client::chromium) {
        ASSERT_TRUE(waitUntil(
            [&] { return target->describe(Field::plain).contains(QStringLiteral(" focus=none")); }, 10s));
    }
    const AccessibleTree tree = appTree();
    // The newest copy is the selected row.
    ASSERT_TRUE(tree.waitAndPress(QStringLiteral("回粘所选"))) << appFeedback().toStdString();

    EXPECT_TRUE(waitUntil([&] { return target->holds(Field::plain, text); }, arrivalTimeout))
        << target->describe(Field::plain).toStdString() << "\n"
        << appFeedback().toStdString();
    EXPECT_FALSE(
        tree.waitForListItem({ QStringLiteral("来源 copier"), QStringLiteral("已回粘 1 次") }).isEmpty())
        << tree.listItemNames().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(app.terminate(), 0) << app.standardError().constData();
}

INSTANTIATE_TEST_SUITE_P(Clients, HistoryPasteBack,
    ::testing::Values(Client::gtk3, Client::qt, Client::chromium),
    [](const ::testing::TestParamInfo<Client> &info) { return ::testing::PrintToString(info.param); });

} // namespace
