#include "app/model/ModelTestSupport.h"
#include "app/shell/TovraApplicationDelegate.h"
#include "app/shell/TovraMainWindowPresenter.h"
#include "app/shell/TovraRuntime.h"
#include "app/views/TraceDetailWindowPresenter.h"
#include "app/views/WidgetSearch.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSignalSpy>
#include <QWindow>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

// The main window's "退出" ends the app as the tray menu's does: through the
// delegate's request to quit.
TEST(MainWindowPresenterTest, TheWindowsQuitButtonAsksTheApplicationToQuit)
{
    SimulatedDesktop desktop;
    SimulatedSavePanel savePanel;
    RecordingTraceDetailPresenter traceDetails;
    QTemporaryDir settingsFolder;
    auto settings = std::make_shared<QSettings>(
        settingsFolder.filePath(QStringLiteral("settings.ini")), QSettings::IniFormat);
    TovraRuntime runtime(
        desktop.services(), std::make_shared<ScriptedDataProvider>(), settings, traceDetails, savePanel);
    TovraMainWindowPresenter presenter(desktop.clock());
    TovraApplicationDelegate delegate(runtime, presenter);
    QSignalSpy quitRequests(&delegate, &TovraApplicationDelegate::quitRequested);

    presenter.show(runtime.model());
    ASSERT_TRUE(presenter.window());
    auto *quit = childNamed<QPushButton>(presenter.window(), QStringLiteral("退出Tovra"));
    ASSERT_TRUE(quit);
    quit->click();

    EXPECT_EQ(quitRequests.size(), 1);
    // As at a real quit, the model's tasks end before the test does.
    runtime.model().stop();
    desktop.advance(std::chrono::hours(1));
    settleEvents();
}

// The window tells once that its first frame is painted, after it is shown
// (the app's ledger is read from then on).
TEST(MainWindowPresenterTest, AShownWindowTellsOnceThatItsFirstFrameIsPainted)
{
    ModelHarness harness;
    TovraMainWindowPresenter presenter(harness.desktop.clock());
    QSignalSpy painted(&presenter, &TovraMainWindowPresenter::firstFramePainted);
    settleEvents();
    EXPECT_EQ(painted.size(), 0);
    presenter.show(harness.model());
    settleEvents();
    EXPECT_EQ(painted.size(), 1);
    presenter.window()->update();
    settleEvents();
    EXPECT_EQ(painted.size(), 1);
}

// The window has a fixed size: its title bar offers closing and minimising,
// and nothing to maximise.
TEST(MainWindowPresenterTest, TheFixedSizeWindowHasNoMaximiseButton)
{
    ModelHarness harness;
    TovraMainWindowPresenter presenter(harness.desktop.clock());
    presenter.show(harness.model());
    ASSERT_TRUE(presenter.window());
    // What the window system is handed, after Qt's defaults for the window type.
    ASSERT_TRUE(presenter.window()->windowHandle());
    const Qt::WindowFlags flags = presenter.window()->windowHandle()->flags();

    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_EQ(presenter.window()->minimumSize(), presenter.window()->maximumSize());
}

} // namespace
} // namespace tovra::app::testing

namespace tovra::app::testing {
namespace {

// On a screen whose free area is smaller than a window (a small screen, or a
// scaled one: this test runs again at twice the scale, where the test screen
// is 400 × 300), each window is sized and placed within that area and its
// content scrolls, so that nothing is out of reach: not the main window's
// "退出", not the settings' last section.
TEST(ScreenFitTest, EachWindowLiesWithinTheAvailableAreaAndItsContentScrolls)
{
    ModelHarness harness;
    TovraMainWindowPresenter presenter(harness.desktop.clock());
    presenter.show(harness.model());
    QWidget *main = presenter.window();
    ASSERT_TRUE(main);
    const QRect available = main->screen()->availableGeometry();
    harness.model().setShowSettings(true);
    settleEvents();
    QWidget *settings = nullptr;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window != main && window->isVisible() && window->accessibleName() == QStringLiteral("Tovra设置"))
            settings = window;
    }
    ASSERT_TRUE(settings);

    TraceDetailWindowPresenter traceDetails;
    traceDetails.show(
        TraceDetailContent::record(sampleRecord(QStringLiteral("标题"), harness.model().now())));

    const struct {
        QWidget *window;
        QString farthest;
    } windows[] = {
        { main, QStringLiteral("退出Tovra") },
        { settings, QStringLiteral("版本") },
        { traceDetails.window(), QStringLiteral("记录编号") },
    };
    for (const auto &shown : windows) {
        SCOPED_TRACE(shown.window->accessibleName().toStdString());
        const QRect frame = shown.window->frameGeometry();
        EXPECT_TRUE(available.contains(frame))
            << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height() << " in "
            << available.width() << "x" << available.height();
        QWidget *farthest = childNamed<QWidget>(shown.window, shown.farthest);
        for (QLabel *label : shown.window->findChildren<QLabel *>()) {
            if (!farthest && label->text() == shown.farthest)
                farthest = label;
        }
        ASSERT_TRUE(farthest);
        for (QWidget *area = farthest->parentWidget(); area; area = area->parentWidget()) {
            if (auto *scroll = qobject_cast<QScrollArea *>(area))
                scroll->ensureWidgetVisible(farthest);
        }
        const QRect reached(farthest->mapTo(shown.window, QPoint()), farthest->size());
        EXPECT_TRUE(shown.window->rect().contains(reached))
            << reached.y() << " in " << shown.window->height();
    }
    harness.model().setShowSettings(false);
    harness.model().stop();
    settleEvents();
}

} // namespace
} // namespace tovra::app::testing
