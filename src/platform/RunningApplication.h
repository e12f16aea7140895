#pragma once

#include "platform/PasteShortcut.h"
#include "platform/ProcessIdentifier.h"

#include <QString>

#include <optional>

namespace tovra {

// A running application as the workspace describes it at the moment it is
// asked.
struct RunningApplication {
    ProcessIdentifier processIdentifier = 0;
    // The name shown to the user; may be empty when the system knows none.
    QString localizedName;
    // The application's stable identifier (a desktop-entry ID, a window class
    // or an executable name on Linux); absent when none can be found.
    std::optional<QString> bundleIdentifier;
    bool isTerminated = false;
    // A terminal emulator: what is pasted goes to whatever program runs
    // inside, so it is never a place to trace pastes into or copies from.
    bool isTerminalEmulator = false;
    // The keys that paste into the application.
    PasteShortcut pasteShortcut = PasteShortcut::standard;

    friend bool operator==(const RunningApplication &, const RunningApplication &) = default;
};

} // namespace tovra
