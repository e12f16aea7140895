#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// How sure a record is that the content went from its source to its
// destination. The case name is its identifier.
enum class TraceConfidence {
    verified,
    observed,
    inferred,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::TraceConfidence> {
    static constexpr std::array<std::string_view, 3> names {
        "verified",
        "observed",
        "inferred",
    };
};

} // namespace tovra
