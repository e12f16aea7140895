#include "platform/InspectedDestination.h"

namespace tovra {

namespace {

// Different only when both are known and differ.
bool differ(const std::optional<QString> &one, const std::optional<QString> &other)
{
    return one && other && *one != *other;
}

} // namespace

bool InspectedDestination::hasSameFocus(const InspectedDestination &other) const
{
    if (processIdentifier != other.processIdentifier || !isFocusKnown || !other.isFocusKnown)
        return false;
    if (differ(focusedElementIdentifier, other.focusedElementIdentifier)
        || differ(windowIdentifier, other.windowIdentifier))
        return false;
    const DestinationSnapshot &mine = snapshot;
    const DestinationSnapshot &theirs = other.snapshot;
    const bool elementsIdentified = focusedElementIdentifier && other.focusedElementIdentifier;
    if (!elementsIdentified && mine.windowTitle != theirs.windowTitle)
        return false;
    return mine.bundleIdentifier == theirs.bundleIdentifier
        && mine.accessibilityRole == theirs.accessibilityRole && mine.fieldLabel == theirs.fieldLabel
        && mine.isSecureTextEntry == theirs.isSecureTextEntry
        && mine.isEditableTextTarget == theirs.isEditableTextTarget;
}

} // namespace tovra
