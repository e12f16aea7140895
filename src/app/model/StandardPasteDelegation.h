#pragma once

#include "app/data/ObsidianResolverStatus.h"
#include "platform/DestinationSnapshot.h"

namespace tovra::app {

// Whether a standard paste of text seen in the destination is left to the
// connected Obsidian plug-in, which records it itself: only while the
// resolver is connected, and only into Obsidian as its application ID names
// it: an application that only calls itself "Obsidian" records its pastes here.
bool shouldDelegateStandardPasteToConnectedAdapter(
    const DestinationSnapshot &destination, ObsidianResolverStatus resolverStatus);

} // namespace tovra::app
