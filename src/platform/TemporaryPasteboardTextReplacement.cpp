#include "platform/TemporaryPasteboardTextReplacement.h"

#include "platform/PasteboardTextSnapshot.h"

namespace tovra {

std::optional<TemporaryPasteboardTextReplacement> TemporaryPasteboardTextReplacement::install(
    const QString &text, Pasteboard &on)
{
    std::optional<PasteboardArchive> original
        = PasteboardArchive::captureThenWrite(on, [&] { return on.writeText(text); });
    if (!original)
        return std::nullopt;
    return TemporaryPasteboardTextReplacement { std::move(*original), text, on.changeCount() };
}

bool TemporaryPasteboardTextReplacement::restoreIfUnchanged(Pasteboard &on) const
{
    if (!PasteboardTextSnapshot { installedChangeCount, text }.matches(on))
        return false;
    return original.restore(on);
}

} // namespace tovra
