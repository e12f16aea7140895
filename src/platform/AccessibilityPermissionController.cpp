#include "platform/AccessibilityPermissionController.h"

#include "platform/Accessibility.h"
#include "platform/Workspace.h"

namespace tovra {

AccessibilityPermissionController::AccessibilityPermissionController(
    Accessibility &accessibility, Workspace &workspace)
    : m_accessibility(accessibility)
    , m_workspace(workspace)
{
}

bool AccessibilityPermissionController::isTrusted() const
{
    return m_accessibility.isProcessTrusted();
}

bool AccessibilityPermissionController::requestTrustWithPrompt() const
{
    return m_accessibility.requestTrustWithPrompt();
}

bool AccessibilityPermissionController::hasSystemSettingsPage() const
{
    const auto url = m_accessibility.systemSettingsURL();
    return url && url->isValid();
}

void AccessibilityPermissionController::openSystemSettings() const
{
    if (const auto url = m_accessibility.systemSettingsURL(); url && url->isValid())
        m_workspace.openURL(*url);
}

} // namespace tovra
