#pragma once

#include "core/clipboard/SessionClipboardImage.h"
#include "platform/PasteboardArchive.h"
#include "platform/PasteboardImageSnapshot.h"

#include <optional>

namespace tovra {

// An image put on the pasteboard for one paste, with the previous contents
// kept. The caller restores `original` itself, and only while
// `installedSnapshot()` still matches the pasteboard.
struct TemporaryPasteboardImageReplacement {
    PasteboardArchive original;
    SessionClipboardImage replacementImage;
    // The change count right after the image was written.
    qint64 installedChangeCount = 0;

    // Archives the whole pasteboard and writes the image under its type. None
    // when the pasteboard could not be archived completely or the write was
    // refused; a refused write has the archive put back.
    static std::optional<TemporaryPasteboardImageReplacement> install(
        const SessionClipboardImage &image, Pasteboard &on);

    // The installed image as the pasteboard holds it: the installed change count
    // and the image bytes under the image's type.
    PasteboardImageSnapshot installedSnapshot() const;
};

} // namespace tovra
