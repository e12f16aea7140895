#include "platform/PasteboardTextSnapshot.h"

namespace tovra {

bool PasteboardTextSnapshot::matches(const Pasteboard &pasteboard) const
{
    if (pasteboard.changeCount() != changeCount)
        return false;
    const auto current = pasteboard.string();
    return current && *current == text;
}

} // namespace tovra
