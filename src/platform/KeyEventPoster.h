#pragma once

#include "platform/PasteShortcut.h"

namespace tovra {

// Synthesises key events into the focused application.
class KeyEventPoster {
public:
    virtual ~KeyEventPoster() = default;

    // Posts the paste shortcut as one key-down and one key-up, marked as this
    // program's own so that our key observation ignores them, and unaffected
    // by modifier keys the user may still be holding. False when the events
    // could not be created; nothing is posted then.
    virtual bool postPasteShortcut(PasteShortcut shortcut) = 0;
};

} // namespace tovra
