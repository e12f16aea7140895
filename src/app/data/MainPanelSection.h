#pragma once

#include "core/records/EnumNames.h"

namespace tovra::app {

// The section the main panel shows.
enum class MainPanelSection {
    clipboard,
    traces,
};

} // namespace tovra::app

namespace tovra {

template <> struct EnumNames<app::MainPanelSection> {
    static constexpr std::array<std::string_view, 2> names {
        "clipboard",
        "traces",
    };
};

} // namespace tovra
