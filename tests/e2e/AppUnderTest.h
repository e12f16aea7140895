#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>

#include <chrono>

namespace tovra::testing {

// The real tovra executable on the test session's X server, with a home and
// runtime folder of its own (so tests running side by side do not meet each
// other's instance or ledger) and a fixed test key instead of the keyring.
class AppUnderTest {
public:
    AppUnderTest();
    ~AppUnderTest();

    AppUnderTest(const AppUnderTest &) = delete;
    AppUnderTest &operator=(const AppUnderTest &) = delete;

    // Starts the app and waits until its single-instance socket answers, so
    // that a second start finds it.
    void start(const QStringList &arguments = {});

    // A second start with these arguments; its exit status (-1 when it did
    // not end in time).
    int startAgain(const QStringList &arguments);

    // How a start of the executable ended.
    struct Ended {
        // -1 when it crashed or did not end in time.
        int status = -1;
        QByteArray standardError;
    };
    // A start with these arguments in `environment`, waited for.
    static Ended runExecutable(const QStringList &arguments, const QProcessEnvironment &environment);
    // A second start, with what it wrote on stderr.
    Ended startAgainReporting(const QStringList &arguments) const;
    // The socket the app listens on for later starts.
    QString socketPath() const;

    // Sends SIGTERM and returns the exit status (-1 when the app crashed or
    // did not end in time).
    int terminate();

    // Writes one of the app's settings, as the settings window would have
    // left it; read at the next start.
    void setSetting(const QString &key, const QVariant &value);
    // The ledger file the app and its browser host share.
    QString ledgerPath() const;
    // The environment in which the browser starts the same executable as its
    // native-messaging host.
    QProcessEnvironment hostEnvironment() const;

    bool isRunning() const { return m_process.state() != QProcess::NotRunning; }
    qint64 processId() const { return m_process.processId(); }
    QByteArray standardError() { return m_process.readAllStandardError(); }
    const QProcessEnvironment &environment() const noexcept { return m_environment; }

private:
    QTemporaryDir m_root;
    QProcessEnvironment m_environment;
    QProcess m_process;
};

// Windows on the X server, found as a user sees them: by title, visible.
namespace desktop {

// Waits until a visible window with exactly this title exists (true) or the
// time is up (false).
bool waitForVisibleWindow(const QString &title, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Waits until the window with this title has the keyboard focus.
bool waitForActiveWindow(const QString &title, std::chrono::milliseconds timeout = std::chrono::seconds(10));
// Waits until no visible window has this title.
bool waitForNoVisibleWindow(const QString &title, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Presses a chord ("alt+shift+v", "ctrl+c") through XTest, as the user's
// keyboard would, with nothing else held.
void pressKeys(const QString &chord);
// Whether the visible window with exactly this title carries an icon of its
// own for the window manager and the task bar.
bool showsAnIcon(const QString &title);
// Clicks the left mouse button at this point of the screen.
void click(int x, int y);

// A window manager (openbox) for as long as it lives: focus, activation and
// stacking then work as on a user's desktop.
class WindowManager {
public:
    WindowManager();
    ~WindowManager();

private:
    QProcess m_process;
};

// A tray host docked at the top left of the screen, for as long as it lives.
class TrayHost {
public:
    TrayHost();
    ~TrayHost();

    bool isRunning() const { return m_process.state() == QProcess::Running; }
    // Waits until an icon is docked in the tray.
    bool waitForDockedIcon(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Clicks the first icon docked in the tray.
    void clickFirstIcon() const;

private:
    QProcess m_process;
};

} // namespace desktop

} // namespace tovra::testing
