#pragma once

#include <QString>

#include <chrono>
#include <memory>
#include <optional>

namespace tovra::bench {

// What a user sees of a starting process, seen from outside on the X server
// and the accessibility bus, in milliseconds after the start.
struct WindowStartTimes {
    // Its top-level window with the expected title is mapped.
    std::optional<double> mapped;
    // That window's area on screen holds the process's own pixels.
    std::optional<double> painted;
    // One of its accessibles was renamed to the awaited name (when the name
    // was read back from it).
    std::optional<double> named;
};

// Watches the screen for one starting process at a time: the root window's
// map notifications find its window (by title and _NET_WM_PID), grabs of the
// window's area tell when the first frame reached the screen, and an AT-SPI
// listener for name changes tells when a widget's text became the awaited
// one. Needs an X server without a window manager (the window is a child of
// the root) and an enabled accessibility bus, as in
// scripts/with-desktop-session.sh.
class WindowStartWatcher {
public:
    WindowStartWatcher();
    ~WindowStartWatcher();

    WindowStartWatcher(const WindowStartWatcher &) = delete;
    WindowStartWatcher &operator=(const WindowStartWatcher &) = delete;

    // False without an X display.
    bool isReady() const;

    // Call right before starting the process: remembers what the screen
    // shows now and forgets names announced so far.
    void prepare();

    // Waits until the window of `pid` titled `title` is on screen and
    // painted and, when `awaitedName` is not empty, until an accessible was
    // given that name; gives up after `timeout`. Times count from `started`.
    WindowStartTimes watch(qint64 pid, const QString &title, const QString &awaitedName,
        std::chrono::steady_clock::time_point started, std::chrono::milliseconds timeout);

    // Waits until the window found by the last watch is destroyed.
    bool waitForWindowGone(std::chrono::milliseconds timeout);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace tovra::bench
