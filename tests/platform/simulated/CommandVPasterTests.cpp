#include "IntegrationFailure.h"
#include "TaskProbe.h"

#include "platform/CommandVPaster.h"
#include "platform/DestinationContextInspector.h"
#include "platform/PasteboardType.h"
#include "platform/SystemIntegrationError.h"
#include "platform/simulated/SimulatedDesktop.h"

#include <gtest/gtest.h>

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

// The user typed in the notes application, then opened this program's panel
// and asked for the paste from there.
class CommandVPasterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        notes = desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian"),
            { field(QStringLiteral("body"), QStringLiteral("Body")),
                field(QStringLiteral("search"), QStringLiteral("Search")) });
        inspector.start();
        desktop.switchTo(notes);
        desktop.switchTo(desktop.ownProcessIdentifier());
        target = inspector.inspect();
    }

    SimulatedDesktop desktop;
    DestinationContextInspector inspector { desktop.ownProcessIdentifier(), desktop.workspace(),
        desktop.accessibility(), desktop.clock() };
    CommandVPaster paster { inspector, desktop.pasteboard(), desktop.keyboard() };
    ProcessIdentifier notes = 0;
    InspectedDestination target;
};

} // namespace

TEST_F(CommandVPasterTest, ConfirmsAtTheFirstCheckAfterActivation)
{
    TaskProbe<InspectedDestination> probe(paster.activateAndConfirm(target));
    EXPECT_EQ(desktop.workspace().activationRequests(), QList<ProcessIdentifier> { notes });
    desktop.advance(CommandVPaster::firstConfirmationDelay - 1ms);
    EXPECT_FALSE(probe.isDone());
    desktop.advance(1ms);
    ASSERT_TRUE(probe.value().has_value());
    EXPECT_EQ(probe.value()->processIdentifier, notes);
    EXPECT_TRUE(probe.value()->hasSameFocus(target));
    EXPECT_EQ(probe.value()->snapshot.pastedAt, desktop.clock().now());
}

TEST_F(CommandVPasterTest, KeepsCheckingUntilASlowApplicationComesForward)
{
    desktop.workspace().application(notes).activationDelay = 300ms;
    TaskProbe<InspectedDestination> probe(paster.activateAndConfirm(target));
    // Checks at 140, 200, 260 and 320 ms; the application is in front at 300.
    desktop.advance(319ms);
    EXPECT_FALSE(probe.isDone());
    desktop.advance(1ms);
    ASSERT_TRUE(probe.value().has_value());
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), notes);
}

TEST_F(CommandVPasterTest, ATargetThatNeverComesForwardIsUnavailableAfterTheLastCheck)
{
    desktop.workspace().application(notes).activationDelay.reset();
    TaskProbe<InspectedDestination> probe(paster.activateAndConfirm(target));
    const auto lastCheck = CommandVPaster::firstConfirmationDelay
        + CommandVPaster::additionalConfirmationAttempts * CommandVPaster::confirmationInterval;
    ASSERT_EQ(lastCheck, 680ms);
    desktop.advance(lastCheck - 1ms);
    EXPECT_FALSE(probe.isDone());
    desktop.advance(1ms);
    EXPECT_EQ(probe.errorAs<SystemIntegrationError>().value().kind(), Kind::targetApplicationUnavailable);
    EXPECT_EQ(desktop.clock().pendingCount(), 0);
}

TEST_F(CommandVPasterTest, AFocusThatMovedAwayIsATargetChange)
{
    TaskProbe<InspectedDestination> probe(paster.activateAndConfirm(target));
    desktop.advance(100ms);
    desktop.workspace().focus(notes, QStringLiteral("search"));
    desktop.advance(579ms);
    EXPECT_FALSE(probe.isDone());
    desktop.advance(1ms);
    EXPECT_EQ(probe.errorAs<SystemIntegrationError>().value().kind(), Kind::targetChanged);
}

TEST_F(CommandVPasterTest, AFocusThatReturnsBeforeTheLastCheckIsConfirmed)
{
    desktop.workspace().focus(notes, QStringLiteral("search"));
    TaskProbe<InspectedDestination> probe(paster.activateAndConfirm(target));
    desktop.advance(400ms);
    EXPECT_FALSE(probe.isDone());
    desktop.workspace().focus(notes, QStringLiteral("body"));
    // The next check, at 440 ms, sees the field the user left.
    desktop.advance(40ms);
    ASSERT_TRUE(probe.value().has_value());
    EXPECT_EQ(probe.value()->focusedElementIdentifier, QStringLiteral("body"));
}

TEST_F(CommandVPasterTest, AnotherApplicationTakingTheFrontAfterwardsIsATargetChange)
{
    const auto mail = desktop.launch(QStringLiteral("Mail"), QStringLiteral("org.example.Mail"));
    desktop.workspace().focus(notes, QStringLiteral("search"));
    TaskProbe<InspectedDestination> probe(paster.activateAndConfirm(target));
    desktop.advance(150ms);
    desktop.switchTo(mail);
    desktop.advance(1s);
    EXPECT_EQ(probe.errorAs<SystemIntegrationError>().value().kind(), Kind::targetChanged);
}

TEST_F(CommandVPasterTest, ActivationNeedsTrustAndARunningTarget)
{
    desktop.accessibility().setTrusted(false);
    TaskProbe<InspectedDestination> untrusted(paster.activateAndConfirm(target));
    EXPECT_EQ(
        untrusted.errorAs<SystemIntegrationError>().value().kind(), Kind::accessibilityPermissionMissing);
    EXPECT_TRUE(desktop.workspace().activationRequests().isEmpty());

    desktop.accessibility().setTrusted(true);
    TaskProbe<InspectedDestination> revoked(paster.activateAndConfirm(target));
    desktop.accessibility().setTrusted(false);
    desktop.advance(CommandVPaster::firstConfirmationDelay);
    EXPECT_EQ(revoked.errorAs<SystemIntegrationError>().value().kind(), Kind::accessibilityPermissionMissing);

    desktop.accessibility().setTrusted(true);
    desktop.workspace().application(notes).activationDelay = 1s;
    TaskProbe<InspectedDestination> quitting(paster.activateAndConfirm(target));
    desktop.workspace().terminate(notes);
    desktop.advance(CommandVPaster::firstConfirmationDelay);
    EXPECT_EQ(quitting.errorAs<SystemIntegrationError>().value().kind(), Kind::targetApplicationUnavailable);

    TaskProbe<InspectedDestination> gone(paster.activateAndConfirm(target));
    EXPECT_EQ(gone.errorAs<SystemIntegrationError>().value().kind(), Kind::targetApplicationUnavailable);
}

TEST_F(CommandVPasterTest, ReconfirmRequiresTheSameFrontmostFocus)
{
    desktop.switchTo(notes);
    const InspectedDestination fresh = paster.reconfirm(target);
    EXPECT_TRUE(fresh.hasSameFocus(target));

    desktop.workspace().focus(notes, QStringLiteral("search"));
    EXPECT_EQ(integrationFailureOf([&] { paster.reconfirm(target); }), Kind::targetChanged);
    desktop.workspace().focus(notes, QStringLiteral("body"));

    desktop.workspace().application(notes).elements[0].windowTitle = QStringLiteral("Another note");
    EXPECT_EQ(integrationFailureOf([&] { paster.reconfirm(target); }), Kind::targetChanged);
    desktop.workspace().application(notes).elements[0].windowTitle = QStringLiteral("Daily note");

    desktop.switchTo(desktop.ownProcessIdentifier());
    EXPECT_EQ(integrationFailureOf([&] { paster.reconfirm(target); }), Kind::targetChanged);

    desktop.switchTo(notes);
    desktop.accessibility().setTrusted(false);
    EXPECT_EQ(integrationFailureOf([&] { paster.reconfirm(target); }), Kind::accessibilityPermissionMissing);
}

TEST_F(CommandVPasterTest, PostsOnePasteThatLandsInTheTargetField)
{
    desktop.pasteboard().setText(QStringLiteral("a quote"));
    desktop.switchTo(notes);
    desktop.advance(2s);
    const auto expectation = PasteboardContentExpectation::text(
        PasteboardTextSnapshot { desktop.pasteboard().changeCount(), QStringLiteral("a quote") });

    const DestinationSnapshot destination = paster.postPaste(target, expectation);
    EXPECT_EQ(destination.applicationName, QStringLiteral("Obsidian"));
    EXPECT_EQ(destination.fieldLabel, QStringLiteral("Body"));
    EXPECT_EQ(destination.pastedAt, desktop.clock().now());
    EXPECT_EQ(desktop.focusedText(notes), QStringLiteral("a quote"));

    const QList<SimulatedKeyEvent> own = desktop.keyboard().ownEvents();
    ASSERT_EQ(own.size(), 2);
    EXPECT_TRUE(own[0].isKeyDown);
    EXPECT_FALSE(own[1].isKeyDown);
    EXPECT_EQ(own[0].keys, SimulatedKeyboard::pasteKeys);
    EXPECT_EQ(own[0].target, notes);
}

TEST_F(CommandVPasterTest, AChangedPasteboardStopsThePasteBeforeAnyKey)
{
    desktop.pasteboard().setText(QStringLiteral("a quote"));
    const auto expectation = PasteboardContentExpectation::text(
        PasteboardTextSnapshot { desktop.pasteboard().changeCount(), QStringLiteral("a quote") });
    desktop.pasteboard().setText(QStringLiteral("copied meanwhile"));
    desktop.switchTo(notes);

    EXPECT_EQ(integrationFailureOf([&] { paster.postPaste(target, expectation); }), Kind::clipboardChanged);
    EXPECT_TRUE(desktop.keyboard().ownEvents().isEmpty());
    EXPECT_TRUE(desktop.focusedText(notes).isEmpty());
}

TEST_F(CommandVPasterTest, WithoutAnExpectationThePasteboardIsNotRead)
{
    desktop.pasteboard().setText(QStringLiteral("secret"));
    int reads = 0;
    desktop.pasteboard().setReadHook([&](const QString &) { ++reads; });
    desktop.keyboard().setEventCreationFails(true);
    desktop.switchTo(notes);

    EXPECT_EQ(
        integrationFailureOf([&] { paster.postPaste(target, std::nullopt); }), Kind::eventCreationFailed);
    EXPECT_EQ(reads, 0);
    EXPECT_TRUE(desktop.keyboard().ownEvents().isEmpty());
}

TEST_F(CommandVPasterTest, ATargetThatChangedGetsNoKeyEvent)
{
    desktop.pasteboard().setText(QStringLiteral("a quote"));
    desktop.switchTo(notes);
    desktop.workspace().focus(notes, QStringLiteral("search"));
    EXPECT_EQ(integrationFailureOf([&] { paster.postPaste(target, std::nullopt); }), Kind::targetChanged);
    EXPECT_TRUE(desktop.keyboard().ownEvents().isEmpty());
}
