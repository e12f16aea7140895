#pragma once

#include "platform/Clock.h"

namespace tovra {

// The real clock: wall-clock time for `now()`, a monotonic Qt timer for `sleep`.
class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    QCoro::Task<void> sleep(std::chrono::milliseconds duration) override;
};

} // namespace tovra
