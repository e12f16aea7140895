#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// How copies are learned right now: only through the dedicated paste, by
// observing the pasteboard and keys, waiting for a permission, or not at all.
enum class ObservationModeStatus {
    dedicated,
    observing,
    permissionRequired,
    unavailable,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::ObservationModeStatus> {
    static constexpr std::array<std::string_view, 4> names {
        "dedicated",
        "observing",
        "permissionRequired",
        "unavailable",
    };
};

} // namespace tovra
