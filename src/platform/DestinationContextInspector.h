#pragma once

#include "platform/InspectedDestination.h"
#include "platform/ProcessIdentifier.h"

#include <QObject>

#include <chrono>
#include <optional>

namespace tovra {

class Accessibility;
class Clock;
class Workspace;
struct RunningApplication;

// Finds the application the user was typing in and describes its focused
// input field. While this program's own window is in front, the paste target
// is the external application that was in front last.
class DestinationContextInspector : public QObject {
    Q_OBJECT

public:
    // A hung application must not freeze the paste; after this long an
    // accessibility question counts as unanswered.
    static constexpr std::chrono::milliseconds accessibilityMessagingTimeout { 1000 };

    DestinationContextInspector(ProcessIdentifier ownProcessIdentifier, Workspace &workspace,
        Accessibility &accessibility, Clock &clock, QObject *parent = nullptr);

    // Remembers the frontmost eligible external application and from then on
    // each one that is activated. Calling it again changes nothing.
    void start();

    // The focused element of the current target: the frontmost eligible
    // external application, else the last one remembered while it still runs.
    // Throws SystemIntegrationError: noTargetApplication without a target, and
    // the errors of `inspect(processIdentifier)`.
    InspectedDestination inspect();

    // The focused element of that application. Throws SystemIntegrationError:
    // targetApplicationUnavailable when it is not running,
    // accessibilityPermissionMissing without trust.
    InspectedDestination inspect(ProcessIdentifier processIdentifier);

    // The external application remembered as the target.
    std::optional<ProcessIdentifier> rememberedProcessIdentifier() const noexcept { return m_remembered; }

    ProcessIdentifier ownProcessIdentifier() const noexcept { return m_ownProcessIdentifier; }
    Workspace &workspace() const noexcept { return m_workspace; }
    Accessibility &accessibility() const noexcept { return m_accessibility; }
    Clock &clock() const noexcept { return m_clock; }

private:
    bool isEligible(const RunningApplication &application) const;
    void rememberIfEligible(ProcessIdentifier processIdentifier);

    ProcessIdentifier m_ownProcessIdentifier;
    Workspace &m_workspace;
    Accessibility &m_accessibility;
    Clock &m_clock;
    std::optional<ProcessIdentifier> m_remembered;
    bool m_started = false;
};

} // namespace tovra
