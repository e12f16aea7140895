#pragma once

#include "platform/ClipboardCommandEvent.h"

#include <functional>

namespace tovra {

// Listen-only observation of the copy, cut and paste shortcuts on the whole
// desktop. It never takes a key from the application it was meant for, and it
// leaves out the key events this program posted itself.
class KeyCommandTap {
public:
    // May be called on any thread.
    using Callback = std::function<void(const ClipboardCommandEvent &)>;

    virtual ~KeyCommandTap() = default;

    // Starts reporting each shortcut's key-down. False when the observation
    // cannot be set up; nothing is reported then. Installing again replaces the
    // callback.
    virtual bool install(Callback callback) = 0;

    // Stops reporting and drops the callback; safe when not installed.
    virtual void remove() = 0;
};

} // namespace tovra
