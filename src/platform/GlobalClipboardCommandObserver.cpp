#include "platform/GlobalClipboardCommandObserver.h"

#include "platform/InputMonitoring.h"
#include "platform/KeyCommandTap.h"
#include "platform/SystemIntegrationError.h"

namespace tovra {

GlobalClipboardCommandObserver::GlobalClipboardCommandObserver(
    KeyCommandTap &tap, InputMonitoring &inputMonitoring)
    : m_tap(tap)
    , m_inputMonitoring(inputMonitoring)
{
}

GlobalClipboardCommandObserver::~GlobalClipboardCommandObserver()
{
    stop();
}

void GlobalClipboardCommandObserver::start(Handler handler)
{
    if (m_running)
        return;
    if (!m_inputMonitoring.isTrusted())
        throw SystemIntegrationError(SystemIntegrationError::Kind::inputMonitoringPermissionMissing);
    if (!m_tap.install(std::move(handler)))
        throw SystemIntegrationError(SystemIntegrationError::Kind::eventTapCreationFailed);
    m_running = true;
}

void GlobalClipboardCommandObserver::stop()
{
    if (!m_running)
        return;
    m_tap.remove();
    m_running = false;
}

} // namespace tovra
