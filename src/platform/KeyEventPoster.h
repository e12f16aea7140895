#pragma once

#include "platform/PasteShortcut.h"

namespace tovra {

// Synthesises key events into the focused application.
class KeyEventPoster {
public:
    virtual ~KeyEventPoster() = default;

    // Waits, for a bounded time, until the user holds no modifier key that
    // would turn the paste shortcut into another one. False when one is
    // still held at the end.
    virtual bool waitForModifierRelease() = 0;

    // Posts the paste shortcut at once as one key-down and one key-up, marked
    // as this program's own so that our key observation ignores them. False
    // when the events could not be created or a modifier key is held; nothing
    // is posted then.
    virtual bool postPasteShortcut(PasteShortcut shortcut) = 0;
};

} // namespace tovra
