#include "platform/InspectedDestination.h"

namespace tovra {

bool InspectedDestination::hasSameFocus(const InspectedDestination &other) const
{
    if (processIdentifier != other.processIdentifier || !isFocusKnown || !other.isFocusKnown)
        return false;
    if (focusedElementIdentifier && other.focusedElementIdentifier
        && *focusedElementIdentifier != *other.focusedElementIdentifier)
        return false;
    const DestinationSnapshot &mine = snapshot;
    const DestinationSnapshot &theirs = other.snapshot;
    return mine.bundleIdentifier == theirs.bundleIdentifier && mine.windowTitle == theirs.windowTitle
        && mine.accessibilityRole == theirs.accessibilityRole && mine.fieldLabel == theirs.fieldLabel
        && mine.isSecureTextEntry == theirs.isSecureTextEntry
        && mine.isEditableTextTarget == theirs.isEditableTextTarget;
}

} // namespace tovra
