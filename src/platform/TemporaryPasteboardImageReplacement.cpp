#include "platform/TemporaryPasteboardImageReplacement.h"

namespace tovra {

std::optional<TemporaryPasteboardImageReplacement> TemporaryPasteboardImageReplacement::install(
    const SessionClipboardImage &image, Pasteboard &on)
{
    PasteboardArchive original = PasteboardArchive::capture(on);
    if (!original.isComplete)
        return std::nullopt;
    if (!on.writeImage(image.data(), image.typeIdentifier())) {
        // A refused write may still have cleared the pasteboard.
        if (on.changeCount() != original.capturedChangeCount)
            original.restore(on);
        return std::nullopt;
    }
    return TemporaryPasteboardImageReplacement { std::move(original), image, on.changeCount() };
}

PasteboardImageSnapshot TemporaryPasteboardImageReplacement::installedSnapshot() const
{
    return PasteboardImageSnapshot { installedChangeCount, replacementImage,
        PasteboardImageValidation::imageData(replacementImage.typeIdentifier()) };
}

} // namespace tovra
