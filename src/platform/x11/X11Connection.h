#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QString>

#include "platform/x11/X11Types.h"

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace tovra {

class X11ErrorTrap;

// One connection of our own to the X server, shared by every part of the X11
// backend and read on the GUI thread. Qt's connection stays untouched: our
// event masks, grabs and error handling never disturb the toolkit's.
//
// A connection that cannot be opened, or that breaks later (the server went
// away), turns every part into its "unavailable" answer instead of ending the
// process, which is what Xlib does by default.
class X11Connection : public QObject {
    Q_OBJECT

public:
    using EventListener = std::function<void(X11Event &event)>;
    using EventPredicate = std::function<bool(const X11Event &event)>;

    // An empty name means the display named by DISPLAY.
    explicit X11Connection(const QByteArray &displayName = {}, QObject *parent = nullptr);

    // A connection that is never opened, for sessions whose X server (if
    // any) does not show the desktop, such as Xwayland under Wayland.
    struct Unavailable { };
    explicit X11Connection(Unavailable, QObject *parent = nullptr);
    ~X11Connection() override;

    X11Connection(const X11Connection &) = delete;
    X11Connection &operator=(const X11Connection &) = delete;

    // Open and not broken since.
    bool isUsable() const noexcept;

    // Null when the display could not be opened.
    X11Display *display() const noexcept { return m_display; }
    X11Window rootWindow() const noexcept { return m_root; }

    X11Atom atom(const char *name);
    QByteArray atomName(X11Atom atom);

    // The first event code and the major opcode of an extension; none when the
    // server lacks it.
    struct Extension {
        int majorOpcode = 0;
        int firstEvent = 0;
        int firstError = 0;
    };
    std::optional<Extension> extension(const char *name);

    // Every event read from the server is handed to every listener, on the GUI
    // thread, outside of any blocking wait. Returns an id for removal.
    int addEventListener(EventListener listener);
    void removeEventListener(int id);

    // Hands every event already received to the listeners now.
    void dispatchPendingEvents();

    // Hands the events already received to the listeners once the event loop
    // runs again. Whoever talks to the server outside of an error trap or a
    // wait calls this when done.
    void scheduleDispatch();

    // Reads what the server has sent so far without blocking and without
    // handing anything to the listeners.
    void readAvailableEvents();

    // Takes the first event that matches out of the queue, waiting at most
    // `timeout` for it. Other events stay queued, in order, for the listeners.
    std::optional<X11Event> waitForEvent(const EventPredicate &matches, std::chrono::milliseconds timeout);

    // Removes and returns every queued event that matches, in order, without
    // waiting.
    std::vector<X11Event> takeQueuedEvents(const EventPredicate &matches);

    // A server timestamp for ownership and focus requests, taken from a
    // property change on our own window (ICCCM forbids CurrentTime there).
    X11Time serverTime();

    // A hidden window of our own for selections and property exchanges.
    X11Window helperWindow() const noexcept { return m_helperWindow; }

signals:
    // The server connection broke; the connection is unusable from now on.
    void broken();

private:
    friend class X11ErrorTrap;
    friend struct X11ConnectionErrorHandlers;
    void noteError(unsigned long serial, int errorCode);
    void markBroken();

    X11Display *m_display = nullptr;
    X11Window m_root = 0;
    X11Window m_helperWindow = 0;
    bool m_broken = false;
    bool m_dispatching = false;
    bool m_dispatchScheduled = false;
    X11ErrorTrap *m_innermostTrap = nullptr;
    QSocketNotifier *m_notifier = nullptr;
    QHash<QByteArray, X11Atom> m_atoms;
    std::map<int, EventListener> m_listeners;
    int m_nextListenerId = 1;
};

// Collects the protocol errors of the requests made on one connection while it
// lives, so that a failed request (a key already grabbed, a window that has
// vanished) is an answer rather than the end of the process.
class X11ErrorTrap {
public:
    explicit X11ErrorTrap(X11Connection &connection);
    ~X11ErrorTrap();

    X11ErrorTrap(const X11ErrorTrap &) = delete;
    X11ErrorTrap &operator=(const X11ErrorTrap &) = delete;

    // Waits for the server to process every request made so far and returns
    // the X error code of the first that failed since the trap was set, 0 when
    // none did (or the connection is broken).
    int sync();

private:
    friend class X11Connection;
    X11Connection &m_connection;
    unsigned long m_firstSerial;
    int m_errorCode = 0;
    X11ErrorTrap *m_outer = nullptr;
};

} // namespace tovra
