#include "platform/x11/X11KeyCommandTap.h"

#include "platform/Clock.h"
#include "platform/x11/X11Keyboard.h"
#include "platform/x11/X11Windows.h"

#include <X11/keysym.h>

namespace tovra {

namespace {

// Any of these held turns Ctrl+C into another command (Ctrl+Shift+C opens a
// browser's inspector); Lock and NumLock are toggles and change nothing.
constexpr unsigned otherModifiers
    = X11Keyboard::shift | X11Keyboard::mod1 | X11Keyboard::mod3 | X11Keyboard::mod4 | X11Keyboard::mod5;

std::optional<ClipboardCommandKind> commandOf(unsigned long keysym)
{
    switch (keysym) {
    case XK_c:
        return ClipboardCommandKind::copy;
    case XK_x:
        return ClipboardCommandKind::cut;
    case XK_v:
        return ClipboardCommandKind::paste;
    default:
        return std::nullopt;
    }
}

} // namespace

X11KeyCommandTap::X11KeyCommandTap(X11Keyboard &keyboard, X11Windows &windows, Clock &clock)
    : m_keyboard(keyboard)
    , m_windows(windows)
    , m_clock(clock)
{
}

X11KeyCommandTap::~X11KeyCommandTap()
{
    remove();
}

bool X11KeyCommandTap::install(Callback callback)
{
    m_callback = std::move(callback);
    if (m_subscription)
        return true;
    m_ownPastesExpected = 0;
    m_subscription = m_keyboard.subscribe([this](const X11Keyboard::RawKey &key) {
        if (!key.isPress || key.isRepeat || !m_callback)
            return;
        if (!(key.modifiers & X11Keyboard::control) || (key.modifiers & otherModifiers))
            return;
        const auto kind = commandOf(m_keyboard.latinKeysym(key.keycode));
        if (!kind)
            return;
        if (*kind == ClipboardCommandKind::paste && key.isSynthetic && m_ownPastesExpected > 0) {
            --m_ownPastesExpected;
            return;
        }
        ClipboardCommandEvent event;
        event.kind = *kind;
        event.targetProcessIdentifier = m_windows.processOf(m_windows.focusedWindow());
        event.occurredAt = m_clock.now();
        // The callback may remove this tap; keep it alive for the call.
        const Callback callback = m_callback;
        callback(event);
    });
    if (!m_subscription)
        m_callback = nullptr;
    return m_subscription.has_value();
}

void X11KeyCommandTap::remove()
{
    if (m_subscription)
        m_keyboard.unsubscribe(*m_subscription);
    m_subscription.reset();
    m_callback = nullptr;
    m_ownPastesExpected = 0;
}

void X11KeyCommandTap::expectOwnPaste()
{
    if (m_subscription)
        ++m_ownPastesExpected;
}

} // namespace tovra
