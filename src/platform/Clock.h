#pragma once

#include <QCoroTask>
#include <QDateTime>

#include <chrono>

namespace tovra {

// The time source of every time-dependent service. The system clock reads the
// wall clock and sleeps on the monotonic one; tests step a simulated clock so
// that nothing waits for real time.
class Clock {
public:
    virtual ~Clock() = default;

    // The current time in UTC.
    virtual QDateTime now() const = 0;

    // Resumes the awaiting coroutine once `duration` has passed on a clock that
    // keeps running while the machine sleeps and is not moved by wall-clock
    // changes.
    virtual QCoro::Task<void> sleep(std::chrono::milliseconds duration) = 0;
};

} // namespace tovra
