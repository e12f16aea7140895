#include "platform/SystemClock.h"

#include <QCoroTimer>

namespace tovra {

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<void> SystemClock::sleep(std::chrono::milliseconds duration)
{
    co_await QCoro::sleepFor(duration);
}

} // namespace tovra
