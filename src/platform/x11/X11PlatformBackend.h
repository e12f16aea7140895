#pragma once

#include "platform/ApplicationActivity.h"
#include "platform/PlatformServices.h"
#include "platform/SystemClock.h"
#include "platform/x11/AtspiAccessibility.h"
#include "platform/x11/DesktopEntryIndex.h"
#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKeyRegistrar.h"
#include "platform/x11/X11InputMonitoring.h"
#include "platform/x11/X11KeyCommandTap.h"
#include "platform/x11/X11KeyEventPoster.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Pasteboard.h"
#include "platform/x11/X11Windows.h"
#include "platform/x11/X11Workspace.h"

#include <QByteArray>

namespace tovra {

// Where the backend runs, as the environment tells.
struct X11SessionEnvironment {
    // The X display to use; empty for the one named by DISPLAY.
    QByteArray displayName;
    // A Wayland session: its Xwayland server sees only the X clients, so
    // nothing there could observe or paste into the other applications.
    bool isWaylandSession = false;

    static X11SessionEnvironment fromEnvironment();
};

// The desktop services of an X11 session, built together and owned here: the
// bundle the app is built over. Created and used on the GUI thread, after the
// GUI application. Without an X display (or in a Wayland session) every
// service gives its "unavailable" answer: not trusted, nothing frontmost,
// writes refused, hot-key and key-observation errors.
class X11PlatformBackend {
public:
    explicit X11PlatformBackend(ProcessIdentifier ownProcessIdentifier,
        X11SessionEnvironment environment = X11SessionEnvironment::fromEnvironment());

    X11PlatformBackend(const X11PlatformBackend &) = delete;
    X11PlatformBackend &operator=(const X11PlatformBackend &) = delete;

    // Whether an X display is open; the services work only then (the
    // accessibility bus aside).
    bool hasDisplay() const noexcept { return m_connection->isUsable(); }

    // Valid for as long as this backend lives.
    PlatformServices services();

private:
    ProcessIdentifier m_ownProcessIdentifier;
    std::unique_ptr<X11Connection> m_connection;
    DesktopEntryIndex m_desktopEntries;
    SystemClock m_clock;
    X11Windows m_windows;
    X11Keyboard m_keyboard;
    X11Pasteboard m_pasteboard;
    X11Workspace m_workspace;
    AtspiAccessibility m_accessibility;
    X11InputMonitoring m_inputMonitoring;
    X11KeyCommandTap m_keyCommandTap;
    X11KeyEventPoster m_keyEventPoster;
    X11HotKeyRegistrar m_hotKeyRegistrar;
    GuiApplicationActivity m_applicationActivity;
};

} // namespace tovra
