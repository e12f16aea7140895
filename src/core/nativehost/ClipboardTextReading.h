#pragma once

#include <QString>

#include <optional>

namespace tovra {

// The one thing the native host needs from the desktop: the text on the
// system clipboard right now. Implementations live in the platform layer.
class ClipboardTextReading {
public:
    virtual ~ClipboardTextReading() = default;

    // The clipboard's plain text; an empty string when the clipboard holds
    // empty text; none when there is no text or it cannot be read.
    virtual std::optional<QString> readClipboardText() = 0;
};

} // namespace tovra
