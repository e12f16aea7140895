#include "TaskProbe.h"

#include "platform/AccessibilityPermissionController.h"
#include "platform/InputMonitoringPermissionController.h"
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

TEST(SimulatedClock, SleepersWakeAtTheirDeadlineInOrderEvenWhenTheSleepStartsWithinAStep)
{
    SimulatedClock clock;
    const QDateTime start = clock.now();
    QList<int> order;
    TaskProbe<QDateTime> late(wakeAfter(clock, 300ms));
    TaskProbe<QList<QDateTime>> twice(sleepTwice(clock));
    clock.scheduleAfter(200ms, [&] { order.append(200); });
    EXPECT_EQ(clock.pendingCount(), 3);

    clock.advance(49ms);
    EXPECT_FALSE(twice.isDone());
    clock.advance(1s);
    ASSERT_TRUE(twice.isDone() && late.isDone());
    EXPECT_EQ(*twice.value(), (QList<QDateTime> { start.addMSecs(50), start.addMSecs(120) }));
    EXPECT_EQ(*late.value(), start.addMSecs(300));
    EXPECT_EQ(order, QList<int> { 200 });
    EXPECT_EQ(clock.now(), start.addMSecs(1049));
    EXPECT_EQ(clock.pendingCount(), 0);
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

TEST(SimulatedDesktop, APasteDeliversTextOrElseTheImageIntoTheFrontEditableFieldOnly)
{
    SimulatedDesktop desktop;
    SimulatedElement label;
    label.identifier = QStringLiteral("label");
    label.isEditable = false;
    const auto viewer
        = desktop.launch(QStringLiteral("Viewer"), QStringLiteral("org.example.Viewer"), { label });
    const auto editor = desktop.launch(QStringLiteral("Editor"), QStringLiteral("org.example.Editor"));
    const auto notes = desktop.launch(QStringLiteral("Obsidian"), QStringLiteral("md.obsidian"));

    desktop.copyText(viewer, QStringLiteral("a quote"));
    EXPECT_EQ(desktop.workspace().frontmostProcessIdentifier(), viewer);
    EXPECT_EQ(desktop.pasteboard().string(), QStringLiteral("a quote"));
    desktop.pasteByUser(viewer);
    EXPECT_TRUE(desktop.focusedText(viewer).isEmpty());

    desktop.switchTo(notes);
    ASSERT_TRUE(desktop.keyboard().postPasteShortcut(PasteShortcut::standard));
    EXPECT_EQ(desktop.focusedText(notes), QStringLiteral("a quote"));
    EXPECT_TRUE(desktop.focusedText(editor).isEmpty());

    desktop.pasteboard().setImage(QByteArray("png"), PasteboardType::png);
    desktop.pasteByUser(editor);
    EXPECT_TRUE(desktop.focusedText(editor).isEmpty());
    EXPECT_EQ(
        desktop.workspace().application(editor).focused()->images, QList<QByteArray> { QByteArray("png") });
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
    QList<SystemIntegrationError> errors;
    for (const Kind kind : { Kind::accessibilityPermissionMissing, Kind::inputMonitoringPermissionMissing,
             Kind::noTargetApplication, Kind::targetApplicationUnavailable, Kind::targetChanged,
             Kind::clipboardChanged, Kind::eventCreationFailed, Kind::eventTapCreationFailed })
        errors.append(SystemIntegrationError(kind));
    errors.append(SystemIntegrationError::hotKeyHandlerInstallationFailed(-9870));
    errors.append(SystemIntegrationError::hotKeyRegistrationFailed(-9878));
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
