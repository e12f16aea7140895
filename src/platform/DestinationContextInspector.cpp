#include "platform/DestinationContextInspector.h"

#include "platform/Accessibility.h"
#include "platform/Clock.h"
#include "platform/ObservedApplicationCandidate.h"
#include "platform/SystemIntegrationError.h"
#include "platform/Workspace.h"

namespace tovra {

DestinationContextInspector::DestinationContextInspector(ProcessIdentifier ownProcessIdentifier,
    Workspace &workspace, Accessibility &accessibility, Clock &clock, QObject *parent)
    : QObject(parent)
    , m_ownProcessIdentifier(ownProcessIdentifier)
    , m_workspace(workspace)
    , m_accessibility(accessibility)
    , m_clock(clock)
{
    m_accessibility.setMessagingTimeout(accessibilityMessagingTimeout);
}

void DestinationContextInspector::start()
{
    if (m_started)
        return;
    m_started = true;
    if (const auto frontmost = m_workspace.frontmostApplication())
        rememberIfEligible(frontmost->processIdentifier);
    connect(&m_workspace, &Workspace::applicationActivated, this,
        &DestinationContextInspector::rememberIfEligible);
}

InspectedDestination DestinationContextInspector::inspect()
{
    if (const auto frontmost = m_workspace.frontmostApplication(); frontmost && isEligible(*frontmost)) {
        m_remembered = frontmost->processIdentifier;
        return inspect(frontmost->processIdentifier);
    }
    if (m_remembered) {
        const auto remembered = m_workspace.runningApplication(*m_remembered);
        if (remembered && isEligible(*remembered))
            return inspect(*m_remembered);
        m_remembered.reset();
    }
    throw SystemIntegrationError(SystemIntegrationError::Kind::noTargetApplication);
}

InspectedDestination DestinationContextInspector::inspect(ProcessIdentifier processIdentifier)
{
    const auto application = m_workspace.runningApplication(processIdentifier);
    if (!application || application->isTerminated)
        throw SystemIntegrationError(SystemIntegrationError::Kind::targetApplicationUnavailable);
    if (!m_accessibility.isProcessTrusted())
        throw SystemIntegrationError(SystemIntegrationError::Kind::accessibilityPermissionMissing);

    const FocusReading focus = m_accessibility.readFocus(processIdentifier);
    const FocusedElement &element = focus.element;
    InspectedDestination destination;
    destination.processIdentifier = processIdentifier;
    destination.isFocusKnown = focus.kind != FocusReading::Kind::unknown;
    destination.focusedElementIdentifier = element.identifier;
    destination.windowIdentifier = element.windowIdentifier;
    DestinationSnapshot &snapshot = destination.snapshot;
    snapshot.applicationName = !application->localizedName.isEmpty()
        ? application->localizedName
        : application->bundleIdentifier.value_or(QString());
    snapshot.bundleIdentifier = application->bundleIdentifier;
    snapshot.isTerminalEmulator = application->isTerminalEmulator;
    snapshot.isFocusExposed = focus.kind != FocusReading::Kind::notExposed;
    snapshot.windowTitle = element.windowTitle;
    snapshot.accessibilityRole = element.role;
    snapshot.fieldLabel = element.label;
    snapshot.isSecureTextEntry = element.isSecure;
    snapshot.isEditableTextTarget = element.isEditable;
    snapshot.pastedAt = m_clock.now();
    return destination;
}

bool DestinationContextInspector::isEligible(const RunningApplication &application) const
{
    return !application.isTerminated
        && qualifiesAsObservedApplication(
            ObservedApplicationCandidate { application.processIdentifier, application.bundleIdentifier },
            m_ownProcessIdentifier);
}

void DestinationContextInspector::rememberIfEligible(ProcessIdentifier processIdentifier)
{
    const auto application = m_workspace.runningApplication(processIdentifier);
    if (application && isEligible(*application))
        m_remembered = processIdentifier;
}

} // namespace tovra
