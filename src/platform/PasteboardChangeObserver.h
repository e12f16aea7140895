#pragma once

#include "platform/PasteboardChangeEvent.h"

#include <QObject>

#include <chrono>
#include <functional>

class QTimer;

namespace tovra {

class Clock;
class Pasteboard;
class Workspace;

// Follows the pasteboard by polling its change count on the main loop.
class PasteboardChangeObserver : public QObject {
    Q_OBJECT

public:
    using Handler = std::function<void(const PasteboardChangeEvent &)>;

    static constexpr std::chrono::milliseconds pollingInterval { 100 };

    // Not running; remembers the pasteboard's current change count.
    PasteboardChangeObserver(
        const Pasteboard &pasteboard, const Workspace &workspace, Clock &clock, QObject *parent = nullptr);

    // Does nothing when already running: the first handler stays. Otherwise
    // remembers the current change count and polls every `pollingInterval`,
    // calling the handler on this object's thread for each change it sees.
    void start(Handler handler);

    // Stops polling, drops the handler and remembers the current change count.
    void stop();

    bool isRunning() const noexcept { return m_timer != nullptr; }

    // The change count last seen. Whoever writes to the pasteboard on purpose
    // sets it to the count after the write, so the write is not reported.
    qint64 lastChangeCount() const noexcept { return m_lastChangeCount; }
    void setLastChangeCount(qint64 changeCount) noexcept { m_lastChangeCount = changeCount; }

    // One poll: reports a change when the count differs from the last one
    // seen. Does nothing while stopped. The timer calls this.
    void poll();

private:
    const Pasteboard &m_pasteboard;
    const Workspace &m_workspace;
    Clock &m_clock;
    Handler m_handler;
    QTimer *m_timer = nullptr;
    qint64 m_lastChangeCount;
};

} // namespace tovra
