#include "X11TestSupport.h"

#include "platform/CommandVPaster.h"
#include "platform/DestinationContextInspector.h"
#include "platform/PasteboardContentExpectation.h"
#include "platform/SystemClock.h"
#include "platform/SystemIntegrationError.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/DesktopEntryIndex.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyEventPoster.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/X11Workspace.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

#include <X11/Xlib.h>

using namespace tovra;
using tovra::testing::waitUntil;
using tovra::testing::X11TestClient;

namespace {

void setAccessibilityEnabled(bool enabled)
{
    QDBusMessage request
        = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    request << QStringLiteral("org.a11y.Status") << QStringLiteral("IsEnabled")
            << QVariant::fromValue(QDBusVariant(enabled));
    QDBusConnection::sessionBus().call(request);
}

class X11AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(connection.isUsable()) << "no X display";
        ASSERT_TRUE(accessibility.isProcessTrusted()) << "the desktop session enables accessibility";
        ASSERT_TRUE(client.start());
    }

    void focus(const QByteArray &field)
    {
        ASSERT_TRUE(client.request("focus " + field, "ok"));
        ASSERT_TRUE(
            waitUntil([&] { return windows.processOf(windows.focusedWindow()) == client.processId(); }));
    }

    // The first answer of a freshly started application can take a while,
    // and the focus reaches the bridge a little after the window.
    std::optional<FocusedElement> waitForFocusedElementLabelled(const QString &label)
    {
        std::optional<FocusedElement> element;
        waitUntil([&] {
            const FocusReading reading = accessibility.readFocus(ProcessIdentifier(client.processId()));
            if (reading.kind == FocusReading::Kind::known)
                element = reading.element;
            return element && element->label == label;
        });
        return element;
    }

    X11Connection connection;
    X11Windows windows { connection };
    DesktopEntryIndex entries { QStringList {} };
    SystemClock systemClock;
    AtspiAccessibility accessibility { entries, systemClock };
    X11TestClient client;
};

TEST_F(X11AccessibilityTest, TheFocusedFieldIsDescribedAndAPasswordFieldIsSecure)
{
    focus("plain");
    const auto plain = waitForFocusedElementLabelled(QStringLiteral("Plain field"));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->role, QStringLiteral("text"));
    EXPECT_FALSE(plain->isSecure);
    EXPECT_EQ(plain->isEditable, true);
    EXPECT_EQ(plain->windowTitle, QStringLiteral("Tovra test client"));
    ASSERT_TRUE(plain->identifier);

    focus("password");
    const auto secret = waitForFocusedElementLabelled(QStringLiteral("Secret field"));
    ASSERT_TRUE(secret);
    EXPECT_EQ(secret->role, QStringLiteral("password text"));
    EXPECT_TRUE(secret->isSecure);
    EXPECT_EQ(secret->isEditable, true);
    ASSERT_TRUE(secret->identifier);
    EXPECT_NE(secret->identifier, plain->identifier);

    // A process without accessible windows exposes no focus.
    EXPECT_EQ(accessibility.readFocus(ProcessIdentifier(getpid())).kind, FocusReading::Kind::notExposed);
    EXPECT_EQ(accessibility.readFocus(0).kind, FocusReading::Kind::notExposed);
}

// A keyboard grab (as a hot key's, from its press to its release) makes the
// toolkit drop the field's focus: the focus is unknown while it lasts, never
// an empty field, and known again once the grab ends.
TEST_F(X11AccessibilityTest, UnderAKeyboardGrabTheFocusIsUnknownAndComesBackAfterIt)
{
    focus("password");
    ASSERT_TRUE(waitForFocusedElementLabelled(QStringLiteral("Secret field")));
    const auto pid = ProcessIdentifier(client.processId());

    Display *display = connection.display();
    ASSERT_EQ(
        XGrabKeyboard(display, connection.rootWindow(), False, GrabModeAsync, GrabModeAsync, CurrentTime),
        GrabSuccess);
    XSync(display, False);
    EXPECT_TRUE(waitUntil([&] { return accessibility.readFocus(pid).kind == FocusReading::Kind::unknown; }));
    XUngrabKeyboard(display, CurrentTime);
    XSync(display, False);

    const auto secret = waitForFocusedElementLabelled(QStringLiteral("Secret field"));
    ASSERT_TRUE(secret);
    EXPECT_TRUE(secret->isSecure);
}

TEST_F(X11AccessibilityTest, TrustFollowsTheAccessibilitySwitchAndTheRequestTurnsItOn)
{
    struct SwitchedBackOn {
        ~SwitchedBackOn() { setAccessibilityEnabled(true); }
    } switchedBackOn;
    setAccessibilityEnabled(false);
    EXPECT_FALSE(accessibility.isProcessTrusted());
    EXPECT_EQ(
        accessibility.readFocus(ProcessIdentifier(client.processId())).kind, FocusReading::Kind::notExposed);
    EXPECT_TRUE(accessibility.requestTrustWithPrompt());
    EXPECT_TRUE(accessibility.isProcessTrusted());
}

TEST_F(X11AccessibilityTest, TheInspectorAndThePasterWorkOnTheRealDesktop)
{
    X11Workspace workspace(connection, entries);
    SystemClock clock;
    DestinationContextInspector inspector(ProcessIdentifier(getpid()), workspace, accessibility, clock);
    inspector.start();
    X11Pasteboard pasteboard(connection);
    X11Keyboard keyboard(connection);
    X11KeyEventPoster poster(connection, keyboard, nullptr);
    CommandVPaster paster(inspector, pasteboard, poster);

    focus("password");
    ASSERT_TRUE(waitForFocusedElementLabelled(QStringLiteral("Secret field")));
    const InspectedDestination secret = inspector.inspect();
    EXPECT_EQ(secret.processIdentifier, ProcessIdentifier(client.processId()));
    EXPECT_TRUE(secret.snapshot.isSecureTextEntry);

    focus("plain");
    ASSERT_TRUE(waitForFocusedElementLabelled(QStringLiteral("Plain field")));
    const InspectedDestination target = inspector.inspect();
    EXPECT_EQ(target.snapshot.fieldLabel, QStringLiteral("Plain field"));
    EXPECT_EQ(target.snapshot.isEditableTextTarget, true);
    EXPECT_FALSE(target.snapshot.isSecureTextEntry);
    ASSERT_TRUE(target.snapshot.bundleIdentifier);
    EXPECT_FALSE(target.hasSameFocus(secret));

    ASSERT_TRUE(pasteboard.writeText(QStringLiteral("cited text")));
    const auto expectation = PasteboardContentExpectation::text(
        PasteboardTextSnapshot { pasteboard.changeCount(), QStringLiteral("cited text") });
    const DestinationSnapshot pasted = paster.postPaste(target, expectation);
    EXPECT_EQ(pasted.fieldLabel, QStringLiteral("Plain field"));
    ASSERT_TRUE(client.takeLine("key plain ctrl+v"));
    EXPECT_EQ(client.request("field-text plain", "field-text "), QByteArray("cited text").toBase64());

    // With the focus moved to another field the paste is refused.
    focus("password");
    ASSERT_TRUE(waitForFocusedElementLabelled(QStringLiteral("Secret field")));
    try {
        paster.postPaste(target, std::nullopt);
        FAIL() << "pasted into a field the user did not mean";
    } catch (const SystemIntegrationError &error) {
        EXPECT_EQ(error.kind(), SystemIntegrationError::Kind::targetChanged);
    }
    EXPECT_EQ(client.request("field-text password", "field-text "), QByteArray());
}

TEST(AtspiAccessibilityWithoutBusTest, IsNotTrustedAndAnswersNothing)
{
    DesktopEntryIndex entries(QStringList {});
    const QDBusConnection missing = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/tovra-bus"), QStringLiteral("tovra-missing-bus"));
    ASSERT_FALSE(missing.isConnected());
    SystemClock clock;
    AtspiAccessibility accessibility(entries, clock, missing);
    EXPECT_FALSE(accessibility.isProcessTrusted());
    EXPECT_FALSE(accessibility.requestTrustWithPrompt());
    EXPECT_EQ(accessibility.readFocus(ProcessIdentifier(getpid())).kind, FocusReading::Kind::notExposed);
}

TEST(AtspiAccessibilitySettingsTest, OpensTheDesktopsOwnAccessibilitySettingsWhereInstalled)
{
    QTemporaryDir applications;
    ASSERT_TRUE(applications.isValid());
    QFile entry(applications.filePath(QStringLiteral("xfce4-accessibility-settings.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Accessibility\nExec=xfce4-accessibility-settings\n");
    entry.close();
    DesktopEntryIndex entries({ applications.path() });
    const QDBusConnection bus = QDBusConnection::sessionBus();
    SystemClock clock;

    EXPECT_EQ(AtspiAccessibility(entries, clock, bus, { QStringLiteral("XFCE") }).systemSettingsURL(),
        QUrl::fromLocalFile(entry.fileName()));
    EXPECT_FALSE(AtspiAccessibility(entries, clock, bus, { QStringLiteral("GNOME") }).systemSettingsURL());
    EXPECT_FALSE(AtspiAccessibility(entries, clock, bus, {}).systemSettingsURL());
}

} // namespace
