#pragma once

#include "platform/ProcessIdentifier.h"

#include <QDateTime>

#include <optional>

namespace tovra {

enum class ClipboardCommandKind { copy, cut, paste };

// A copy, cut or paste shortcut pressed by the user in some application.
struct ClipboardCommandEvent {
    ClipboardCommandKind kind = ClipboardCommandKind::copy;
    // The process the key event was addressed to, when the system tells.
    std::optional<ProcessIdentifier> targetProcessIdentifier;
    QDateTime occurredAt;

    friend bool operator==(const ClipboardCommandEvent &, const ClipboardCommandEvent &) = default;
};

} // namespace tovra
