#pragma once

namespace tovra {

// The keys an application takes as "paste". Terminal emulators send the
// standard keys to the program running in them as a control character, so
// they paste on a shortcut of their own.
enum class PasteShortcut {
    // Ctrl+V on Linux.
    standard,
    // Ctrl+Shift+V on Linux.
    terminal,
    // No key pastes the clipboard: xterm and rxvt, for two, paste only the
    // primary selection unless their user binds a key.
    unknown,
};

} // namespace tovra
