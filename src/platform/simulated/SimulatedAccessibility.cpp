#include "platform/simulated/SimulatedAccessibility.h"

#include "platform/simulated/SimulatedWorkspace.h"

namespace tovra {

SimulatedAccessibility::SimulatedAccessibility(const SimulatedWorkspace &workspace)
    : m_workspace(workspace)
{
}

bool SimulatedAccessibility::requestTrustWithPrompt()
{
    ++m_promptCount;
    if (m_grantsTrustOnPrompt)
        m_trusted = true;
    return m_trusted;
}

std::optional<FocusedElement> SimulatedAccessibility::focusedElement(
    ProcessIdentifier processIdentifier) const
{
    if (!m_trusted || !m_workspace.runningApplication(processIdentifier))
        return std::nullopt;
    const SimulatedApplication &application = m_workspace.application(processIdentifier);
    if (application.isTerminated || !application.exposesAccessibility)
        return std::nullopt;
    const SimulatedElement *element = application.focused();
    if (!element)
        return std::nullopt;
    FocusedElement focused;
    focused.identifier = element->identifier;
    focused.windowTitle = element->windowTitle;
    focused.role = element->role;
    focused.label = element->label;
    focused.isSecure = element->isSecure;
    focused.isEditable = element->isEditable;
    return focused;
}

} // namespace tovra
