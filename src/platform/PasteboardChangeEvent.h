#pragma once

#include "platform/ProcessIdentifier.h"

#include <QDateTime>

#include <optional>

namespace tovra {

// The pasteboard's change count moved.
struct PasteboardChangeEvent {
    qint64 changeCount = 0;
    // The frontmost application when the change was seen.
    std::optional<ProcessIdentifier> sourceProcessIdentifier;
    QDateTime occurredAt;

    friend bool operator==(const PasteboardChangeEvent &, const PasteboardChangeEvent &) = default;
};

} // namespace tovra
