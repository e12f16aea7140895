#include "TaskProbe.h"

#include "platform/AccessibilityPermissionController.h"
#include "platform/GlobalHotKeyController.h"
#include "platform/InputMonitoringPermissionController.h"
#include "platform/NotificationCenter.h"
#include "platform/PasteboardType.h"
#include "platform/SystemClock.h"
#include "platform/SystemIntegrationError.h"
#include "platform/simulated/SimulatedDesktop.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

using namespace tovra;
using namespace std::chrono_literals;
using tovra::testing::TaskProbe;

namespace {

QCoro::Task<QDateTime> wakeAfter(Clock &clock, std::chrono::milliseconds duration)
{
    co_await clock.sleep(duration);
    co_return clock.now();
}

QCoro::Task<QList<QDateTime>> sleepTwice(Clock &clock)
{
    QList<QDateTime> wakes;
    co_await clock.sleep(50ms);
    wakes.append(clock.now());
    co_await clock.sleep(70ms);
    wakes.append(clock.now());
    co_return wakes;
}

} // namespace

TEST(SimulatedClock, SleepersWakeAtTheirDeadlineInOrder)
{
    SimulatedClock clock;
    const QDateTime start = clock.now();
    QList<int> order;
    TaskProbe<QDateTime> late(wakeAfter(clock, 300ms));
    TaskProbe<QDateTime> early(wakeAfter(clock, 100ms));
    clock.scheduleAfter(200ms, [&] { order.append(200); });
    EXPECT_EQ(clock.pendingCount(), 3);

    clock.advance(99ms);
    EXPECT_FALSE(early.isDone());
    clock.advance(1s);
    ASSERT_TRUE(early.isDone() && late.isDone());
    EXPECT_EQ(*early.value(), start.addMSecs(100));
    EXPECT_EQ(*late.value(), start.addMSecs(300));
    EXPECT_EQ(order, QList<int> { 200 });
    EXPECT_EQ(clock.now(), start.addMSecs(1099));
    EXPECT_EQ(clock.pendingCount(), 0);
}

TEST(SimulatedClock, ASleepStartedDuringAStepWakesWithinItWhenDue)
{
    SimulatedClock clock;
    TaskProbe<QList<QDateTime>> probe(sleepTwice(clock));
    clock.advance(120ms);
    ASSERT_TRUE(probe.isDone());
    EXPECT_EQ(*probe.value(),
        (QList<QDateTime> {
            SimulatedClock::defaultStart().addMSecs(50), SimulatedClock::defaultStart().addMSecs(120) }));
}

TEST(SimulatedClock, NeverMovesBackwards)
{
    SimulatedClock clock;
    clock.advance(1s);
    clock.advanceTo(SimulatedClock::defaultStart());
    EXPECT_EQ(clock.now(), SimulatedClock::defaultStart().addSecs(1));
    bool ran = false;
    clock.schedule(SimulatedClock::defaultStart(), [&] { ran = true; });
    clock.advance(0ms);
    EXPECT_TRUE(ran) << "an action due in the past runs at the next step";
    EXPECT_EQ(clock.now(), SimulatedClock::defaultStart().addSecs(1));
}

TEST(SystemClock, ReadsUtcAndFinishesASleep)
{
    SystemClock clock;
    EXPECT_EQ(clock.now().timeSpec(), Qt::UTC);
    // Returns only once the timer behind the sleep has fired.
    QCoro::waitFor(clock.sleep(0ms));
}

TEST(SimulatedDesktop, CopyInOneApplicationSwitchAndPressTheHotKey)
{
    SimulatedDesktop desktop;
    QStringList notifications;
    const auto connection = QObject::connect(&NotificationCenter::shared(), &NotificationCenter::posted,
        [&](const QString &name) { notifications.append(name); });
    GlobalHotKeyController hotKey(desktop.hotKeys(), fourCharCode("TOVR"), 1);
    hotKey.registerHotKey();

    const auto browser = desktop.launch(QStringLiteral("Browser"), QStringLiteral("org.example.Browser"));
    const auto notes = desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian"));
    desktop.copyText(browser, QStringLiteral("a quote"));
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), browser);
    EXPECT_EQ(desktop.pasteboard().string(), QStringLiteral("a quote"));

    desktop.switchTo(notes);
    EXPECT_TRUE(desktop.pressHotKey());
    EXPECT_EQ(notifications, QStringList { tracePasteHotKeyNotification });

    ASSERT_TRUE(desktop.keyboard().postPasteShortcut());
    EXPECT_EQ(desktop.focusedText(notes), QStringLiteral("a quote"));
    EXPECT_TRUE(desktop.focusedText(browser).isEmpty());
    QObject::disconnect(connection);
}

TEST(SimulatedDesktop, APasteDeliversTextOrElseTheImageIntoEditableFieldsOnly)
{
    SimulatedDesktop desktop;
    SimulatedElement label;
    label.identifier = QStringLiteral("label");
    label.isEditable = false;
    const auto viewer
        = desktop.launch(QStringLiteral("Viewer"), QStringLiteral("org.example.Viewer"), { label });
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));

    desktop.pasteboard().setText(QStringLiteral("words"));
    desktop.pasteByUser(viewer);
    EXPECT_TRUE(desktop.focusedText(viewer).isEmpty());

    desktop.pasteboard().setImage(QByteArray("png"), PasteboardType::png);
    desktop.pasteByUser(editor);
    EXPECT_TRUE(desktop.focusedText(editor).isEmpty());
    EXPECT_EQ(
        desktop.workspace().application(editor).focused()->images, QList<QByteArray> { QByteArray("png") });
}

TEST(SimulatedDesktop, OffersEveryServiceAndItsOwnApplication)
{
    SimulatedDesktop desktop(4321);
    const PlatformServices services = desktop.services();
    EXPECT_EQ(services.ownProcessIdentifier, 4321);
    EXPECT_EQ(services.pasteboard, &desktop.pasteboard());
    EXPECT_EQ(services.workspace, &desktop.workspace());
    EXPECT_EQ(services.accessibility, &desktop.accessibility());
    EXPECT_EQ(services.inputMonitoring, &desktop.inputMonitoring());
    EXPECT_EQ(services.keyCommandTap, &desktop.keyboard());
    EXPECT_EQ(services.keyEventPoster, &desktop.keyboard());
    EXPECT_EQ(services.hotKeyRegistrar, &desktop.hotKeys());
    EXPECT_EQ(services.clock, &desktop.clock());

    const auto own = desktop.workspace().runningApplication(4321);
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->bundleIdentifier, SimulatedDesktop::ownBundleIdentifier);
    EXPECT_FALSE(desktop.workspace().frontmostApplication().has_value());
    EXPECT_NE(desktop.launch(QStringLiteral("Next"), QStringLiteral("org.example.Next")), 4321);
}

TEST(SimulatedWorkspace, ActivationFollowsEachApplicationsBehaviour)
{
    SimulatedDesktop desktop;
    QList<ProcessIdentifier> activated;
    QObject::connect(&desktop.workspace(), &Workspace::applicationActivated,
        [&](ProcessIdentifier processIdentifier) { activated.append(processIdentifier); });
    const auto quick = desktop.launch(QStringLiteral("Quick"), QStringLiteral("org.example.Quick"));
    const auto slow = desktop.launch(QStringLiteral("Slow"), QStringLiteral("org.example.Slow"));
    const auto stuck = desktop.launch(QStringLiteral("Stuck"), QStringLiteral("org.example.Stuck"));
    desktop.workspace().application(slow).activationDelay = 500ms;
    desktop.workspace().application(stuck).activationDelay.reset();

    EXPECT_TRUE(desktop.workspace().activateApplication(quick));
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), quick);
    EXPECT_TRUE(desktop.workspace().activateApplication(slow));
    desktop.advance(499ms);
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), quick);
    desktop.advance(1ms);
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), slow);
    EXPECT_TRUE(desktop.workspace().activateApplication(stuck));
    desktop.advance(10s);
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), slow);
    EXPECT_EQ(activated, (QList<ProcessIdentifier> { quick, slow }));

    desktop.workspace().terminate(quick);
    EXPECT_FALSE(desktop.workspace().activateApplication(quick));
    EXPECT_TRUE(desktop.workspace().runningApplication(quick)->isTerminated);
}

TEST(PermissionControllers, CheckRequestAndOpenTheSettingsPage)
{
    SimulatedDesktop desktop;
    const AccessibilityPermissionController accessibility(desktop.accessibility(), desktop.workspace());
    const InputMonitoringPermissionController inputMonitoring(desktop.inputMonitoring(), desktop.workspace());

    desktop.accessibility().setTrusted(false);
    EXPECT_FALSE(accessibility.isTrusted());
    EXPECT_FALSE(accessibility.requestTrustWithPrompt());
    desktop.accessibility().setGrantsTrustOnPrompt(true);
    EXPECT_TRUE(accessibility.requestTrustWithPrompt());
    EXPECT_EQ(desktop.accessibility().promptCount(), 2);

    desktop.inputMonitoring().setTrusted(false);
    EXPECT_FALSE(inputMonitoring.isTrusted());
    EXPECT_FALSE(inputMonitoring.requestAccess());
    EXPECT_EQ(desktop.inputMonitoring().requestCount(), 1);

    accessibility.openSystemSettings();
    inputMonitoring.openSystemSettings();
    EXPECT_EQ(desktop.workspace().openedURLs(),
        (QList<QUrl> {
            *desktop.accessibility().systemSettingsURL(), *desktop.inputMonitoring().systemSettingsURL() }));

    // Where the system has no such page, nothing is opened.
    desktop.accessibility().setSystemSettingsURL(std::nullopt);
    desktop.inputMonitoring().setSystemSettingsURL(std::nullopt);
    accessibility.openSystemSettings();
    inputMonitoring.openSystemSettings();
    EXPECT_EQ(desktop.workspace().openedURLs().size(), 2);
}

TEST(SystemIntegrationError, EveryKindHasItsOwnChineseDescription)
{
    using Kind = SystemIntegrationError::Kind;
    const QList<SystemIntegrationError> errors = {
        SystemIntegrationError(Kind::accessibilityPermissionMissing),
        SystemIntegrationError(Kind::inputMonitoringPermissionMissing),
        SystemIntegrationError(Kind::noTargetApplication),
        SystemIntegrationError(Kind::targetApplicationUnavailable),
        SystemIntegrationError(Kind::targetChanged),
        SystemIntegrationError(Kind::clipboardChanged),
        SystemIntegrationError(Kind::eventCreationFailed),
        SystemIntegrationError(Kind::eventTapCreationFailed),
        SystemIntegrationError::hotKeyHandlerInstallationFailed(-9870),
        SystemIntegrationError::hotKeyRegistrationFailed(-9878),
    };
    QSet<QString> descriptions;
    for (const SystemIntegrationError &error : errors) {
        const QString description = error.localizedDescription();
        EXPECT_TRUE(description.contains(QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))))
            << description.toStdString();
        EXPECT_EQ(QString::fromUtf8(error.what()), description);
        descriptions.insert(description);
    }
    EXPECT_EQ(descriptions.size(), errors.size());
    EXPECT_TRUE(errors[8].localizedDescription().contains(QStringLiteral("-9870")));
    EXPECT_EQ(errors[9].status(), -9878);
    EXPECT_FALSE(errors[0].status().has_value());
}
