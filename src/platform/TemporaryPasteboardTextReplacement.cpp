#include "platform/TemporaryPasteboardTextReplacement.h"

#include "platform/PasteboardTextSnapshot.h"

namespace tovra {

std::optional<TemporaryPasteboardTextReplacement> TemporaryPasteboardTextReplacement::install(
    const QString &text, Pasteboard &on)
{
    PasteboardArchive original = PasteboardArchive::capture(on);
    if (!original.isComplete)
        return std::nullopt;
    if (!on.writeText(text)) {
        // A refused write may still have cleared the pasteboard.
        if (on.changeCount() != original.capturedChangeCount)
            original.restore(on);
        return std::nullopt;
    }
    return TemporaryPasteboardTextReplacement { std::move(original), text, on.changeCount() };
}

bool TemporaryPasteboardTextReplacement::restoreIfUnchanged(Pasteboard &on) const
{
    if (!PasteboardTextSnapshot { installedChangeCount, text }.matches(on))
        return false;
    return original.restore(on);
}

} // namespace tovra
