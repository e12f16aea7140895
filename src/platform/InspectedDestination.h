#pragma once

#include "platform/DestinationSnapshot.h"
#include "platform/ProcessIdentifier.h"

#include <QString>

#include <optional>

namespace tovra {

// The focused input field of an application at the moment it was inspected.
struct InspectedDestination {
    DestinationSnapshot snapshot;
    ProcessIdentifier processIdentifier = 0;
    // The accessibility identity of the focused element, when the system gives
    // one; it tells two look-alike fields of the same window apart.
    std::optional<QString> focusedElementIdentifier;
    // The same for the element's window.
    std::optional<QString> windowIdentifier;
    // False when the application describes its focus but nothing held it at
    // the inspection (its window was not active, or a keyboard grab was in
    // progress): where a paste would land is not known, and the snapshot's
    // field is empty for that reason, not because there is none.
    bool isFocusKnown = true;

    // Whether `other` is the same application with the focus in the same place:
    // same process, role, label, secrecy and editability, and the same element
    // and window where both identities are known. A window's title is compared
    // only where the element's identity is not known: a title may change while
    // the window and its field stay. The time of inspection is not compared.
    // An unknown focus is the same as no other.
    bool hasSameFocus(const InspectedDestination &other) const;

    friend bool operator==(const InspectedDestination &, const InspectedDestination &) = default;
};

} // namespace tovra
