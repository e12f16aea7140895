#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// The area of the app a notice or failure belongs to; an operation clears the
// feedback of its own scope before it starts.
enum class AppFeedbackScope {
    general,
    data,
    shortcut,
    pause,
    permissions,
    observation,
    clipboard,
    paste,
    records,
    denylist,
    // "export" is a C++ keyword; the name table keeps the case's own name.
    export_,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::AppFeedbackScope> {
    static constexpr std::array<std::string_view, 11> names {
        "general",
        "data",
        "shortcut",
        "pause",
        "permissions",
        "observation",
        "clipboard",
        "paste",
        "records",
        "denylist",
        "export",
    };
};

} // namespace tovra
