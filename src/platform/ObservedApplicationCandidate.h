#pragma once

#include "platform/ProcessIdentifier.h"

#include <QString>

#include <optional>

namespace tovra {

// An application that an observed event may belong to.
struct ObservedApplicationCandidate {
    ProcessIdentifier processIdentifier = 0;
    std::optional<QString> bundleIdentifier;

    friend bool operator==(const ObservedApplicationCandidate &, const ObservedApplicationCandidate &)
        = default;
};

// Whether the candidate can be the application of an observed copy or paste:
// a real process other than ours, with a bundle identifier, that is not a
// transient system application.
bool qualifiesAsObservedApplication(
    const std::optional<ObservedApplicationCandidate> &candidate, ProcessIdentifier ownProcessIdentifier);

// The frontmost candidate when it qualifies, else the event's target when it
// qualifies, else none.
std::optional<ProcessIdentifier> preferredObservedApplicationProcessIdentifier(
    const std::optional<ObservedApplicationCandidate> &eventTarget,
    const std::optional<ObservedApplicationCandidate> &frontmost, ProcessIdentifier ownProcessIdentifier);

} // namespace tovra
