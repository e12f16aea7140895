#include "platform/InputMonitoringPermissionController.h"

#include "platform/InputMonitoring.h"
#include "platform/Workspace.h"

namespace tovra {

InputMonitoringPermissionController::InputMonitoringPermissionController(
    InputMonitoring &inputMonitoring, Workspace &workspace)
    : m_inputMonitoring(inputMonitoring)
    , m_workspace(workspace)
{
}

bool InputMonitoringPermissionController::isTrusted() const
{
    return m_inputMonitoring.isTrusted();
}

bool InputMonitoringPermissionController::requestAccess() const
{
    return m_inputMonitoring.requestAccess();
}

bool InputMonitoringPermissionController::hasSystemSettingsPage() const
{
    const auto url = m_inputMonitoring.systemSettingsURL();
    return url && url->isValid();
}

void InputMonitoringPermissionController::openSystemSettings() const
{
    if (const auto url = m_inputMonitoring.systemSettingsURL(); url && url->isValid())
        m_workspace.openURL(*url);
}

} // namespace tovra
