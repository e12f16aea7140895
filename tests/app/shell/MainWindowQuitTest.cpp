#include "app/model/ModelTestSupport.h"
#include "app/shell/TovraApplicationDelegate.h"
#include "app/shell/TovraMainWindowPresenter.h"
#include "app/shell/TovraRuntime.h"
#include "app/views/WidgetSearch.h"

#include <QPushButton>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace tovra::app::testing {
namespace {

// The main window's "退出" ends the app as the tray menu's does: through the
// delegate's request to quit.
TEST(MainWindowQuitTest, TheWindowsQuitButtonAsksTheApplicationToQuit)
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
}

} // namespace
} // namespace tovra::app::testing
