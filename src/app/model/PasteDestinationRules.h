#pragma once

#include "app/data/DenylistEntry.h"
#include "app/data/PasteExclusionReason.h"
#include "platform/DestinationSnapshot.h"

#include <QList>

#include <optional>

namespace tovra::app {

// Why nothing may be pasted into, or recorded for, the destination: paused,
// a field known not to take text, a target without an application ID or one
// of the desktop's own transient windows, a terminal emulator, then the
// privacy guard with the user's application rules (domain rules have no part
// here), and last a target that describes none of its fields. None when the
// destination may take the paste.
std::optional<PasteExclusionReason> pasteTargetExclusion(
    const DestinationSnapshot &destination, const QList<DenylistEntry> &denylistEntries, bool isPaused);

// Why a copy made in the application is not recorded: the same rules without
// the editable-field and the described-field tests, and without the window
// title, which does not describe a source.
std::optional<PasteExclusionReason> copySourceExclusion(
    const DestinationSnapshot &source, const QList<DenylistEntry> &denylistEntries, bool isPaused);

} // namespace tovra::app
