#include "X11TestSupport.h"

#include "platform/GlobalClipboardCommandObserver.h"
#include "platform/GlobalHotKeyController.h"
#include "platform/NotificationCenter.h"
#include "platform/SystemClock.h"
#include "platform/SystemIntegrationError.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKeyRegistrar.h"
#include "platform/x11/X11InputMonitoring.h"
#include "platform/x11/X11KeyCommandTap.h"
#include "platform/x11/X11KeyEventPoster.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Windows.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/keysym.h>

using namespace tovra;
using tovra::testing::Typist;
using tovra::testing::waitUntil;
using tovra::testing::X11TestClient;

namespace {

class X11KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(connection.isUsable()) << "no X display"; }

    // Starts the client and waits until its plain field has the focus.
    void startFocusedClient()
    {
        ASSERT_TRUE(client.start());
        ASSERT_TRUE(client.request("focus plain", "ok"));
        ASSERT_TRUE(
            waitUntil([&] { return windows.processOf(windows.focusedWindow()) == client.processId(); }));
    }

    X11Connection connection;
    X11Keyboard keyboard { connection };
    X11Windows windows { connection };
    SystemClock clock;
    X11TestClient client;
    Typist typist;
};

TEST_F(X11KeyboardTest, TheHotKeyFiresForAnotherClientsKeysAlsoUnderLocks)
{
    X11HotKeyRegistrar registrar(connection, keyboard);
    GlobalHotKeyController controller(registrar, fourCharCode("TOVR"), 1);
    int notifications = 0;
    QObject receiver;
    QObject::connect(&NotificationCenter::shared(), &NotificationCenter::posted, &receiver,
        [&](const QString &name) { notifications += name == tracePasteHotKeyNotification; });
    controller.registerHotKey();
    ASSERT_TRUE(controller.isRegistered());

    typist.chord({ XK_Alt_L, XK_Shift_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return notifications == 1; }));

    // Alt+V alone is not the hot key.
    typist.chord({ XK_Alt_L }, XK_v);
    typist.chord({}, XK_Num_Lock);
    ASSERT_NE(typist.lockedModifiers() & Mod2Mask, 0u);
    typist.chord({ XK_Alt_L, XK_Shift_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return notifications == 2; }));
    typist.chord({}, XK_Num_Lock);
    typist.chord({}, XK_Caps_Lock);
    ASSERT_EQ(typist.lockedModifiers(), unsigned(LockMask));
    typist.chord({ XK_Alt_L, XK_Shift_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return notifications == 3; }));
    typist.chord({}, XK_Caps_Lock);
    ASSERT_EQ(typist.lockedModifiers(), 0u);

    // The press counts once V is let go, whenever the modifiers are: while it
    // is down, the grab keeps the focus from the field the user typed in.
    typist.press(XK_Alt_L);
    typist.press(XK_Shift_L);
    typist.press(XK_v);
    EXPECT_FALSE(waitUntil([&] { return notifications == 4; }, std::chrono::milliseconds(300)));
    typist.release(XK_v);
    ASSERT_TRUE(waitUntil([&] { return notifications == 4; }));
    typist.release(XK_Shift_L);
    typist.release(XK_Alt_L);

    // Holding the keys is one press, however long the server repeats it.
    typist.press(XK_Alt_L);
    typist.press(XK_Shift_L);
    typist.press(XK_v);
    typist.press(XK_v);
    typist.release(XK_v);
    typist.release(XK_Shift_L);
    typist.release(XK_Alt_L);
    typist.chord({ XK_Alt_L, XK_Shift_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return notifications == 6; }));
    EXPECT_EQ(notifications, 6);
}

TEST_F(X11KeyboardTest, AHotKeyHeldByAnotherClientIsARegistrationFailureWithItsStatus)
{
    Display *other = typist.display();
    const int keycode = XKeysymToKeycode(other, XK_v);
    XGrabKey(
        other, keycode, Mod1Mask | ShiftMask, DefaultRootWindow(other), False, GrabModeAsync, GrabModeAsync);
    XSync(other, False);

    X11HotKeyRegistrar registrar(connection, keyboard);
    GlobalHotKeyController controller(registrar, fourCharCode("TOVR"), 1);
    try {
        controller.registerHotKey();
        FAIL() << "registered a hot key another client holds";
    } catch (const SystemIntegrationError &error) {
        EXPECT_EQ(error.kind(), SystemIntegrationError::Kind::hotKeyRegistrationFailed);
        EXPECT_EQ(error.status(), BadAccess);
        EXPECT_TRUE(error.localizedDescription().contains(QString::number(BadAccess)));
    }
    EXPECT_FALSE(controller.isRegistered());

    // Once the other client lets go, trying again succeeds.
    XUngrabKey(other, keycode, Mod1Mask | ShiftMask, DefaultRootWindow(other));
    XSync(other, False);
    controller.registerHotKey();
    EXPECT_TRUE(controller.isRegistered());
    EXPECT_EQ(registrar.registerHotKey(QKeyCombination(Qt::AltModifier, Qt::Key_Backspace), 1, 2),
        X11HotKeyRegistrar::unsupportedKeyStatus);
}

TEST_F(X11KeyboardTest, CopyCutAndPasteAreObservedWithoutBeingTakenFromTheApplication)
{
    startFocusedClient();
    X11KeyCommandTap tap(keyboard, windows, clock);
    X11InputMonitoring inputMonitoring(keyboard);
    EXPECT_TRUE(inputMonitoring.isTrusted());
    EXPECT_FALSE(inputMonitoring.systemSettingsURL());
    GlobalClipboardCommandObserver observer(tap, inputMonitoring);
    QList<ClipboardCommandEvent> events;
    observer.start([&](const ClipboardCommandEvent &event) { events.append(event); });

    const QDateTime before = clock.now();
    typist.chord({ XK_Control_L }, XK_c);
    ASSERT_TRUE(waitUntil([&] { return events.size() == 1; }));
    EXPECT_EQ(events[0].kind, ClipboardCommandKind::copy);
    EXPECT_EQ(events[0].targetProcessIdentifier, ProcessIdentifier(client.processId()));
    EXPECT_GE(events[0].occurredAt, before);
    // The client got its Ctrl+C all the same.
    EXPECT_TRUE(client.takeLine("key plain ctrl+c"));

    // Other modifiers make other commands, which are not reported.
    typist.chord({ XK_Control_L, XK_Shift_L }, XK_c);
    typist.chord({ XK_Control_L, XK_Alt_L }, XK_v);
    typist.chord({}, XK_c);
    typist.chord({ XK_Control_L }, XK_x);
    typist.chord({ XK_Control_R }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return events.size() == 3; }));
    EXPECT_EQ(events[1].kind, ClipboardCommandKind::cut);
    EXPECT_EQ(events[2].kind, ClipboardCommandKind::paste);
    EXPECT_TRUE(client.takeLine("key plain ctrl+x"));
    EXPECT_TRUE(client.takeLine("key plain ctrl+v"));

    observer.stop();
    typist.chord({ XK_Control_L }, XK_c);
    EXPECT_TRUE(client.takeLine("key plain ctrl+c"));
    EXPECT_EQ(events.size(), 3);
}

TEST_F(X11KeyboardTest, OurPastePastesIntoTheFocusedFieldAndIsNotObserved)
{
    startFocusedClient();
    X11Pasteboard pasteboard(connection);
    X11KeyCommandTap tap(keyboard, windows, clock);
    QList<ClipboardCommandEvent> events;
    ASSERT_TRUE(tap.install([&](const ClipboardCommandEvent &event) { events.append(event); }));
    X11KeyEventPoster poster(connection, keyboard, &tap);

    ASSERT_TRUE(pasteboard.writeText(QStringLiteral("pasted by Tovra")));
    ASSERT_TRUE(poster.postPasteShortcut(PasteShortcut::standard));
    ASSERT_TRUE(client.takeLine("key plain ctrl+v"));
    EXPECT_EQ(client.request("field-text plain", "field-text "), QByteArray("pasted by Tovra").toBase64());

    // The user's own Ctrl+V afterwards is reported as usual and still pastes.
    // Its transfer is served here, while this test still answers for the
    // clipboard; left pending, it would hold the client until Qt gives up.
    typist.chord({ XK_Control_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }));
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].kind, ClipboardCommandKind::paste);
    ASSERT_TRUE(client.takeLine("key plain ctrl+v"));
    EXPECT_EQ(client.request("field-text plain", "field-text "),
        QByteArray("pasted by Tovrapasted by Tovra").toBase64());
}

// Our Ctrl+Shift+V is no Ctrl+V to the tap: the user's next paste, even one
// typed through XTest like ours, is still reported.
TEST_F(X11KeyboardTest, OurTerminalPasteIsCtrlShiftVAndHidesNoPasteOfTheUser)
{
    startFocusedClient();
    X11Pasteboard pasteboard(connection);
    X11KeyCommandTap tap(keyboard, windows, clock);
    QList<ClipboardCommandEvent> events;
    ASSERT_TRUE(tap.install([&](const ClipboardCommandEvent &event) { events.append(event); }));
    X11KeyEventPoster poster(connection, keyboard, &tap);

    ASSERT_TRUE(pasteboard.writeText(QStringLiteral("x")));
    ASSERT_TRUE(poster.postPasteShortcut(PasteShortcut::terminal));
    ASSERT_TRUE(client.takeLine("key plain ctrl+shift+v"));
    typist.chord({ XK_Control_L }, XK_v);
    ASSERT_TRUE(waitUntil([&] { return !events.isEmpty(); }));
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].kind, ClipboardCommandKind::paste);
    ASSERT_TRUE(client.takeLine("key plain ctrl+v"));
    EXPECT_EQ(client.request("field-text plain", "field-text "), QByteArray("x").toBase64());
}

TEST_F(X11KeyboardTest, ThePasteWaitsForHeldModifiersAndGivesUpWithoutPosting)
{
    startFocusedClient();
    X11Pasteboard pasteboard(connection);
    ASSERT_TRUE(pasteboard.writeText(QStringLiteral("x")));
    X11KeyEventPoster impatient(connection, keyboard, nullptr, std::chrono::milliseconds(200));

    typist.press(XK_Alt_L);
    EXPECT_NE(keyboard.heldModifiers() & X11Keyboard::mod1, 0u);
    EXPECT_FALSE(impatient.waitForModifierRelease());
    EXPECT_FALSE(impatient.postPasteShortcut(PasteShortcut::standard));
    typist.release(XK_Alt_L);
    EXPECT_TRUE(impatient.waitForModifierRelease());
    EXPECT_EQ(keyboard.heldModifiers() & X11Keyboard::mod1, 0u);
    EXPECT_TRUE(impatient.postPasteShortcut(PasteShortcut::standard));
    // Only the second attempt reached the client.
    ASSERT_TRUE(client.takeLine("key plain ctrl+v"));
    EXPECT_EQ(client.request("field-text plain", "field-text "), QByteArray("x").toBase64());
}

TEST(X11KeyboardWithoutDisplayTest, EveryKeyServiceSaysItIsUnavailable)
{
    X11Connection connection(QByteArrayLiteral(":4711"));
    X11Keyboard keyboard(connection);
    X11Windows windows(connection);
    SystemClock clock;
    X11InputMonitoring inputMonitoring(keyboard);
    EXPECT_FALSE(inputMonitoring.isTrusted());
    EXPECT_FALSE(inputMonitoring.requestAccess());

    X11KeyCommandTap tap(keyboard, windows, clock);
    GlobalClipboardCommandObserver observer(tap, inputMonitoring);
    try {
        observer.start([](const ClipboardCommandEvent &) {});
        FAIL() << "observation started without a display";
    } catch (const SystemIntegrationError &error) {
        EXPECT_EQ(error.kind(), SystemIntegrationError::Kind::inputMonitoringPermissionMissing);
    }
    EXPECT_FALSE(tap.install([](const ClipboardCommandEvent &) {}));

    X11KeyEventPoster poster(connection, keyboard, &tap);
    EXPECT_FALSE(poster.postPasteShortcut(PasteShortcut::standard));

    X11HotKeyRegistrar registrar(connection, keyboard);
    GlobalHotKeyController controller(registrar, fourCharCode("TOVR"), 1);
    try {
        controller.registerHotKey();
        FAIL() << "hot key registered without a display";
    } catch (const SystemIntegrationError &error) {
        EXPECT_EQ(error.kind(), SystemIntegrationError::Kind::hotKeyHandlerInstallationFailed);
        EXPECT_EQ(error.status(), X11HotKeyRegistrar::noDisplayStatus);
    }
}

} // namespace
