#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// The file formats the app exports the listed records in; the case name is
// the format's identifier.
enum class ExportFormat {
    markdown,
    csv,
    json,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::ExportFormat> {
    static constexpr std::array<std::string_view, 3> names {
        "markdown",
        "csv",
        "json",
    };
};

} // namespace tovra
