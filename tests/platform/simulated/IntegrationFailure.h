#pragma once

#include "platform/SystemIntegrationError.h"

#include <functional>
#include <optional>

namespace tovra::testing {

// The kind of SystemIntegrationError that `action` throws; none when it
// returns normally. Any other exception passes through and fails the test.
inline std::optional<SystemIntegrationError::Kind> integrationFailureOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const SystemIntegrationError &error) {
        return error.kind();
    }
    return std::nullopt;
}

} // namespace tovra::testing
