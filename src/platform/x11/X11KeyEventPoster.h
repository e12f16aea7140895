#pragma once

#include "platform/KeyEventPoster.h"

#include <chrono>

namespace tovra {

class X11Connection;
class X11KeyCommandTap;
class X11Keyboard;

// Posts Ctrl+V (Ctrl+Shift+V into a terminal) through XTest, never while the
// user holds a modifier (the hot key's Alt and Shift above all): a held Alt
// would turn the paste into another shortcut in the target.
class X11KeyEventPoster final : public KeyEventPoster {
public:
    static constexpr std::chrono::milliseconds defaultModifierReleaseTimeout { 2000 };

    // The tap, when given, is told of each paste so that it does not report it.
    X11KeyEventPoster(X11Connection &connection, X11Keyboard &keyboard, X11KeyCommandTap *tap,
        std::chrono::milliseconds modifierReleaseTimeout = defaultModifierReleaseTimeout);

    // Waits up to the time-out given at construction.
    bool waitForModifierRelease() override;

    // False, with nothing posted, without XTest, without keys for the
    // shortcut, or while a modifier is held.
    bool postPasteShortcut(PasteShortcut shortcut) override;

private:
    X11Connection &m_connection;
    X11Keyboard &m_keyboard;
    X11KeyCommandTap *m_tap;
    std::chrono::milliseconds m_modifierReleaseTimeout;
};

} // namespace tovra
