#pragma once

#include <chrono>
#include <functional>

namespace tovra::testing {

// Asks again every 50 ms until the condition holds (true) or the time is up
// (false): the desktop's processes answer in their own time.
bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout);

} // namespace tovra::testing
