#include "platform/CommandVPaster.h"

#include "platform/Accessibility.h"
#include "platform/Clock.h"
#include "platform/DestinationContextInspector.h"
#include "platform/KeyEventPoster.h"
#include "platform/SystemIntegrationError.h"
#include "platform/Workspace.h"

namespace tovra {

namespace {

using Kind = SystemIntegrationError::Kind;

bool isRunning(const Workspace &workspace, ProcessIdentifier processIdentifier)
{
    const auto application = workspace.runningApplication(processIdentifier);
    return application && !application->isTerminated;
}

bool isFrontmost(const Workspace &workspace, ProcessIdentifier processIdentifier)
{
    const auto frontmost = workspace.frontmostApplication();
    return frontmost && frontmost->processIdentifier == processIdentifier;
}

int lastConfirmationAttempt(bool awaitingFocus)
{
    return CommandVPaster::additionalConfirmationAttempts
        + (awaitingFocus ? CommandVPaster::unknownFocusAttempts : 0);
}

} // namespace

CommandVPaster::CommandVPaster(
    DestinationContextInspector &inspector, Pasteboard &pasteboard, KeyEventPoster &keyEventPoster)
    : m_inspector(inspector)
    , m_pasteboard(pasteboard)
    , m_keyEventPoster(keyEventPoster)
{
}

QCoro::Task<InspectedDestination> CommandVPaster::activateAndConfirm(InspectedDestination target) const
{
    Workspace &workspace = m_inspector.workspace();
    if (!m_inspector.accessibility().isProcessTrusted())
        throw SystemIntegrationError(Kind::accessibilityPermissionMissing);
    if (!isRunning(workspace, target.processIdentifier))
        throw SystemIntegrationError(Kind::targetApplicationUnavailable);

    workspace.activateApplication(target.processIdentifier);
    // The focus the target had may be unknown: its window was not active
    // when it was inspected (this program's window was in front), or the hot
    // key's grab still held the keyboard. Then the first focus the target
    // tells once it is in front is where the user left it.
    bool cameForward = false;
    bool focusCameBack = false;
    for (int attempt = 0; attempt <= lastConfirmationAttempt(cameForward && !focusCameBack); ++attempt) {
        co_await m_inspector.clock().sleep(attempt == 0 ? firstConfirmationDelay : confirmationInterval);
        if (!m_inspector.accessibility().isProcessTrusted())
            throw SystemIntegrationError(Kind::accessibilityPermissionMissing);
        if (!isRunning(workspace, target.processIdentifier))
            throw SystemIntegrationError(Kind::targetApplicationUnavailable);
        if (!isFrontmost(workspace, target.processIdentifier))
            continue;
        cameForward = true;
        InspectedDestination current = m_inspector.inspect(target.processIdentifier);
        if (!current.isFocusKnown)
            continue;
        focusCameBack = true;
        if (!target.isFocusKnown || current.hasSameFocus(target))
            co_return current;
    }
    if (!cameForward)
        throw SystemIntegrationError(Kind::targetApplicationUnavailable);
    throw SystemIntegrationError(focusCameBack ? Kind::targetChanged : Kind::targetFocusUnknown);
}

InspectedDestination CommandVPaster::reconfirm(const InspectedDestination &stable) const
{
    if (!m_inspector.accessibility().isProcessTrusted())
        throw SystemIntegrationError(Kind::accessibilityPermissionMissing);
    if (!isFrontmost(m_inspector.workspace(), stable.processIdentifier))
        throw SystemIntegrationError(Kind::targetChanged);
    InspectedDestination current;
    try {
        current = m_inspector.inspect(stable.processIdentifier);
    } catch (const SystemIntegrationError &error) {
        if (error.kind() == Kind::accessibilityPermissionMissing)
            throw;
        throw SystemIntegrationError(Kind::targetChanged);
    }
    if (!current.hasSameFocus(stable))
        throw SystemIntegrationError(Kind::targetChanged);
    return current;
}

DestinationSnapshot CommandVPaster::postPaste(const InspectedDestination &into,
    const std::optional<PasteboardContentExpectation> &expectedPasteboard) const
{
    // The hot key's own Alt and Shift are usually still down: the keys wait
    // for them, and whatever the user did meanwhile (another window brought
    // forward) is seen by the check that follows.
    if (!m_keyEventPoster.waitForModifierRelease())
        throw SystemIntegrationError(Kind::eventCreationFailed);
    const InspectedDestination confirmed = reconfirm(into);
    if (expectedPasteboard && !expectedPasteboard->matches(m_pasteboard))
        throw SystemIntegrationError(Kind::clipboardChanged);
    const auto application = m_inspector.workspace().runningApplication(confirmed.processIdentifier);
    const PasteShortcut shortcut = application ? application->pasteShortcut : PasteShortcut::standard;
    if (shortcut == PasteShortcut::unknown)
        throw SystemIntegrationError(Kind::pasteShortcutUnknown);
    if (!m_keyEventPoster.postPasteShortcut(shortcut))
        throw SystemIntegrationError(Kind::eventCreationFailed);
    DestinationSnapshot destination = confirmed.snapshot;
    destination.pastedAt = m_inspector.clock().now();
    return destination;
}

} // namespace tovra
