#pragma once

#include "platform/Pasteboard.h"

#include <QString>

namespace tovra {

// Plain text seen on the pasteboard at one change count.
struct PasteboardTextSnapshot {
    qint64 changeCount = 0;
    QString text;

    // True exactly when the pasteboard still has this change count and its
    // plain-text string exists and equals `text`.
    bool matches(const Pasteboard &pasteboard) const;

    friend bool operator==(const PasteboardTextSnapshot &, const PasteboardTextSnapshot &) = default;
};

} // namespace tovra
