#pragma once

#include "platform/ProcessIdentifier.h"
#include "platform/x11/X11Types.h"

#include <QList>
#include <QString>

#include <optional>

namespace tovra {

class X11Connection;

// Reads the windows of the desktop: which one is active, whose process it
// belongs to, what it is called, and asks for one to come forward. Works with
// an EWMH window manager and without any.
class X11Windows {
public:
    explicit X11Windows(X11Connection &connection);

    // Whether an EWMH window manager runs (_NET_SUPPORTING_WM_CHECK).
    bool hasWindowManager();

    // The application window that has the focus: _NET_ACTIVE_WINDOW under a
    // window manager, else the top-level window holding the input focus; 0
    // when there is none.
    X11Window activeWindow();

    // The application window holding the keyboard focus, whatever the window
    // manager publishes; 0 when the focus is on no window.
    X11Window focusedWindow();

    // The application's own window for a window anywhere in its tree (a
    // child, a window manager's frame).
    X11Window clientWindowOf(X11Window window);

    // A window of the desktop itself rather than of an application: the
    // window manager's own (its focus placeholder when nothing else has the
    // focus, its menus), a desktop background or a panel. None of them is a
    // place to paste into or a source of copies.
    bool isDesktopShellWindow(X11Window window);

    // The process of the client that created the window, as the X-Resource
    // extension tells; else the window's _NET_WM_PID when the window comes
    // from this machine. None for windows of remote clients without either.
    std::optional<ProcessIdentifier> processOf(X11Window window);

    struct WindowClass {
        std::optional<QString> instance;
        std::optional<QString> className;
    };
    WindowClass windowClass(X11Window window);

    // The application windows, bottom to top of the stacking order.
    QList<X11Window> applicationWindows();

    // Brings the window forward and gives it the focus: a _NET_ACTIVE_WINDOW
    // request to the window manager, or by itself where none runs. False when
    // the window is gone.
    bool activate(X11Window window);

private:
    std::optional<ProcessIdentifier> processFromResourceExtension(X11Window window);
    std::optional<ProcessIdentifier> processFromProperty(X11Window window);
    QList<unsigned long> cardinalList(X11Window window, const char *property, unsigned long atomType);
    std::optional<QByteArray> stringProperty(X11Window window, const char *property);
    bool hasProperty(X11Window window, const char *property);
    std::optional<X11Window> windowManagerCheckWindow();
    X11Window topLevelOf(X11Window window);

    X11Connection &m_connection;
    std::optional<bool> m_hasResourceExtension;
};

} // namespace tovra
