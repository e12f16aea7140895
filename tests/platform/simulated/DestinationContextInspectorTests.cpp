#include "IntegrationFailure.h"

#include "platform/DestinationContextInspector.h"
#include "platform/SystemIntegrationError.h"
#include "platform/simulated/SimulatedDesktop.h"

#include <gtest/gtest.h>

using namespace tovra;
using tovra::testing::integrationFailureOf;
using Kind = SystemIntegrationError::Kind;

namespace {

SimulatedElement passwordField()
{
    SimulatedElement field;
    field.identifier = QStringLiteral("password");
    field.windowTitle = QStringLiteral("Sign in");
    field.role = QStringLiteral("password text");
    field.label = QStringLiteral("Password");
    field.isSecure = true;
    return field;
}

class DestinationContextInspectorTest : public ::testing::Test {
protected:
    SimulatedDesktop desktop;
    DestinationContextInspector inspector { desktop.ownProcessIdentifier(), desktop.workspace(),
        desktop.accessibility(), desktop.clock() };
};

} // namespace

TEST_F(DestinationContextInspectorTest, DescribesTheFocusedFieldOfTheFrontmostApplication)
{
    const auto browser = desktop.launch(
        QStringLiteral("Browser"), QStringLiteral("org.example.Browser"), { passwordField() });
    desktop.switchTo(browser);
    desktop.advance(std::chrono::seconds(5));

    const InspectedDestination destination = inspector.inspect();
    EXPECT_EQ(destination.processIdentifier, browser);
    EXPECT_EQ(destination.focusedElementIdentifier, QStringLiteral("password"));
    const DestinationSnapshot &snapshot = destination.snapshot;
    EXPECT_EQ(snapshot.applicationName, QStringLiteral("Browser"));
    EXPECT_EQ(snapshot.bundleIdentifier, QStringLiteral("org.example.Browser"));
    EXPECT_EQ(snapshot.windowTitle, QStringLiteral("Sign in"));
    EXPECT_EQ(snapshot.accessibilityRole, QStringLiteral("password text"));
    EXPECT_EQ(snapshot.fieldLabel, QStringLiteral("Password"));
    EXPECT_TRUE(snapshot.isSecureTextEntry);
    EXPECT_EQ(snapshot.isEditableTextTarget, true);
    EXPECT_EQ(snapshot.pastedAt, desktop.clock().now());
    EXPECT_EQ(desktop.accessibility().messagingTimeout(),
        DestinationContextInspector::accessibilityMessagingTimeout);
}

TEST_F(
    DestinationContextInspectorTest, WhileOurOwnOrASystemWindowIsInFrontTheLastExternalApplicationIsTheTarget)
{
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    const auto notes = desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian"));
    const auto shell = desktop.launch(QStringLiteral("GNOME Shell"), QStringLiteral("org.gnome.shell"));
    desktop.switchTo(editor);
    inspector.start();
    EXPECT_EQ(inspector.rememberedProcessIdentifier(), editor);
    desktop.switchTo(desktop.ownProcessIdentifier());
    EXPECT_EQ(inspector.inspect().processIdentifier, editor);

    desktop.switchTo(notes);
    desktop.switchTo(shell);
    EXPECT_EQ(inspector.rememberedProcessIdentifier(), notes);
    EXPECT_EQ(inspector.inspect().processIdentifier, notes);

    // A remembered application that quit is forgotten.
    desktop.switchTo(desktop.ownProcessIdentifier());
    desktop.workspace().terminate(notes);
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(); }), Kind::noTargetApplication);
    EXPECT_FALSE(inspector.rememberedProcessIdentifier().has_value());
}

TEST_F(DestinationContextInspectorTest, WithoutAnyEligibleApplicationThereIsNoTarget)
{
    inspector.start();
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(); }), Kind::noTargetApplication);
    desktop.switchTo(desktop.ownProcessIdentifier());
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(); }), Kind::noTargetApplication);
    for (const std::optional<QString> &bundle :
        { std::optional<QString>(), std::optional<QString>(QString()) }) {
        desktop.switchTo(desktop.launch(QStringLiteral("Unnamed tool"), bundle));
        EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(); }), Kind::noTargetApplication);
    }
}

TEST_F(DestinationContextInspectorTest, InspectingAProcessNeedsItRunningAndTrust)
{
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(4242); }), Kind::targetApplicationUnavailable);

    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    desktop.accessibility().setTrusted(false);
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(editor); }), Kind::accessibilityPermissionMissing);
    desktop.switchTo(editor);
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(); }), Kind::accessibilityPermissionMissing);

    desktop.accessibility().setTrusted(true);
    desktop.workspace().terminate(editor);
    EXPECT_EQ(integrationFailureOf([&] { inspector.inspect(editor); }), Kind::targetApplicationUnavailable);
}

TEST_F(DestinationContextInspectorTest, AnApplicationThatExposesNothingIsDescribedByItsIdentityAlone)
{
    const auto legacy = desktop.launch(QString(), QStringLiteral("org.example.Legacy"));
    desktop.workspace().application(legacy).exposesAccessibility = false;
    const InspectedDestination destination = inspector.inspect(legacy);
    EXPECT_EQ(destination.snapshot.applicationName, QStringLiteral("org.example.Legacy"))
        << "without a name, the identifier names it";
    EXPECT_EQ(destination.snapshot.bundleIdentifier, QStringLiteral("org.example.Legacy"));
    EXPECT_FALSE(destination.snapshot.windowTitle.has_value());
    EXPECT_FALSE(destination.snapshot.accessibilityRole.has_value());
    EXPECT_FALSE(destination.snapshot.isSecureTextEntry);
    EXPECT_FALSE(destination.snapshot.isEditableTextTarget.has_value());
    EXPECT_FALSE(destination.focusedElementIdentifier.has_value());
    EXPECT_FALSE(destination.snapshot.isFocusExposed) << "it cannot tell a password field";
    desktop.workspace().application(legacy).exposesAccessibility = true;
    EXPECT_TRUE(inspector.inspect(legacy).snapshot.isFocusExposed);
}

TEST(InspectedDestination, SameFocusComparesPlaceNotTime)
{
    InspectedDestination first;
    first.processIdentifier = 7;
    first.focusedElementIdentifier = QStringLiteral("a");
    first.windowIdentifier = QStringLiteral("w1");
    first.snapshot.bundleIdentifier = QStringLiteral("org.example.Editor");
    first.snapshot.windowTitle = QStringLiteral("Draft");
    first.snapshot.accessibilityRole = QStringLiteral("text");
    first.snapshot.pastedAt = QDateTime::fromSecsSinceEpoch(1, Qt::UTC);

    InspectedDestination later = first;
    later.snapshot.pastedAt = QDateTime::fromSecsSinceEpoch(99, Qt::UTC);
    EXPECT_TRUE(first.hasSameFocus(later));

    InspectedDestination unidentified = first;
    unidentified.focusedElementIdentifier.reset();
    EXPECT_TRUE(first.hasSameFocus(unidentified));

    // A title is compared only where the field has no identity to compare.
    InspectedDestination retitled = first;
    retitled.snapshot.windowTitle = QStringLiteral("(1) Other");
    EXPECT_TRUE(first.hasSameFocus(retitled));
    retitled.focusedElementIdentifier.reset();
    EXPECT_FALSE(first.hasSameFocus(retitled));

    auto differs = [&first](auto change) {
        InspectedDestination other = first;
        change(other);
        return !first.hasSameFocus(other);
    };
    EXPECT_TRUE(differs([](auto &d) { d.processIdentifier = 8; }));
    EXPECT_TRUE(differs([](auto &d) { d.focusedElementIdentifier = QStringLiteral("b"); }));
    EXPECT_TRUE(differs([](auto &d) { d.windowIdentifier = QStringLiteral("w2"); }));
    EXPECT_TRUE(differs([](auto &d) { d.snapshot.accessibilityRole = QStringLiteral("entry"); }));
    EXPECT_TRUE(differs([](auto &d) { d.snapshot.fieldLabel = QStringLiteral("Search"); }));
    EXPECT_TRUE(differs([](auto &d) { d.snapshot.isSecureTextEntry = true; }));
    EXPECT_TRUE(differs([](auto &d) { d.snapshot.isEditableTextTarget = false; }));
}
