#pragma once

#include <QList>
#include <QObject>
#include <QUrl>

namespace tovra::app {

class StatusItem;
class TovraMainWindowPresenter;
class TovraRuntime;

// Carries the app through launch, links opened with it, a second start
// ("reopen") and quit. Runs on the GUI thread.
class TovraApplicationDelegate : public QObject {
    Q_OBJECT

public:
    TovraApplicationDelegate(
        TovraRuntime &runtime, TovraMainWindowPresenter &mainWindow, QObject *parent = nullptr);
    ~TovraApplicationDelegate() override;

    // The tray icon, the model's start, and the recovery after a relaunch the
    // user made for the Input Monitoring permission. Without a tray the main
    // window is shown at once, so the app is never invisible.
    void applicationDidFinishLaunching();

    // The app was started again while running: show the main window.
    void applicationShouldHandleReopen();

    // Each link in order: "tovra://open" shows the main window, every other
    // one goes to the model through the deep-link mailbox.
    void openURLs(const QList<QUrl> &urls);

    // Stops the resolver server and removes the tray icon.
    void applicationWillTerminate();

    StatusItem *statusItem() const noexcept { return m_statusItem; }

signals:
    // The user asked to quit, from the tray menu or the main window.
    void quitRequested();

private:
    TovraRuntime &m_runtime;
    TovraMainWindowPresenter &m_mainWindow;
    StatusItem *m_statusItem = nullptr;
};

} // namespace tovra::app
