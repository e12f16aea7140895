#include "IntegrationFailure.h"

#include "platform/GlobalClipboardCommandObserver.h"
#include "platform/GlobalHotKeyController.h"
#include "platform/NotificationCenter.h"
#include "platform/SystemIntegrationError.h"
#include "platform/simulated/SimulatedDesktop.h"

#include <QStringList>

#include <gtest/gtest.h>

using namespace tovra;
using Kind = SystemIntegrationError::Kind;

namespace {

class KeyObservationTest : public ::testing::Test {
protected:
    std::optional<Kind> startFailure()
    {
        return tovra::testing::integrationFailureOf(
            [this] { observer.start([this](const ClipboardCommandEvent &event) { events.append(event); }); });
    }

    SimulatedDesktop desktop;
    GlobalClipboardCommandObserver observer { desktop.keyboard(), desktop.inputMonitoring() };
    QList<ClipboardCommandEvent> events;
};

// Collects the app-wide notifications posted while it lives.
class NotificationRecorder {
public:
    NotificationRecorder()
    {
        m_connection = QObject::connect(&NotificationCenter::shared(), &NotificationCenter::posted,
            [this](const QString &name) { names.append(name); });
    }
    ~NotificationRecorder() { QObject::disconnect(m_connection); }

    QStringList names;

private:
    QMetaObject::Connection m_connection;
};

} // namespace

TEST_F(KeyObservationTest, ReportsTheUsersShortcutsWithTheirApplicationAndTime)
{
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    ASSERT_EQ(startFailure(), std::nullopt);
    EXPECT_TRUE(observer.isRunning());

    desktop.copyText(editor, QStringLiteral("copied"));
    desktop.advance(std::chrono::milliseconds(250));
    desktop.keyboard().pressClipboardShortcut(ClipboardCommandKind::cut);
    desktop.pasteByUser(editor);

    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0].kind, ClipboardCommandKind::copy);
    EXPECT_EQ(events[0].targetProcessIdentifier, editor);
    EXPECT_EQ(events[0].occurredAt, SimulatedClock::defaultStart());
    EXPECT_EQ(events[1].kind, ClipboardCommandKind::cut);
    EXPECT_EQ(events[1].occurredAt, SimulatedClock::defaultStart().addMSecs(250));
    EXPECT_EQ(events[2].kind, ClipboardCommandKind::paste);
    // The user's own paste still happens: observation only listens.
    EXPECT_EQ(desktop.focusedText(editor), QStringLiteral("copied"));
}

TEST_F(KeyObservationTest, NeverReportsThePasteThisProgramPosts)
{
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    desktop.switchTo(editor);
    ASSERT_EQ(startFailure(), std::nullopt);
    ASSERT_TRUE(desktop.keyboard().postPasteShortcut());
    EXPECT_TRUE(events.isEmpty());
    EXPECT_EQ(desktop.keyboard().ownEvents().size(), 2);
}

TEST_F(KeyObservationTest, StartingNeedsInputMonitoring)
{
    desktop.inputMonitoring().setTrusted(false);
    EXPECT_EQ(startFailure(), Kind::inputMonitoringPermissionMissing);
    EXPECT_FALSE(observer.isRunning());
    EXPECT_FALSE(desktop.keyboard().isObserving());
}

TEST_F(KeyObservationTest, AnObservationThatCannotBeSetUpIsReported)
{
    desktop.keyboard().setObservationFails(true);
    EXPECT_EQ(startFailure(), Kind::eventTapCreationFailed);
    EXPECT_FALSE(observer.isRunning());

    desktop.keyboard().setObservationFails(false);
    EXPECT_EQ(startFailure(), std::nullopt);
    EXPECT_TRUE(observer.isRunning());
}

TEST_F(KeyObservationTest, ASecondStartKeepsTheFirstHandlerAndStopEndsReports)
{
    ASSERT_EQ(startFailure(), std::nullopt);
    int secondHandlerCalls = 0;
    observer.start([&](const ClipboardCommandEvent &) { ++secondHandlerCalls; });
    desktop.keyboard().pressClipboardShortcut(ClipboardCommandKind::copy);
    EXPECT_EQ(events.size(), 1);
    EXPECT_EQ(secondHandlerCalls, 0);

    observer.stop();
    EXPECT_FALSE(observer.isRunning());
    EXPECT_FALSE(desktop.keyboard().isObserving());
    desktop.keyboard().pressClipboardShortcut(ClipboardCommandKind::copy);
    EXPECT_EQ(events.size(), 1);
    observer.stop();
    EXPECT_FALSE(observer.isRunning());
}

TEST_F(KeyObservationTest, TheEventCarriesTheTargetTheSystemNames)
{
    const auto shell = desktop.launch(QStringLiteral("Shell"), QStringLiteral("org.gnome.shell"));
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    desktop.switchTo(shell);
    ASSERT_EQ(startFailure(), std::nullopt);
    desktop.keyboard().pressClipboardShortcut(ClipboardCommandKind::copy, editor);
    ASSERT_EQ(events.size(), 1);
    EXPECT_EQ(events[0].targetProcessIdentifier, editor);
}

TEST(GlobalHotKeyController, RegistersAltShiftVAndPostsTheTracePasteNotification)
{
    SimulatedDesktop desktop;
    NotificationRecorder recorder;
    GlobalHotKeyController controller(desktop.hotKeys(), fourCharCode("TOVR"), 1);
    EXPECT_FALSE(desktop.pressHotKey());

    controller.registerHotKey();
    EXPECT_TRUE(controller.isRegistered());
    ASSERT_EQ(desktop.hotKeys().registrations().size(), 1);
    EXPECT_EQ(desktop.hotKeys().registrations().first().keys,
        QKeyCombination(Qt::AltModifier | Qt::ShiftModifier, Qt::Key_V));
    EXPECT_EQ(desktop.hotKeys().registrations().first().signature, 0x544F5652u);

    EXPECT_TRUE(desktop.pressHotKey());
    EXPECT_EQ(recorder.names, QStringList { QStringLiteral("app.tovra.tracePasteHotKey") });

    // Registering again keeps one registration.
    controller.registerHotKey();
    EXPECT_EQ(desktop.hotKeys().registrations().size(), 1);
}

TEST(GlobalHotKeyController, PressesOfAnotherRegistrationPostNothing)
{
    SimulatedDesktop desktop;
    NotificationRecorder recorder;
    GlobalHotKeyController controller(desktop.hotKeys(), fourCharCode("TOVR"), 1);
    controller.registerHotKey();
    desktop.hotKeys().registerHotKey(
        QKeyCombination(Qt::ControlModifier, Qt::Key_F1), fourCharCode("OTHR"), 1);
    desktop.hotKeys().registerHotKey(
        QKeyCombination(Qt::ControlModifier, Qt::Key_F2), fourCharCode("TOVR"), 2);
    EXPECT_TRUE(desktop.hotKeys().press(QKeyCombination(Qt::ControlModifier, Qt::Key_F1)));
    EXPECT_TRUE(desktop.hotKeys().press(QKeyCombination(Qt::ControlModifier, Qt::Key_F2)));
    EXPECT_TRUE(recorder.names.isEmpty());
}

TEST(GlobalHotKeyController, FailuresCarryTheStatusAndCanBeRetried)
{
    SimulatedDesktop desktop;
    GlobalHotKeyController controller(desktop.hotKeys(), fourCharCode("TOVR"), 1);

    desktop.hotKeys().setHandlerInstallationStatus(-50);
    try {
        controller.registerHotKey();
        FAIL() << "installing the handler should have failed";
    } catch (const SystemIntegrationError &error) {
        EXPECT_EQ(error.kind(), Kind::hotKeyHandlerInstallationFailed);
        EXPECT_EQ(error.status(), -50);
        EXPECT_TRUE(error.localizedDescription().contains(QStringLiteral("-50")));
    }

    desktop.hotKeys().setHandlerInstallationStatus(0);
    desktop.hotKeys().setRegistrationStatus(10);
    try {
        controller.registerHotKey();
        FAIL() << "registering should have failed";
    } catch (const SystemIntegrationError &error) {
        EXPECT_EQ(error.kind(), Kind::hotKeyRegistrationFailed);
        EXPECT_EQ(error.status(), 10);
    }
    EXPECT_FALSE(controller.isRegistered());
    EXPECT_TRUE(desktop.hotKeys().hasHandler());

    desktop.hotKeys().setRegistrationStatus(0);
    controller.registerHotKey();
    EXPECT_TRUE(controller.isRegistered());
}

TEST(GlobalHotKeyController, ReleasesTheKeysWhenDestroyed)
{
    SimulatedDesktop desktop;
    {
        GlobalHotKeyController controller(desktop.hotKeys(), fourCharCode("TOVR"), 1);
        controller.registerHotKey();
    }
    EXPECT_TRUE(desktop.hotKeys().registrations().isEmpty());
    EXPECT_FALSE(desktop.hotKeys().hasHandler());
    EXPECT_FALSE(desktop.pressHotKey());
}
