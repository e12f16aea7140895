#include "platform/TemporaryPasteboardImageReplacement.h"

namespace tovra {

std::optional<TemporaryPasteboardImageReplacement> TemporaryPasteboardImageReplacement::install(
    const SessionClipboardImage &image, Pasteboard &on)
{
    std::optional<PasteboardArchive> original = PasteboardArchive::captureThenWrite(
        on, [&] { return on.writeImage(image.data(), image.typeIdentifier()); });
    if (!original)
        return std::nullopt;
    return TemporaryPasteboardImageReplacement { std::move(*original), image, on.changeCount() };
}

PasteboardImageSnapshot TemporaryPasteboardImageReplacement::installedSnapshot() const
{
    return PasteboardImageSnapshot { installedChangeCount, replacementImage,
        PasteboardImageValidation::imageData(replacementImage.typeIdentifier()) };
}

} // namespace tovra
