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

FocusReading SimulatedAccessibility::readFocus(ProcessIdentifier processIdentifier) const
{
    FocusReading reading;
    if (!m_trusted || !m_workspace.runningApplication(processIdentifier))
        return reading;
    const SimulatedApplication &application = m_workspace.application(processIdentifier);
    if (application.isTerminated || !application.exposesAccessibility)
        return reading;
    const auto frontmost = m_workspace.frontmostApplication();
    const bool isFrontmost = frontmost && frontmost->processIdentifier == processIdentifier;
    if (!application.showsFocus || (application.hidesFocusWhileInactive && !isFrontmost)) {
        reading.kind = FocusReading::Kind::unknown;
        return reading;
    }
    const SimulatedElement *element = application.focused();
    if (!element)
        return reading;
    reading.kind = FocusReading::Kind::known;
    FocusedElement &focused = reading.element;
    focused.identifier = element->identifier;
    focused.windowTitle = element->windowTitle;
    focused.role = element->role;
    focused.label = element->label;
    focused.isSecure = element->isSecure;
    focused.isEditable = element->isEditable;
    return reading;
}

} // namespace tovra
