#pragma once

#include "platform/Pasteboard.h"

#include <QList>

#include <optional>

namespace tovra {

// A copy of everything on the pasteboard, taken so that it can be put back
// after a temporary replacement.
struct PasteboardArchive {
    QList<PasteboardItem> items;
    // The change count when the copy was taken.
    qint64 capturedChangeCount = 0;
    // False when some type's data could not be read, or the pasteboard changed
    // while it was being read: putting such a copy back would lose content.
    bool isComplete = false;

    // Reads every item with every type's data.
    static PasteboardArchive capture(const Pasteboard &pasteboard);

    // Archives the whole pasteboard, then lets `write` (which returns whether
    // the system took the write) replace its contents. None when the archive
    // is incomplete, and nothing is written then, or when the write is
    // refused; a refused write may still have cleared the pasteboard, so the
    // archive is put back whenever the change count moved.
    template <typename Write>
    static std::optional<PasteboardArchive> captureThenWrite(Pasteboard &pasteboard, Write write)
    {
        PasteboardArchive original = capture(pasteboard);
        if (!original.isComplete)
            return std::nullopt;
        if (!write()) {
            if (pasteboard.changeCount() != original.capturedChangeCount)
                original.restore(pasteboard);
            return std::nullopt;
        }
        return original;
    }

    // Clears the pasteboard and writes back every archived item with every
    // type's data. Returns whether the write succeeded.
    bool restore(Pasteboard &to) const;

    friend bool operator==(const PasteboardArchive &, const PasteboardArchive &) = default;
};

} // namespace tovra
