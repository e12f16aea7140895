#include "IntegrationFailure.h"
#include "TaskProbe.h"

#include "platform/CommandVPaster.h"
#include "platform/DestinationContextInspector.h"
#include "platform/PasteboardType.h"
#include "platform/SystemIntegrationError.h"
#include "platform/simulated/SimulatedDesktop.h"

#include <gtest/gtest.h>

#include <functional>

using namespace tovra;
using namespace std::chrono_literals;
using tovra::testing::integrationFailureOf;
using tovra::testing::TaskProbe;
using Kind = SystemIntegrationError::Kind;

namespace {

SimulatedElement field(const QString &identifier, const QString &label)
{
    SimulatedElement element;
    element.identifier = identifier;
    element.windowTitle = QStringLiteral("Daily note");
    element.label = label;
    return element;
}

// The user typed in the body of a note, then opened this program's panel and
// asked for the paste from there.
struct NotesScene {
    NotesScene()
    {
        notes = desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian"),
            { field(QStringLiteral("body"), QStringLiteral("Body")),
                field(QStringLiteral("search"), QStringLiteral("Search")) });
        inspector.start();
        desktop.switchTo(notes);
        desktop.switchTo(desktop.ownProcessIdentifier());
        target = inspector.inspect();
    }

    void focus(const char *identifier) { desktop.workspace().focus(notes, QString::fromLatin1(identifier)); }

    SimulatedDesktop desktop;
    DestinationContextInspector inspector { desktop.ownProcessIdentifier(), desktop.workspace(),
        desktop.accessibility(), desktop.clock() };
    CommandVPaster paster { inspector, desktop.pasteboard(), desktop.keyboard() };
    ProcessIdentifier notes = 0;
    InspectedDestination target;
};

class CommandVPasterTest : public ::testing::Test, protected NotesScene { };

} // namespace

// Checks run 140 ms after the activation request and then every 60 ms, nine
// more times, so the last one is at 680 ms; nine more, to 1220 ms, for a
// target in front that has not told its focus yet.
TEST(CommandVPaster, ActivateAndConfirmSettlesAtTheRightCheck)
{
    using Step = std::function<void(NotesScene &)>;
    struct Row {
        const char *name;
        Step before;
        std::chrono::milliseconds changeAt;
        Step change;
        std::chrono::milliseconds settlesAt;
        std::optional<Kind> failure;
    };
    const std::vector<Row> rows {
        { "in front at the first check", nullptr, 0ms, nullptr, 140ms, std::nullopt },
        { "slow application, in front at 300 ms",
            [](auto &s) { s.desktop.workspace().application(s.notes).activationDelay = 300ms; }, 0ms, nullptr,
            320ms, std::nullopt },
        { "never comes forward",
            [](auto &s) { s.desktop.workspace().application(s.notes).activationDelay.reset(); }, 0ms, nullptr,
            680ms, Kind::targetApplicationUnavailable },
        { "focus moves away mid-way", nullptr, 100ms, [](auto &s) { s.focus("search"); }, 680ms,
            Kind::targetChanged },
        { "focus returns before the last check", [](auto &s) { s.focus("search"); }, 400ms,
            [](auto &s) { s.focus("body"); }, 440ms, std::nullopt },
        { "another application takes the front", [](auto &s) { s.focus("search"); }, 150ms,
            [](auto &s) {
                s.desktop.switchTo(
                    s.desktop.launch(QStringLiteral("Mail"), QStringLiteral("org.example.Mail")));
            },
            680ms, Kind::targetChanged },
        { "a page that tells its focus after a second",
            [](auto &s) { s.desktop.workspace().application(s.notes).showsFocus = false; }, 1000ms,
            [](auto &s) { s.desktop.workspace().application(s.notes).showsFocus = true; }, 1040ms,
            std::nullopt },
        { "focus never told",
            [](auto &s) { s.desktop.workspace().application(s.notes).showsFocus = false; }, 0ms, nullptr,
            1220ms, Kind::targetFocusUnknown },
        { "no trust", [](auto &s) { s.desktop.accessibility().setTrusted(false); }, 0ms, nullptr, 0ms,
            Kind::accessibilityPermissionMissing },
        { "trust revoked meanwhile", nullptr, 0ms,
            [](auto &s) { s.desktop.accessibility().setTrusted(false); }, 140ms,
            Kind::accessibilityPermissionMissing },
        { "target not running", [](auto &s) { s.desktop.workspace().terminate(s.notes); }, 0ms, nullptr, 0ms,
            Kind::targetApplicationUnavailable },
        { "target quits meanwhile",
            [](auto &s) { s.desktop.workspace().application(s.notes).activationDelay = 1s; }, 0ms,
            [](auto &s) { s.desktop.workspace().terminate(s.notes); }, 140ms,
            Kind::targetApplicationUnavailable },
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        NotesScene scene;
        if (row.before)
            row.before(scene);
        TaskProbe<InspectedDestination> probe(scene.paster.activateAndConfirm(scene.target));
        EXPECT_EQ(scene.desktop.workspace().activationRequests().isEmpty(), row.settlesAt == 0ms);
        if (row.change) {
            scene.desktop.advance(row.changeAt);
            row.change(scene);
        }
        const auto remaining = row.settlesAt - (row.change ? row.changeAt : 0ms);
        if (remaining > 0ms) {
            scene.desktop.advance(remaining - 1ms);
            EXPECT_FALSE(probe.isDone());
            scene.desktop.advance(1ms);
        }
        ASSERT_TRUE(probe.isDone());
        EXPECT_EQ(probe.failure(), row.failure);
        if (!row.failure) {
            ASSERT_TRUE(probe.value().has_value());
            EXPECT_EQ(probe.value()->processIdentifier, scene.notes);
            EXPECT_EQ(probe.value()->focusedElementIdentifier, QStringLiteral("body"));
            EXPECT_EQ(probe.value()->snapshot.pastedAt, scene.desktop.clock().now());
        }
    }
}

TEST_F(CommandVPasterTest, ReconfirmRequiresTheSameFrontmostFocus)
{
    desktop.switchTo(notes);
    EXPECT_TRUE(paster.reconfirm(target).hasSameFocus(target));

    const auto reconfirmFailure
        = [this] { return integrationFailureOf([this] { paster.reconfirm(target); }); };
    focus("search");
    EXPECT_EQ(reconfirmFailure(), Kind::targetChanged);
    focus("body");
    // A page counting unread mail in its title is still the same target.
    desktop.workspace().application(notes).elements[0].windowTitle = QStringLiteral("(3) Daily note");
    EXPECT_EQ(reconfirmFailure(), std::nullopt);
    desktop.switchTo(desktop.ownProcessIdentifier());
    EXPECT_EQ(reconfirmFailure(), Kind::targetChanged);
    desktop.switchTo(notes);
    desktop.accessibility().setTrusted(false);
    EXPECT_EQ(reconfirmFailure(), Kind::accessibilityPermissionMissing);
}

// A terminal takes Ctrl+Shift+V: its Ctrl+V would reach the shell as a
// control character and paste nothing.
TEST(CommandVPaster, PostsTheTargetsOwnPasteShortcutOnceAndItLandsInTheField)
{
    for (const bool isTerminal : { false, true }) {
        SCOPED_TRACE(isTerminal ? "terminal" : "editor");
        NotesScene scene;
        scene.desktop.workspace().application(scene.notes).isTerminalEmulator = isTerminal;
        scene.desktop.pasteboard().setText(QStringLiteral("a quote"));
        scene.desktop.switchTo(scene.notes);
        scene.desktop.advance(2s);
        const auto expectation = PasteboardContentExpectation::text(
            PasteboardTextSnapshot { scene.desktop.pasteboard().changeCount(), QStringLiteral("a quote") });

        const DestinationSnapshot destination = scene.paster.postPaste(scene.target, expectation);
        EXPECT_EQ(destination.applicationName, QStringLiteral("Obsidian"));
        EXPECT_EQ(destination.fieldLabel, QStringLiteral("Body"));
        EXPECT_EQ(destination.pastedAt, scene.desktop.clock().now());
        EXPECT_EQ(scene.desktop.focusedText(scene.notes), QStringLiteral("a quote"));

        const QList<SimulatedKeyEvent> own = scene.desktop.keyboard().ownEvents();
        ASSERT_EQ(own.size(), 2);
        EXPECT_TRUE(own[0].isKeyDown);
        EXPECT_FALSE(own[1].isKeyDown);
        EXPECT_EQ(
            own[0].keys, isTerminal ? SimulatedKeyboard::terminalPasteKeys : SimulatedKeyboard::pasteKeys);
        EXPECT_EQ(own[0].target, scene.notes);

        const PasteShortcut wrong = isTerminal ? PasteShortcut::standard : PasteShortcut::terminal;
        ASSERT_TRUE(scene.desktop.keyboard().postPasteShortcut(wrong));
        EXPECT_EQ(scene.desktop.focusedText(scene.notes), QStringLiteral("a quote"))
            << "the other keys paste nothing";
    }
}

TEST_F(CommandVPasterTest, AFailedCheckStopsThePasteBeforeAnyKey)
{
    desktop.pasteboard().setText(QStringLiteral("a quote"));
    const auto expectation = PasteboardContentExpectation::text(
        PasteboardTextSnapshot { desktop.pasteboard().changeCount(), QStringLiteral("a quote") });
    desktop.switchTo(notes);
    focus("search");
    EXPECT_EQ(integrationFailureOf([&] { paster.postPaste(target, expectation); }), Kind::targetChanged);
    focus("body");

    desktop.pasteboard().setText(QStringLiteral("copied meanwhile"));
    EXPECT_EQ(integrationFailureOf([&] { paster.postPaste(target, expectation); }), Kind::clipboardChanged);

    // Without an expectation the pasteboard is not even read.
    int reads = 0;
    desktop.pasteboard().setReadHook([&](const QString &) { ++reads; });
    desktop.keyboard().setEventCreationFails(true);
    EXPECT_EQ(
        integrationFailureOf([&] { paster.postPaste(target, std::nullopt); }), Kind::eventCreationFailed);
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(desktop.keyboard().ownEvents().isEmpty());
    EXPECT_TRUE(desktop.focusedText(notes).isEmpty());
}
