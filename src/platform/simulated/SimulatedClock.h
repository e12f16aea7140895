#pragma once

#include "platform/Clock.h"

#include <QDateTime>

#include <functional>
#include <vector>

namespace tovra {

// A clock that moves only when a test steps it. Sleepers and scheduled actions
// run during `advance`, in deadline order, each seeing `now()` at its own
// deadline; what they schedule in turn runs in the same step when it falls due
// within it.
//
// Coroutines still asleep when the clock is destroyed are never resumed.
class SimulatedClock final : public Clock {
public:
    // 2025-01-01 00:00:00 UTC: a fixed start keeps test output reproducible.
    static QDateTime defaultStart();

    explicit SimulatedClock(QDateTime start = defaultStart());

    QDateTime now() const override;

    // Resumes the caller once the clock has been advanced to now + duration.
    QCoro::Task<void> sleep(std::chrono::milliseconds duration) override;

    // Runs `action` when the clock reaches `deadline`; a deadline already past
    // runs at the next `advance`.
    void schedule(const QDateTime &deadline, std::function<void()> action);
    void scheduleAfter(std::chrono::milliseconds delay, std::function<void()> action);

    void advance(std::chrono::milliseconds duration);
    void advanceTo(const QDateTime &time);

    // Sleepers and actions not run yet.
    int pendingCount() const noexcept { return int(m_pending.size()); }

private:
    struct Pending {
        QDateTime deadline;
        quint64 sequence;
        std::function<void()> action;
    };

    QDateTime m_now;
    quint64 m_nextSequence = 0;
    std::vector<Pending> m_pending;
};

} // namespace tovra
