#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// What the app knows of the browser extension's native host. The app never
// probes the host: a working ledger reports unknown, a ledger that cannot be
// opened reports disconnected.
enum class NativeHostStatus {
    connected,
    disconnected,
    unknown,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::NativeHostStatus> {
    static constexpr std::array<std::string_view, 3> names {
        "connected",
        "disconnected",
        "unknown",
    };
};

} // namespace tovra
