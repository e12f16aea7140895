#pragma once

#include "app/data/AppFailure.h"
#include "app/data/AppNotice.h"

#include <optional>

namespace tovra::app {

// What the app shows of its last operations: at most one notice and one failure.
struct AppFeedbackState {
    std::optional<AppNotice> notice;
    std::optional<AppFailure> failure;

    bool operator==(const AppFeedbackState &) const = default;
};

} // namespace tovra::app
