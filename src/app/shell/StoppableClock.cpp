#include "app/shell/StoppableClock.h"

#include <QCoroSignal>

namespace tovra::app {

QDateTime StoppableClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<void> StoppableClock::sleep(std::chrono::milliseconds duration)
{
    if (m_stopped)
        co_return;
    // Qt's timers run on the monotonic clock.
    co_await qCoro(this, &StoppableClock::stopped, duration);
}

void StoppableClock::stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    emit stopped();
}

} // namespace tovra::app
