#pragma once

#include "platform/PasteboardArchive.h"

#include <QString>

#include <optional>

namespace tovra {

// Text put on the pasteboard for one paste, with the previous contents kept
// to be put back afterwards.
struct TemporaryPasteboardTextReplacement {
    PasteboardArchive original;
    QString text;
    // The change count right after the text was written.
    qint64 installedChangeCount = 0;

    // Archives the whole pasteboard and writes the text. None when the
    // pasteboard could not be archived completely or the write was refused; a
    // refused write has the archive put back, so nothing is lost.
    static std::optional<TemporaryPasteboardTextReplacement> install(const QString &text, Pasteboard &on);

    // Puts the archived contents back, but only while the pasteboard still
    // holds exactly the installed text at the installed change count: anything
    // another program wrote meanwhile stays. True when it restored.
    bool restoreIfUnchanged(Pasteboard &on) const;
};

} // namespace tovra
