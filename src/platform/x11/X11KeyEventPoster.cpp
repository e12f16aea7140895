#include "platform/x11/X11KeyEventPoster.h"

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11KeyCommandTap.h"
#include "platform/x11/X11Keyboard.h"

#include <QList>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace tovra {

namespace {

constexpr unsigned heldModifiersThatMatter = X11Keyboard::shift | X11Keyboard::control | X11Keyboard::mod1
    | X11Keyboard::mod3 | X11Keyboard::mod4 | X11Keyboard::mod5;

} // namespace

X11KeyEventPoster::X11KeyEventPoster(X11Connection &connection, X11Keyboard &keyboard, X11KeyCommandTap *tap,
    std::chrono::milliseconds modifierReleaseTimeout)
    : m_connection(connection)
    , m_keyboard(keyboard)
    , m_tap(tap)
    , m_modifierReleaseTimeout(modifierReleaseTimeout)
{
}

bool X11KeyEventPoster::waitForModifierRelease()
{
    return m_keyboard.waitForRelease(heldModifiersThatMatter, m_modifierReleaseTimeout);
}

bool X11KeyEventPoster::postPasteShortcut(PasteShortcut shortcut)
{
    if (!m_connection.isUsable() || shortcut == PasteShortcut::unknown)
        return false;
    Display *display = m_connection.display();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor))
        return false;
    QList<int> modifiers { m_keyboard.keycodeOf(XK_Control_L) };
    if (shortcut == PasteShortcut::terminal)
        modifiers.append(m_keyboard.keycodeOf(XK_Shift_L));
    const int v = m_keyboard.keycodeOf(XK_v);
    if (modifiers.contains(0) || v == 0)
        return false;
    if ((m_keyboard.heldModifiers() & heldModifiersThatMatter) != 0)
        return false;

    // The tap reports Ctrl+V alone, never with Shift, so only that paste
    // needs hiding from it.
    if (m_tap && shortcut == PasteShortcut::standard)
        m_tap->expectOwnPaste();
    X11ErrorTrap trap(m_connection);
    for (const int modifier : std::as_const(modifiers))
        XTestFakeKeyEvent(display, unsigned(modifier), True, CurrentTime);
    XTestFakeKeyEvent(display, unsigned(v), True, CurrentTime);
    XTestFakeKeyEvent(display, unsigned(v), False, CurrentTime);
    for (auto modifier = modifiers.crbegin(); modifier != modifiers.crend(); ++modifier)
        XTestFakeKeyEvent(display, unsigned(*modifier), False, CurrentTime);
    return trap.sync() == 0;
}

} // namespace tovra
