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

} // namespace

TEST_F(KeyObservationTest, ReportsTheUsersShortcutsWithTheirTargetAndTimeButNotOurOwnPaste)
{
    const auto shell = desktop.launch(QStringLiteral("Shell"), QStringLiteral("org.gnome.shell"));
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    ASSERT_EQ(startFailure(), std::nullopt);
    EXPECT_TRUE(observer.isRunning());

    desktop.copyText(editor, QStringLiteral("copied"));
    desktop.advance(std::chrono::milliseconds(250));
    desktop.switchTo(shell);
    desktop.keyboard().pressClipboardShortcut(ClipboardCommandKind::cut, editor);
    desktop.pasteByUser(editor);
    ASSERT_TRUE(desktop.keyboard().postPasteShortcut(PasteShortcut::standard));

    ASSERT_EQ(events.size(), 3);
    EXPECT_EQ(events[0].kind, ClipboardCommandKind::copy);
    EXPECT_EQ(events[0].targetProcessIdentifier, editor);
    EXPECT_EQ(events[0].occurredAt, SimulatedClock::defaultStart());
    EXPECT_EQ(events[1].kind, ClipboardCommandKind::cut);
    EXPECT_EQ(events[1].targetProcessIdentifier, editor) << "the target the system names, not the front one";
    EXPECT_EQ(events[1].occurredAt, SimulatedClock::defaultStart().addMSecs(250));
    EXPECT_EQ(events[2].kind, ClipboardCommandKind::paste);
    // Observation only listens: both pastes still happen.
    EXPECT_EQ(desktop.focusedText(editor), QStringLiteral("copiedcopied"));
}

TEST_F(KeyObservationTest, StartingNeedsInputMonitoringAndAWorkingObservation)
{
    desktop.inputMonitoring().setTrusted(false);
    EXPECT_EQ(startFailure(), Kind::inputMonitoringPermissionMissing);
    EXPECT_FALSE(observer.isRunning());
    EXPECT_FALSE(desktop.keyboard().isObserving());

    desktop.inputMonitoring().setTrusted(true);
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
    observer.stop();
    EXPECT_FALSE(observer.isRunning());
    EXPECT_FALSE(desktop.keyboard().isObserving());
    desktop.keyboard().pressClipboardShortcut(ClipboardCommandKind::copy);
    EXPECT_EQ(events.size(), 1);
}

TEST(GlobalHotKeyController, RegistersAltShiftVOnceAndPostsTheTracePasteNotificationForItAlone)
{
    SimulatedDesktop desktop;
    QStringList posted;
    const auto connection = QObject::connect(&NotificationCenter::shared(), &NotificationCenter::posted,
        [&](const QString &name) { posted.append(name); });
    GlobalHotKeyController controller(desktop.hotKeys(), fourCharCode("TOVR"), 1);
    EXPECT_FALSE(desktop.pressHotKey());

    controller.registerHotKey();
    controller.registerHotKey();
    EXPECT_TRUE(controller.isRegistered());
    ASSERT_EQ(desktop.hotKeys().registrations().size(), 1);
    EXPECT_EQ(desktop.hotKeys().registrations().first().keys,
        QKeyCombination(Qt::AltModifier | Qt::ShiftModifier, Qt::Key_V));
    EXPECT_EQ(desktop.hotKeys().registrations().first().signature, 0x544F5652u);

    desktop.hotKeys().registerHotKey(
        QKeyCombination(Qt::ControlModifier, Qt::Key_F1), fourCharCode("OTHR"), 1);
    desktop.hotKeys().registerHotKey(
        QKeyCombination(Qt::ControlModifier, Qt::Key_F2), fourCharCode("TOVR"), 2);
    EXPECT_TRUE(desktop.hotKeys().press(QKeyCombination(Qt::ControlModifier, Qt::Key_F1)));
    EXPECT_TRUE(desktop.hotKeys().press(QKeyCombination(Qt::ControlModifier, Qt::Key_F2)));
    EXPECT_TRUE(posted.isEmpty());
    EXPECT_TRUE(desktop.pressHotKey());
    EXPECT_EQ(posted, QStringList { QStringLiteral("app.tovra.tracePasteHotKey") });
    QObject::disconnect(connection);
}

TEST(GlobalHotKeyController, FailuresCarryTheStatusAndCanBeRetriedAndTheKeysGoWithTheController)
{
    SimulatedDesktop desktop;
    {
        GlobalHotKeyController controller(desktop.hotKeys(), fourCharCode("TOVR"), 1);
        const auto failure = [&]() -> std::optional<SystemIntegrationError> {
            try {
                controller.registerHotKey();
            } catch (const SystemIntegrationError &error) {
                return error;
            }
            return std::nullopt;
        };
        desktop.hotKeys().setHandlerInstallationStatus(-50);
        const auto handler = failure();
        ASSERT_TRUE(handler.has_value());
        EXPECT_EQ(handler->kind(), Kind::hotKeyHandlerInstallationFailed);
        EXPECT_EQ(handler->status(), -50);
        EXPECT_TRUE(handler->localizedDescription().contains(QStringLiteral("-50")));

        desktop.hotKeys().setHandlerInstallationStatus(0);
        desktop.hotKeys().setRegistrationStatus(10);
        const auto registration = failure();
        ASSERT_TRUE(registration.has_value());
        EXPECT_EQ(registration->kind(), Kind::hotKeyRegistrationFailed);
        EXPECT_EQ(registration->status(), 10);
        EXPECT_FALSE(controller.isRegistered());
        EXPECT_TRUE(desktop.hotKeys().hasHandler());

        desktop.hotKeys().setRegistrationStatus(0);
        EXPECT_FALSE(failure().has_value());
        EXPECT_TRUE(controller.isRegistered());
    }
    EXPECT_TRUE(desktop.hotKeys().registrations().isEmpty());
    EXPECT_FALSE(desktop.hotKeys().hasHandler());
    EXPECT_FALSE(desktop.pressHotKey());
}
