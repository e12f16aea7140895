#pragma once

#include "platform/ClipboardCommandEvent.h"

#include <functional>

namespace tovra {

class InputMonitoring;
class KeyCommandTap;

// Listen-only observation of the copy, cut and paste shortcuts pressed in
// other applications. Created not running.
class GlobalClipboardCommandObserver {
public:
    // Must be safe to call from any thread.
    using Handler = std::function<void(const ClipboardCommandEvent &)>;

    GlobalClipboardCommandObserver(KeyCommandTap &tap, InputMonitoring &inputMonitoring);
    ~GlobalClipboardCommandObserver();

    GlobalClipboardCommandObserver(const GlobalClipboardCommandObserver &) = delete;
    GlobalClipboardCommandObserver &operator=(const GlobalClipboardCommandObserver &) = delete;

    // Does nothing when already running: the first handler stays. Throws
    // SystemIntegrationError: inputMonitoringPermissionMissing without the
    // permission, eventTapCreationFailed when the observation cannot be set up.
    void start(Handler handler);

    // Stops observing and drops the handler; safe when not running.
    void stop();

    bool isRunning() const noexcept { return m_running; }

private:
    KeyCommandTap &m_tap;
    InputMonitoring &m_inputMonitoring;
    bool m_running = false;
};

} // namespace tovra
