#pragma once

#include "app/data/ObservationModeStatus.h"

#include <QString>

namespace tovra::app {

// Which observers run for the user's switch, the pause and the permissions.
// The pasteboard is followed only with the accessibility permission (without
// it a copy cannot be tied to an application), and keys only with both.
struct ObservationDecision {
    bool keyObserverRuns = false;
    bool pasteboardObserverRuns = false;
    // Nothing is observed: a remembered key copy and the current history item
    // no longer mean anything.
    bool forgetsObservedState = false;
    ObservationModeStatus status = ObservationModeStatus::dedicated;

    bool operator==(const ObservationDecision &) const = default;
};

ObservationDecision decideObservation(
    bool observationEnabled, bool isPaused, bool accessibilityIsTrusted, bool inputMonitoringIsTrusted);

// The status as the texts and the status icon name it.
QString observationStatusTitle(ObservationModeStatus status);
QString observationStatusSymbol(ObservationModeStatus status);

} // namespace tovra::app
