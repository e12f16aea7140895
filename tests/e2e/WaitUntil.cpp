#include "WaitUntil.h"

#include <QDeadlineTimer>
#include <QThread>

namespace tovra::testing {

bool waitUntil(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(50);
    }
    return true;
}

} // namespace tovra::testing
