#include "platform/ObservedApplicationCandidate.h"

#include "core/privacy/PrivacyGuard.h"

namespace tovra {

bool qualifiesAsObservedApplication(
    const std::optional<ObservedApplicationCandidate> &candidate, ProcessIdentifier ownProcessIdentifier)
{
    return candidate && candidate->processIdentifier >= 1
        && candidate->processIdentifier != ownProcessIdentifier && candidate->bundleIdentifier
        && !candidate->bundleIdentifier->isEmpty()
        && !PrivacyGuard::isTransientSystemApplicationBundleID(candidate->bundleIdentifier);
}

std::optional<ProcessIdentifier> preferredObservedApplicationProcessIdentifier(
    const std::optional<ObservedApplicationCandidate> &eventTarget,
    const std::optional<ObservedApplicationCandidate> &frontmost, ProcessIdentifier ownProcessIdentifier)
{
    if (qualifiesAsObservedApplication(frontmost, ownProcessIdentifier))
        return frontmost->processIdentifier;
    if (qualifiesAsObservedApplication(eventTarget, ownProcessIdentifier))
        return eventTarget->processIdentifier;
    return std::nullopt;
}

} // namespace tovra
