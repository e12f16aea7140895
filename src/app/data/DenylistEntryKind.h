#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// What a denylist entry names: a web domain or an application's bundle
// identifier. The case name is its raw value.
enum class DenylistEntryKind {
    domain,
    bundleID,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::DenylistEntryKind> {
    static constexpr std::array<std::string_view, 2> names {
        "domain",
        "bundleID",
    };
};

} // namespace tovra
