#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// The state of the resolver for the Obsidian plug-in, as the app shows it.
enum class ObsidianResolverStatus {
    inactive,
    starting,
    listening,
    connected,
    failed,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::ObsidianResolverStatus> {
    static constexpr std::array<std::string_view, 5> names {
        "inactive",
        "starting",
        "listening",
        "connected",
        "failed",
    };
};

} // namespace tovra
