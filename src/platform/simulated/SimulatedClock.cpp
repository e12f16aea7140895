#include "platform/simulated/SimulatedClock.h"

#include <algorithm>
#include <coroutine>

namespace tovra {

namespace {

struct SleepAwaiter {
    SimulatedClock &clock;
    QDateTime deadline;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> sleeper)
    {
        clock.schedule(deadline, [sleeper] { sleeper.resume(); });
    }
    void await_resume() const noexcept { }
};

} // namespace

QDateTime SimulatedClock::defaultStart()
{
    return QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
}

SimulatedClock::SimulatedClock(QDateTime start)
    : m_now(start.toUTC())
{
}

QDateTime SimulatedClock::now() const
{
    return m_now;
}

QCoro::Task<void> SimulatedClock::sleep(std::chrono::milliseconds duration)
{
    co_await SleepAwaiter { *this, m_now.addMSecs(duration.count()) };
}

void SimulatedClock::schedule(const QDateTime &deadline, std::function<void()> action)
{
    m_pending.push_back(Pending { deadline.toUTC(), m_nextSequence++, std::move(action) });
}

void SimulatedClock::scheduleAfter(std::chrono::milliseconds delay, std::function<void()> action)
{
    schedule(m_now.addMSecs(delay.count()), std::move(action));
}

void SimulatedClock::advance(std::chrono::milliseconds duration)
{
    advanceTo(m_now.addMSecs(duration.count()));
}

void SimulatedClock::advanceTo(const QDateTime &time)
{
    const QDateTime target = time.toUTC();
    for (;;) {
        const auto due
            = std::min_element(m_pending.begin(), m_pending.end(), [](const auto &a, const auto &b) {
                  return a.deadline != b.deadline ? a.deadline < b.deadline : a.sequence < b.sequence;
              });
        if (due == m_pending.end() || due->deadline > target)
            break;
        if (due->deadline > m_now)
            m_now = due->deadline;
        // The action may schedule more, which would invalidate `due`.
        const std::function<void()> action = std::move(due->action);
        m_pending.erase(due);
        action();
    }
    if (target > m_now)
        m_now = target;
}

} // namespace tovra
