#pragma once

#include "platform/Clock.h"

#include <QObject>

namespace tovra::app {

// The running app's clock: the system's time, and sleeps that the app's end
// cuts short. The app's background tasks sleep for up to 30 s between their
// rounds; once the event loop has stopped, a sleep that never wakes would
// leave its task suspended for ever. After stop(), every sleep is over: the
// ones under way wake at the next turn of the event loop, later ones do not
// wait at all. A woken task finds the model stopping and ends.
class StoppableClock final : public QObject, public Clock {
    Q_OBJECT

public:
    using QObject::QObject;

    QDateTime now() const override;
    QCoro::Task<void> sleep(std::chrono::milliseconds duration) override;

    void stop();
    bool isStopped() const noexcept { return m_stopped; }

signals:
    void stopped();

private:
    bool m_stopped = false;
};

} // namespace tovra::app
